// Purpose: the system actions reach the desktop's services over D-Bus, without waiting, and fall back as
// they should: tried on a private bus with fake services, never on the user's desktop.
#include "engine/engine.h"
#include "shell/system_actions.h"
#include "support/private_bus.h"
#include "support/temp_dir.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::StartedBus;
using orvu::test::startPrivateBus;

namespace {

// The screen-saver service: records each request.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QList<bool> requests;

public Q_SLOTS:
    bool SetActive(bool active) {
        requests.append(active);
        return true;
    }
};

// GNOME's display configuration, reduced to its power-save mode.
class FakeDisplayConfig : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.DisplayConfig")
    Q_PROPERTY(int PowerSaveMode READ powerSaveMode WRITE setPowerSaveMode)

public:
    int powerSaveMode() const { return mode; }
    void setPowerSaveMode(int value) { mode = value; }
    int mode = 0;
};

// A session bus of the test's own, with no service on it but those the test puts there.
class PrivateBus : public ::testing::Test {
protected:
    void SetUp() override {
        const StartedBus bus = startPrivateBus(daemon, dir.path());
        if (bus.missing)
            GTEST_SKIP() << "no dbus-daemon on this machine";
        ASSERT_FALSE(bus.address.isEmpty());
        address = bus.address;
        service.emplace(QDBusConnection::connectToBus(address, u"orvu-test-service"_s));
        ASSERT_TRUE(service->isConnected());
        actions.emplace(engine, DesktopAccess{QDBusConnection::connectToBus(address, u"orvu-test-player"_s),
                                              [this](const QString& program, const QStringList& arguments) {
                                                  started.append(program + u' ' + arguments.join(u' '));
                                                  return true;
                                              }});
    }
    void TearDown() override {
        actions.reset();
        service.reset();
        QDBusConnection::disconnectFromBus(u"orvu-test-service"_s);
        QDBusConnection::disconnectFromBus(u"orvu-test-player"_s);
        daemon.kill();
        daemon.waitForFinished();
    }
    void offer(const char* name, const char* path, QObject* object) {
        ASSERT_TRUE(
            service->registerObject(QString::fromLatin1(path), object,
                                    QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(service->registerService(QString::fromLatin1(name)));
    }

    orvu::test::TempDir dir;
    QProcess daemon;
    QString address;
    std::optional<QDBusConnection> service;
    engine::Engine engine;
    QStringList started;
    std::optional<PlatformSystemActions> actions;
};

// The screen saver starts through org.freedesktop.ScreenSaver; the request returns before the service
// has even seen it.
TEST_F(PrivateBus, ScreenSaverGoesThroughTheService) {
    FakeScreenSaver saver;
    offer("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", &saver);
    actions->startScreenSaver();
    EXPECT_TRUE(saver.requests.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !saver.requests.isEmpty(); }, 5000));
    EXPECT_EQ(saver.requests, QList<bool>{true});
    QTest::qWait(50);
    EXPECT_TRUE(started.isEmpty());
}

// With no screen-saver service, xdg-screensaver is started instead.
TEST_F(PrivateBus, ScreenSaverFallsBackToXdgScreensaver) {
    actions->startScreenSaver();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !started.isEmpty(); }, 5000));
    EXPECT_EQ(started, QStringList{u"xdg-screensaver activate"_s});
}

// Away from X11, the monitor goes off through the desktop's display service where there is one, and
// through the screen saver, which blanks the screen, where there is not.
TEST_F(PrivateBus, MonitorOffAsksTheDisplayServiceElseTheScreenSaver) {
    FakeScreenSaver saver;
    offer("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", &saver);
    actions->monitorOff();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !saver.requests.isEmpty(); }, 5000));
    EXPECT_EQ(saver.requests, QList<bool>{true});

    saver.requests.clear();
    FakeDisplayConfig display;
    offer("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig", &display);
    actions->monitorOff();
    EXPECT_TRUE(QTest::qWaitFor([&] { return display.mode != 0; }, 5000));
    EXPECT_EQ(display.mode, 1); // standby, the low-power state
    QTest::qWait(50);
    EXPECT_TRUE(saver.requests.isEmpty());
    EXPECT_TRUE(started.isEmpty());
}

} // namespace

#include "system_actions_test.moc"
