// Purpose: tests of the player on the media bus: the real main window served on a private session bus,
// driven and watched the way desktop widgets and command-line controllers do it.
#include "shell/mpris.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"
#include "support/player_fixture.h"
#include "support/private_bus.h"
#include "support/signal.h"
#include "support/wav_writer.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <optional>

#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::PlayerFixture;
using orvu::test::StartedBus;
using orvu::test::startPrivateBus;

namespace {

const QString service = u"org.mpris.MediaPlayer2.orvu"_s;
const QString path = u"/org/mpris/MediaPlayer2"_s;
const QString playerInterface = u"org.mpris.MediaPlayer2.Player"_s;

// What a watcher of the bus sees: each PropertiesChanged of the player, and each Seeked.
class BusWatcher : public QObject {
    Q_OBJECT

public:
    QList<QVariantMap> changes;
    QList<qlonglong> seeks;

public Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
        if (interface == playerInterface)
            changes.append(changed);
    }
    void seeked(qlonglong position) { seeks.append(position); }
};

QVariantMap toMap(const QVariant& value) {
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

// The player on a session bus of the test's own, and a client connection that talks to it.
class MprisTest : public ::testing::Test {
protected:
    void SetUp() override {
        const StartedBus bus = startPrivateBus(daemon, player.dir.path());
        if (bus.missing)
            GTEST_SKIP() << "no dbus-daemon on this machine";
        ASSERT_FALSE(bus.address.isEmpty());
        address = bus.address;
        client.emplace(QDBusConnection::connectToBus(address, u"orvu-mpris-client"_s));
        ASSERT_TRUE(client->isConnected());
        ASSERT_TRUE(client->connect(service, path, u"org.freedesktop.DBus.Properties"_s,
                                    u"PropertiesChanged"_s, &watcher,
                                    SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
        ASSERT_TRUE(
            client->connect(service, path, playerInterface, u"Seeked"_s, &watcher, SLOT(seeked(qlonglong))));

        w = &player.start();
        w->Bass.stop(); // the output held still: positions are exactly what the handlers set
        mpris.emplace(*w, QDBusConnection::connectToBus(address, u"orvu-mpris-player"_s));
        ASSERT_TRUE(mpris->isRegistered());
        ASSERT_EQ(mpris->serviceName(), service);
    }
    void TearDown() override {
        mpris.reset();
        player.close();
        // The signal hooks go before the connection: Qt's bus thread would otherwise still disconnect
        // them from a connection being taken down.
        if (client) {
            client->disconnect(service, path, u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s,
                               &watcher, SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
            client->disconnect(service, path, playerInterface, u"Seeked"_s, &watcher,
                               SLOT(seeked(qlonglong)));
            QCoreApplication::processEvents();
        }
        client.reset();
        QDBusConnection::disconnectFromBus(u"orvu-mpris-client"_s);
        QDBusConnection::disconnectFromBus(u"orvu-mpris-player"_s);
        // Qt's bus thread finishes with both connections before the daemon goes: a daemon gone first
        // leaves it news of the lost connections that it may not deliver before the program ends.
        QTest::qWait(50);
        daemon.kill();
        daemon.waitForFinished();
    }

    // A method call from the client, the event loop running meanwhile so that the player can answer.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        return client->call(message, QDBus::BlockWithGui, 5000);
    }
    void playerCall(const QString& method, const QVariantList& arguments = {}) {
        const QDBusMessage reply = call(playerInterface, method, arguments);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    QVariant property(const QString& name, const QString& interface = playerInterface) {
        const QDBusMessage reply = call(u"org.freedesktop.DBus.Properties"_s, u"Get"_s, {interface, name});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().first().value<QDBusVariant>().variant();
    }
    void setProperty(const QString& name, const QVariant& value) {
        const QDBusMessage reply = call(u"org.freedesktop.DBus.Properties"_s, u"Set"_s,
                                        {playerInterface, name, QVariant::fromValue(QDBusVariant(value))});
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    QVariantMap metadata() { return toMap(property(u"Metadata"_s)); }
    // Lets the signals sent so far reach the watcher.
    void settle() { QTest::qWait(100); }
    QVariantMap lastChange() { return watcher.changes.isEmpty() ? QVariantMap() : watcher.changes.last(); }

    QString taggedTrack(const QString& name, const char* title, const char* artist, const char* album) {
        const QString target = player.appFile(name);
        EXPECT_TRUE(QFile::copy(QString::fromStdString(orvu::test::fixturePath("sine1k.mp3")), target));
        TagLib::FileRef file(QFile::encodeName(target).constData());
        file.tag()->setTitle(TagLib::String(title, TagLib::String::UTF8));
        file.tag()->setArtist(artist);
        file.tag()->setAlbum(album);
        EXPECT_TRUE(file.save());
        return target;
    }

    PlayerFixture player;
    QProcess daemon;
    QString address;
    std::optional<QDBusConnection> client;
    BusWatcher watcher;
    TForm1* w = nullptr;
    std::optional<MprisService> mpris;
};

} // namespace

// The transport methods run the buttons' handlers: the status, the track's metadata (tags, length, a
// file URL, a track id) and every change of them reach the bus as PropertiesChanged.
TEST_F(MprisTest, TransportRunsTheButtonsAndAnnouncesEachChange) {
    EXPECT_EQ(property(u"PlaybackStatus"_s).toString(), u"Stopped"_s);
    EXPECT_EQ(metadata().value(u"mpris:trackid"_s).value<QDBusObjectPath>().path(),
              u"/org/mpris/MediaPlayer2/TrackList/NoTrack"_s);
    EXPECT_EQ(property(u"Identity"_s, u"org.mpris.MediaPlayer2"_s).toString(), u"ORVU"_s);
    EXPECT_EQ(property(u"DesktopEntry"_s, u"org.mpris.MediaPlayer2"_s).toString(), u"orvu"_s);

    const QString first = taggedTrack(u"first song.mp3"_s, "Première", "Some Artist", "An Album");
    const QString second = taggedTrack(u"second.mp3"_s, "Second", "Other", "Another");
    w->AddPlaylistEntry(first);
    w->AddPlaylistEntry(second);

    playerCall(u"Play"_s);
    EXPECT_EQ(property(u"PlaybackStatus"_s).toString(), u"Playing"_s);
    QVariantMap data = metadata();
    EXPECT_EQ(data.value(u"xesam:title"_s).toString(), u"Première"_s);
    EXPECT_EQ(data.value(u"xesam:artist"_s).toStringList(), QStringList{u"Some Artist"_s});
    EXPECT_EQ(data.value(u"xesam:album"_s).toString(), u"An Album"_s);
    EXPECT_EQ(data.value(u"xesam:url"_s).toString(), u"file://"_s + QString(first).replace(u" "_s, u"%20"_s));
    EXPECT_NEAR(data.value(u"mpris:length"_s).toLongLong(), 2'000'000, 60'000);
    const QString firstId = data.value(u"mpris:trackid"_s).value<QDBusObjectPath>().path();
    EXPECT_TRUE(firstId.startsWith(u"/org/orvu/track/"_s)) << firstId.toStdString();
    settle();
    ASSERT_FALSE(watcher.changes.isEmpty());
    EXPECT_EQ(lastChange().value(u"PlaybackStatus"_s).toString(), u"Playing"_s);
    EXPECT_EQ(toMap(lastChange().value(u"Metadata"_s)).value(u"xesam:title"_s).toString(), u"Première"_s);

    // Play while playing does not restart the track, as the play button would.
    const int changesBefore = static_cast<int>(watcher.changes.size());
    playerCall(u"Play"_s);
    settle();
    EXPECT_EQ(watcher.changes.size(), changesBefore);

    playerCall(u"Pause"_s);
    EXPECT_EQ(property(u"PlaybackStatus"_s).toString(), u"Paused"_s);
    settle();
    EXPECT_EQ(lastChange(), (QVariantMap{{u"PlaybackStatus"_s, u"Paused"_s}}));
    playerCall(u"PlayPause"_s);
    EXPECT_EQ(property(u"PlaybackStatus"_s).toString(), u"Playing"_s);
    playerCall(u"PlayPause"_s);
    EXPECT_EQ(property(u"PlaybackStatus"_s).toString(), u"Paused"_s);
    playerCall(u"PlayPause"_s);

    playerCall(u"Next"_s);
    EXPECT_EQ(w->lst1->itemIndex(), 1);
    data = metadata();
    EXPECT_EQ(data.value(u"xesam:title"_s).toString(), u"Second"_s);
    EXPECT_NE(data.value(u"mpris:trackid"_s).value<QDBusObjectPath>().path(), firstId);
    settle();
    EXPECT_EQ(toMap(lastChange().value(u"Metadata"_s)).value(u"xesam:title"_s).toString(), u"Second"_s);

    playerCall(u"Previous"_s);
    EXPECT_EQ(w->lst1->itemIndex(), 0);
    EXPECT_EQ(metadata().value(u"xesam:title"_s).toString(), u"Première"_s);

    playerCall(u"Stop"_s);
    EXPECT_EQ(property(u"PlaybackStatus"_s).toString(), u"Stopped"_s);
    settle();
    EXPECT_EQ(lastChange().value(u"PlaybackStatus"_s).toString(), u"Stopped"_s);
}

// Seek and SetPosition move the seek bar and let it go, as the user does; Position follows, a jump is
// announced as Seeked, a position for another track or outside this one is ignored, and a seek past
// the end goes to the next track.
TEST_F(MprisTest, SeekingGoesThroughTheSeekBar) {
    const QString longTrack = player.appFile(u"long.wav"_s);
    orvu::test::writeWav(longTrack, orvu::test::WavSpec{.seconds = 10, .rate = 44100, .channels = 2});
    w->AddPlaylistEntry(longTrack);
    w->AddPlaylistEntry(taggedTrack(u"after.mp3"_s, "After", "A", "B"));
    playerCall(u"Play"_s);
    const QDBusObjectPath track = metadata().value(u"mpris:trackid"_s).value<QDBusObjectPath>();

    playerCall(u"SetPosition"_s, {QVariant::fromValue(track), qlonglong{4'000'000}});
    EXPECT_EQ(w->scrlbr1->position(), 4);
    EXPECT_NEAR(property(u"Position"_s).toLongLong(), 4'000'000, 50'000);
    playerCall(u"Seek"_s, {qlonglong{3'000'000}});
    EXPECT_NEAR(property(u"Position"_s).toLongLong(), 7'000'000, 50'000);
    playerCall(u"Seek"_s, {qlonglong{-20'000'000}}); // before the start is the start
    EXPECT_NEAR(property(u"Position"_s).toLongLong(), 0, 50'000);
    settle();
    ASSERT_EQ(watcher.seeks.size(), 3);
    EXPECT_NEAR(watcher.seeks[1], 7'000'000, 50'000);

    playerCall(u"SetPosition"_s,
               {QVariant::fromValue(QDBusObjectPath(u"/org/orvu/track/999"_s)), qlonglong{5'000'000}});
    playerCall(u"SetPosition"_s, {QVariant::fromValue(track), qlonglong{60'000'000}});
    EXPECT_NEAR(property(u"Position"_s).toLongLong(), 0, 50'000);

    playerCall(u"Seek"_s, {qlonglong{30'000'000}});
    EXPECT_EQ(metadata().value(u"xesam:title"_s).toString(), u"After"_s);
}

// Volume is the volume slider, both ways: set from the bus it moves the slider (whose handler sets the
// channel's volume), and a move of the slider reaches the bus.
TEST_F(MprisTest, VolumeIsTheVolumeSlider) {
    setProperty(u"Volume"_s, 0.3);
    EXPECT_EQ(w->scrlbr2->position(), 30);
    EXPECT_TRUE(w->scrlbr2->toolTip().endsWith(u"30"_s));
    EXPECT_DOUBLE_EQ(property(u"Volume"_s).toDouble(), 0.3);
    setProperty(u"Volume"_s, 1.7);
    EXPECT_EQ(w->scrlbr2->position(), 100);

    w->scrlbr2->setPosition(70);
    mpris->refresh();
    settle();
    EXPECT_DOUBLE_EQ(lastChange().value(u"Volume"_s).toDouble(), 0.7);
}

// OpenUri is a drop of the file on the playlist: on an empty playlist it plays; other schemes are
// refused without touching the playlist.
TEST_F(MprisTest, OpenUriDropsTheFileOnThePlaylist) {
    const QString track = taggedTrack(u"dropped song.mp3"_s, "Dropped", "A", "B");
    playerCall(u"OpenUri"_s, {u"https://example.org/stream.mp3"_s});
    EXPECT_EQ(w->lst1->count(), 0);
    playerCall(u"OpenUri"_s, {QUrl::fromLocalFile(track).toString()});
    EXPECT_EQ(w->lst1->count(), 1);
    EXPECT_EQ(property(u"PlaybackStatus"_s).toString(), u"Playing"_s);
    EXPECT_EQ(metadata().value(u"xesam:title"_s).toString(), u"Dropped"_s);
}

// What a file manager and the bus are told the player opens is what its add-files filter offers: each
// pattern that the system's MIME database knows has one of its types in the desktop entry, and the
// bus offers the entry's list.
TEST_F(MprisTest, DesktopEntryAndBusOfferTheAddFilesFilterTypes) {
    QFile entry(QStringLiteral(ORVU_DESKTOP_FILE));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    QStringList entryTypes;
    for (const QByteArray& line : entry.readAll().split('\n')) {
        if (line.startsWith("MimeType="))
            entryTypes = QString::fromUtf8(line.mid(9)).split(u';', Qt::SkipEmptyParts);
    }
    ASSERT_FALSE(entryTypes.isEmpty());
    QStringList busTypes = property(u"SupportedMimeTypes"_s, u"org.mpris.MediaPlayer2"_s).toStringList();
    busTypes.sort();
    entryTypes.sort();
    EXPECT_EQ(busTypes, entryTypes);

    QTest::mouseClick(w->Button1, Qt::LeftButton);
    ASSERT_EQ(player.dialogs.size(), 1);
    const QString filter = player.dialogs.first().filter;
    const QStringList patterns =
        filter.mid(filter.indexOf(u'(') + 1).chopped(1).split(u' ', Qt::SkipEmptyParts);
    ASSERT_GT(patterns.size(), 30);
    const QMimeDatabase database;
    int known = 0;
    for (const QString& pattern : patterns) {
        const QList<QMimeType> types = database.mimeTypesForFileName(u"file"_s + pattern.mid(1));
        if (types.isEmpty())
            continue; // no MIME type for it: the entry cannot name one
        ++known;
        const bool listed = std::any_of(types.begin(), types.end(), [&](const QMimeType& type) {
            return entryTypes.contains(type.name());
        });
        EXPECT_TRUE(listed) << pattern.toStdString();
    }
    EXPECT_GT(known, 20); // the database is there at all
}

// playerctl, as a user's key binding runs it, finds the player by name and drives it.
TEST_F(MprisTest, PlayerctlDrivesThePlayer) {
    if (QStandardPaths::findExecutable(u"playerctl"_s).isEmpty())
        GTEST_SKIP() << "no playerctl on this machine";
    w->AddPlaylistEntry(taggedTrack(u"one.mp3"_s, "One", "Band", "Record"));
    const auto playerctl = [&](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, address);
        process.setProcessEnvironment(environment);
        process.start(u"playerctl"_s, QStringList{u"--player=orvu"_s} + arguments);
        // The player answers from this thread's event loop.
        for (int i = 0; i < 500 && process.state() != QProcess::NotRunning; ++i)
            QTest::qWait(10);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    };
    playerctl({u"play-pause"_s});
    EXPECT_EQ(playerctl({u"status"_s}), u"Playing"_s);
    EXPECT_EQ(playerctl({u"metadata"_s, u"--format"_s, u"{{artist}} - {{title}} ({{album}})"_s}),
              u"Band - One (Record)"_s);
    playerctl({u"volume"_s, u"0.25"_s});
    EXPECT_EQ(w->scrlbr2->position(), 25);
    playerctl({u"pause"_s});
    EXPECT_EQ(playerctl({u"status"_s}), u"Paused"_s);
}

// A second player on the bus takes a name of its own, as the interface allows; without a bus nothing
// is registered and nothing fails.
TEST_F(MprisTest, SecondPlayerAndNoBus) {
    {
        MprisService second(*w, QDBusConnection::connectToBus(address, u"orvu-mpris-second"_s));
        EXPECT_TRUE(second.isRegistered());
        EXPECT_EQ(second.serviceName(),
                  service + u".instance"_s + QString::number(QCoreApplication::applicationPid()));
    }
    QDBusConnection::disconnectFromBus(u"orvu-mpris-second"_s);
    {
        MprisService none(
            *w, QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"orvu-mpris-none"_s));
        EXPECT_FALSE(none.isRegistered());
        none.refresh();
    }
    QDBusConnection::disconnectFromBus(u"orvu-mpris-none"_s);
}

#include "mpris_test.moc"
