// Purpose: the playlist file format: line splitting, NUL, round trips, special files and error messages.
#include "core/player_error.h"
#include "core/playlist_file.h"
#include "support/error_message.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::errorMessageOf;
using orvu::test::readBytes;
using orvu::test::TempDir;
using orvu::test::writeBytes;

namespace {

// Lines split at CR, LF or CR LF; empty lines are entries; the last line needs no break; NUL ends the
// text; nothing is trimmed.
TEST(PlaylistFormat, SplitsLinesAndKeepsEverything) {
    const std::pair<QByteArray, QStringList> cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {u"a"_s, u"b"_s}},
        {"a\nb", {u"a"_s, u"b"_s}},
        {"a\rb\r", {u"a"_s, u"b"_s}},
        {"a\r\n\r\nb\r\n", {u"a"_s, u""_s, u"b"_s}},
        {"a\n\rb", {u"a"_s, u""_s, u"b"_s}},
        {"\r\n", {u""_s}},
        {" a \t\r\n", {u" a \t"_s}},
        {QByteArray("a\r\nb\0c\r\nd\r\n", 11), {u"a"_s, u"b"_s}},
        {QByteArray("\0a\r\n", 4), {}},
        {"/m\xc3\xbasica/J\xc3\xb3ga.mp3", {u"/música/Jóga.mp3"_s}},
    };
    for (const auto& [text, paths] : cases)
        EXPECT_EQ(parsePlaylist(text), paths) << text.toStdString();
}

// Every entry, the last included, is followed by CR LF; no entries give no bytes.
TEST(PlaylistFormat, WritesCrLfAfterEveryEntry) {
    EXPECT_EQ(serializePlaylist({}), QByteArray());
    EXPECT_EQ(serializePlaylist({u"a"_s, u""_s, u"/b c.mp3"_s}), QByteArray("a\r\n\r\n/b c.mp3\r\n"));
}

// Writing and reading back gives the same entries, non-ASCII names and empty entries included.
TEST(PlaylistFile, RoundTripsThroughDisk) {
    TempDir dir;
    const QString file = dir.file(u"list.orvl"_s);
    const QStringList paths = {u"/música/Björk – Jóga.mp3"_s, u""_s, u"relative.ogg"_s, u"/日本/曲.flac"_s};
    writePlaylistFile(file, paths);
    EXPECT_EQ(readPlaylistFile(file), paths);

    writePlaylistFile(file, {});
    EXPECT_EQ(readBytes(file).size(), 0);
    EXPECT_EQ(readPlaylistFile(file), QStringList());
}

// Missing files, directories and FIFOs fail with the open error, at once and without blocking.
TEST(PlaylistFile, RefusesWhatIsNotARegularFile) {
    TempDir dir;
    const QString missing = dir.file(u"missing.orvl"_s);
    EXPECT_EQ(errorMessageOf([&] { readPlaylistFile(missing); }),
              u"Cannot open file \"%1\". No such file or directory"_s.arg(missing));
    EXPECT_EQ(errorMessageOf([&] { readPlaylistFile(dir.path()); }),
              u"Cannot open file \"%1\". Is a directory"_s.arg(dir.path()));

    const QString fifo = dir.file(u"fifo.orvl"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(errorMessageOf([&] { readPlaylistFile(fifo); }),
              u"Cannot open file \"%1\". Not a regular file"_s.arg(fifo));
}

// A failed write raises the create error and leaves the old file as it was, with no temporary left.
TEST(PlaylistFile, FailedWriteKeepsTheOldFile) {
    TempDir dir;
    const QString file = dir.file(u"Default.orvl"_s);
    writeBytes(file, "/old.mp3\r\n");
    QFile::setPermissions(file, QFile::ReadOwner);
    EXPECT_EQ(errorMessageOf([&] { writePlaylistFile(file, {u"/new.mp3"_s}); }),
              u"Cannot create file \"%1\". Permission denied"_s.arg(file));
    EXPECT_EQ(readBytes(file), QByteArray("/old.mp3\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"Default.orvl"_s});

    const QString nowhere = dir.file(u"no/such/dir/x.orvl"_s);
    EXPECT_EQ(errorMessageOf([&] { writePlaylistFile(nowhere, {}); }),
              u"Cannot create file \"%1\". No such file or directory"_s.arg(nowhere));
}

// Replacing a file keeps its permissions and writes through a symbolic link to its target.
TEST(PlaylistFile, ReplacementKeepsModeAndLinks) {
    TempDir dir;
    const QString target = dir.file(u"real.orvl"_s);
    const QString link = dir.file(u"link.orvl"_s);
    writeBytes(target, "old\r\n");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ASSERT_TRUE(QFile::link(target, link));
    writePlaylistFile(link, {u"new"_s});
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readBytes(target), QByteArray("new\r\n"));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

} // namespace
