// Purpose: tests of the hand-over of a later start's files to the running player over its socket.
#include "core/path_bytes.h"
#include "shell/single_instance.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTest>

#include <future>

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using HandOver = SingleInstance::HandOver;

namespace {

// Hands the files over from another thread, as a later process would, while this one serves.
std::future<HandOver> handOverLater(const QString& socket, const QStringList& files) {
    return std::async(std::launch::async,
                      [socket, files] { return SingleInstance(socket).handOver(files, 3000); });
}

// What a player that died leaves: a socket file that nobody listens on.
void leaveDeadSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(path));
}

} // namespace

// The running player receives the files in order, relative names made absolute against the later
// start's directory, names that are not UTF-8 byte for byte; the later start learns they arrived.
TEST(SingleInstance, HandsTheFilesToTheRunningPlayer) {
    orvu::test::TempDir dir;
    SingleInstance running(dir.file(u"orvu.socket"_s));
    ASSERT_TRUE(running.listen());
    QSignalSpy received(&running, &SingleInstance::filesReceived);

    const QString latin1Name = pathFromBytes("/music/caf\xe9.mp3");
    const QStringList files{u"/music/b.ogg"_s, u"relative/a.mp3"_s, latin1Name};
    auto later = handOverLater(dir.file(u"orvu.socket"_s), files);
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(later.get(), HandOver::Delivered);
    const QStringList got = received.at(0).at(0).toStringList();
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(got[0], u"/music/b.ogg"_s);
    EXPECT_EQ(got[1], QDir::currentPath() + u"/relative/a.mp3"_s);
    EXPECT_EQ(pathToBytes(got[2]), QByteArray("/music/caf\xe9.mp3"));

    // A start without files still reaches the player (which comes to the front).
    auto bare = handOverLater(dir.file(u"orvu.socket"_s), {});
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(bare.get(), HandOver::Delivered);
    EXPECT_TRUE(received.at(1).at(0).toStringList().isEmpty());
}

// With no player, or only the socket a crashed one left, the start becomes the player: the dead socket
// is replaced and later starts reach the new player.
TEST(SingleInstance, NoPlayerOrADeadSocketLetsTheStartListen) {
    orvu::test::TempDir dir;
    const QString socket = dir.file(u"orvu.socket"_s);
    EXPECT_EQ(SingleInstance(socket).handOver({u"/a.mp3"_s}, 1000), HandOver::NoPlayer);

    leaveDeadSocket(socket);
    EXPECT_EQ(SingleInstance(socket).handOver({u"/a.mp3"_s}, 1000), HandOver::NoPlayer);
    SingleInstance player(socket);
    ASSERT_TRUE(player.listen());
    QSignalSpy received(&player, &SingleInstance::filesReceived);
    auto later = handOverLater(socket, {u"/a.mp3"_s});
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(later.get(), HandOver::Delivered);
}

// A second player (started with --new-instance) never takes the socket of one that runs.
TEST(SingleInstance, ALiveSocketIsNotTaken) {
    orvu::test::TempDir dir;
    const QString socket = dir.file(u"orvu.socket"_s);
    SingleInstance first(socket);
    ASSERT_TRUE(first.listen());
    SingleInstance second(socket);
    EXPECT_FALSE(second.listen());
    QSignalSpy received(&first, &SingleInstance::filesReceived);
    auto later = handOverLater(socket, {u"/a.mp3"_s});
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(later.get(), HandOver::Delivered);
}

// A process that accepts the connection but never confirms (a hung player, something else on the
// path) is a failed hand-over, not a delivered one: the start then runs a player of its own.
TEST(SingleInstance, AnUnansweredConnectionFails) {
    orvu::test::TempDir dir;
    const QString socket = dir.file(u"orvu.socket"_s);
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(socket));
    auto later = std::async(std::launch::async,
                            [socket] { return SingleInstance(socket).handOver({u"/a.mp3"_s}, 500); });
    QTest::qWait(50);
    EXPECT_EQ(later.get(), HandOver::Failed);
}

// Players that share a settings directory share a socket, in the user's runtime directory; another
// settings directory (another portable copy) is another player.
TEST(SingleInstance, OneSocketPerSettingsDirectory) {
    orvu::test::TempDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString installed = SingleInstance::socketPathFor(u"/home/u/.config/orvu/"_s);
    EXPECT_EQ(SingleInstance::socketPathFor(u"/home/u/.config/orvu/"_s), installed);
    EXPECT_NE(SingleInstance::socketPathFor(u"/opt/orvu-portable/"_s), installed);
    EXPECT_TRUE(installed.startsWith(runtime.path() + u"/orvu-"_s)) << installed.toStdString();
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
}
