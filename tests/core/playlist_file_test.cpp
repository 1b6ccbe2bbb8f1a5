// Purpose: the playlist file format: line splitting, NUL, round trips, special files and error messages;
// paths kept as their bytes, from the file and from the command line.
#include "core/display_name.h"
#include "core/path_bytes.h"
#include "core/player_error.h"
#include "core/playlist_file.h"
#include "support/error_message.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::errorMessageOf;
using orvu::test::readBytes;
using orvu::test::TempDir;
using orvu::test::writeBytes;

namespace {

QString escaped(const char* utf8, char16_t byte) {
    return QString::fromUtf8(utf8) + QChar(static_cast<char16_t>(0xDC00 + byte));
}

// Valid UTF-8 decodes as usual; every byte of a sequence that is not well-formed UTF-8 (a Latin-1
// letter, a stray or missing continuation, an overlong form, an encoded surrogate, a code beyond
// U+10FFFF) becomes its own escape, and the bytes come back unchanged.
TEST(PathBytes, DecodesUtf8AndEscapesEveryOtherByte) {
    const std::pair<QByteArray, QString> cases[] = {
        {"/m/a b.mp3", u"/m/a b.mp3"_s},
        {"/m\xc3\xbasica/\xe6\x9b\xb2 \xf0\x9f\x8e\xb5.flac", u"/música/曲 🎵.flac"_s},
        {"caf\xe9.mp3", escaped("caf", 0xE9) + u".mp3"_s},
        {"\xc3", escaped("", 0xC3)},
        {"\xe6\x9b", escaped("", 0xE6) + escaped("", 0x9B)},
        {"\x80"
         "a",
         escaped("", 0x80) + u"a"_s},
        {"\xc0\x80", escaped("", 0xC0) + escaped("", 0x80)},
        {"\xe0\x80\x80", escaped("", 0xE0) + escaped("", 0x80) + escaped("", 0x80)},
        {"\xed\xb3\xa9", escaped("", 0xED) + escaped("", 0xB3) + escaped("", 0xA9)},
        {"\xf4\x90\x80\x80", escaped("", 0xF4) + escaped("", 0x90) + escaped("", 0x80) + escaped("", 0x80)},
        {"\xff\xfe", escaped("", 0xFF) + escaped("", 0xFE)},
    };
    for (const auto& [bytes, path] : cases) {
        EXPECT_EQ(pathFromBytes(bytes), path) << bytes.toStdString();
        EXPECT_EQ(pathToBytes(path), bytes) << bytes.toStdString();
    }
}

// Every string of one or two bytes, and of three whose first is a lead byte, maps to a path and back
// to the same bytes, so no two byte names share a path.
TEST(PathBytes, EveryShortByteStringRoundTrips) {
    for (int a = 0; a < 256; ++a) {
        for (int b = -1; b < 256; ++b) {
            QByteArray bytes(1, static_cast<char>(a));
            if (b >= 0)
                bytes.append(static_cast<char>(b));
            ASSERT_EQ(pathToBytes(pathFromBytes(bytes)), bytes);
            if (a < 0xC0)
                continue;
            for (int c = 0x70; c < 0xD0; ++c)
                ASSERT_EQ(pathToBytes(pathFromBytes(bytes + char(c))), bytes + char(c));
        }
    }
}

// The name on screen shows U+FFFD for each byte that is not UTF-8; the path keeps the byte.
TEST(PathBytes, DisplayShowsAReplacementCharacter) {
    const QString path = pathFromBytes("/m/caf\xe9 \xff\xfe.mp3");
    EXPECT_EQ(displayName(path), u"caf\uFFFD \uFFFD\uFFFD.mp3"_s);
    EXPECT_EQ(pathForDisplay(path), u"/m/caf\uFFFD \uFFFD\uFFFD.mp3"_s);
    EXPECT_EQ(pathToBytes(path), QByteArray("/m/caf\xe9 \xff\xfe.mp3"));
}

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

// A playlist of any bytes but line breaks and NUL is read and written back byte for byte: Latin-1
// names, broken UTF-8, every byte value.
TEST(PlaylistFile, ArbitraryBytesRoundTripThroughDisk) {
    TempDir dir;
    QByteArray everyByte;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n')
            everyByte.append(static_cast<char>(byte));
    const QByteArray text = "/m/caf\xe9.mp3\r\n" + everyByte + "\r\n\xff\xfe\xed\xa0\x80/x.ogg\r\n" +
                            "/m/\xc3\xbasica \xc3.mp3\r\n";
    const QString original = dir.file(u"original.orvl"_s);
    const QString copy = dir.file(u"copy.orvl"_s);
    writeBytes(original, text);
    const QStringList paths = readPlaylistFile(original);
    ASSERT_EQ(paths.size(), 4);
    EXPECT_EQ(paths[0], pathFromBytes("/m/caf\xe9.mp3"));
    writePlaylistFile(copy, paths);
    EXPECT_EQ(readBytes(copy), text);

    // The playlist file's own name may hold such bytes too: it is written, replaced and read.
    const QString byteName = pathFromBytes(QFile::encodeName(dir.path()) + "/caf\xe9.orvl");
    writePlaylistFile(byteName, paths);
    writePlaylistFile(byteName, paths);
    EXPECT_EQ(readPlaylistFile(byteName), paths);
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        EXPECT_FALSE(name.contains(u".tmp-"_s)) << name.toStdString(); // no temporary left behind
}

// Every argument after the program's name is a file, those named like Qt's options too, each as the
// bytes it was given; the first "--" only ends options.
TEST(CommandLine, EveryArgumentIsAFile) {
    using Arguments = std::vector<const char*>;
    const std::pair<Arguments, QStringList> cases[] = {
        {{"orvu"}, {}},
        {{"orvu", "a.mp3"}, {u"a.mp3"_s}},
        {{"orvu", "-style", "x.mp3"}, {u"-style"_s, u"x.mp3"_s}},
        {{"orvu", "-platform", "-display", "-reverse"}, {u"-platform"_s, u"-display"_s, u"-reverse"_s}},
        {{"orvu", "--", "-style", "x.mp3"}, {u"-style"_s, u"x.mp3"_s}},
        {{"orvu", "a.mp3", "--", "b.mp3"}, {u"a.mp3"_s, u"b.mp3"_s}},
        {{"orvu", "--", "--"}, {u"--"_s}},
        {{"orvu", "caf\xe9.mp3", ""}, {pathFromBytes("caf\xe9.mp3"), u""_s}},
    };
    for (const auto& [arguments, files] : cases)
        EXPECT_EQ(commandLineFiles(static_cast<int>(arguments.size()), arguments.data()), files)
            << files.join(u' ').toStdString();
}

// A dropped file's URL gives the name's own bytes, percent-escapes that are not UTF-8 included.
TEST(PathBytes, LocalFileUrlsGiveTheirBytes) {
    EXPECT_EQ(pathFromUrl(QUrl::fromEncoded("file:///m/caf%E9%20x.mp3")), pathFromBytes("/m/caf\xe9 x.mp3"));
    EXPECT_EQ(pathFromUrl(QUrl::fromEncoded("file:///m/m%C3%BAsica/%E6%9B%B2.mp3")), u"/m/música/曲.mp3"_s);
    EXPECT_EQ(pathFromUrl(QUrl::fromLocalFile(u"/m/a #1%.mp3"_s)), u"/m/a #1%.mp3"_s);
    EXPECT_EQ(pathFromUrl(QUrl(u"https://example.org/a.mp3"_s)), QString());
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
