// Purpose: a disk that fills up while the player closes: each failed file is reported in the error box,
// the old settings and playlist stay whole, and no partial temporary file is left behind.
#include "core/atomic_file.h"
#include "skin/list_box.h"
#include "support/player_fixture.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::PlayerFixture;
using orvu::test::readBytes;
using orvu::test::writeBytes;

namespace {

// Makes every atomic write fail with errno `error` while it lives.
class FailingWrites {
public:
    explicit FailingWrites(int error)
        : previous_(failFileWritesWith(error)) {}
    ~FailingWrites() { failFileWritesWith(previous_); }
    FailingWrites(const FailingWrites&) = delete;
    FailingWrites& operator=(const FailingWrites&) = delete;

private:
    int previous_;
};

} // namespace

// A full disk at the close: both files are reported, in the close's order, both keep their old bytes
// and no temporary file stays; once there is room again, the next close writes both.
TEST(FullDisk, CloseReportsEachFileAndKeepsTheOldOnes) {
    PlayerFixture player;
    const QString ini = player.appFile(u"ORVU.ini"_s);
    const QString playlist = player.appFile(u"Default.orvl"_s);
    const QByteArray oldIni = "[Volume]\r\nLevel=20\r\n[Kept]\r\nunknown line\r\n";
    const QByteArray oldPlaylist = "/music/a.mp3\r\n/music/b.mp3\r\n";
    writeBytes(ini, oldIni);
    writeBytes(playlist, oldPlaylist);

    {
        TForm1& w = player.start();
        ASSERT_EQ(w.lst1->count(), 2) << player.messages.texts().join(u'|').toStdString();
        w.AddPlaylistEntry(u"/music/c.mp3"_s);
        FailingWrites full(ENOSPC);
        player.close();
    }
    const QString noSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));
    EXPECT_EQ(player.messages.texts(),
              (QStringList{u"Unable to write to %1."_s.arg(ini),
                           u"Cannot create file \"%1\". %2."_s.arg(playlist, noSpace)}));
    for (const auto& box : player.messages.boxes) {
        EXPECT_EQ(box.icon, QMessageBox::Critical) << box.text.toStdString();
    }
    EXPECT_EQ(readBytes(ini), oldIni);
    EXPECT_EQ(readBytes(playlist), oldPlaylist);
    EXPECT_EQ(QDir(player.dir.path()).entryList({u"*.tmp-*"_s}, QDir::Files), QStringList{});

    player.messages.boxes.clear();
    TForm1& again = player.start();
    EXPECT_EQ(again.lst1->count(), 2);
    again.AddPlaylistEntry(u"/music/c.mp3"_s);
    player.close();
    EXPECT_EQ(player.messages.texts(), QStringList{});
    EXPECT_EQ(readBytes(playlist), QByteArray("/music/a.mp3\r\n/music/b.mp3\r\n/music/c.mp3\r\n"));
    const QByteArray newIni = readBytes(ini);
    EXPECT_TRUE(newIni.contains("[Kept]\r\nunknown line\r\n")) << newIni.constData();
    EXPECT_TRUE(newIni.contains("Level=20\r\n")) << newIni.constData();
}
