// Purpose: a private D-Bus session daemon for a test, listening in a folder of the test's own.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>

namespace orvu::test {

struct StartedBus {
    QString address;      // empty when the daemon did not come up
    bool missing = false; // dbus-daemon could not be started: not installed here
};

// Writes a session bus configuration into dir and starts dbus-daemon in daemon with it.
inline StartedBus startPrivateBus(QProcess& daemon, const QString& dir) {
    const QString config = dir + QStringLiteral("/bus.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("<busconfig><type>session</type><listen>unix:tmpdir=" + dir.toUtf8() +
               "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
               "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
    file.close();
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                  QStringLiteral("--print-address=1")});
    if (!daemon.waitForStarted(5000))
        return {QString(), true};
    if (!daemon.waitForReadyRead(5000))
        return {};
    return {QString::fromUtf8(daemon.readLine()).trimmed(), false};
}

} // namespace orvu::test
