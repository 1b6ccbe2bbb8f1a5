// Purpose: the settings and playlist readers stay bounded on huge files and refuse what lies beyond
// their limits without losing or rewriting anything.
#include "core/playlist_file.h"
#include "core/settings_file.h"
#include "support/error_message.h"
#include "support/temp_dir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::errorMessageOf;
using orvu::test::readBytes;
using orvu::test::TempDir;
using orvu::test::writeBytes;

namespace {

// A file of `size` bytes that takes no disk space.
void makeSparse(const QString& path, qint64 size) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(::ftruncate(file.handle(), size), 0);
}

// An INI text of exactly `size` bytes whose last line is the entry [Player] Volume=7.
QByteArray iniOfSize(qsizetype size) {
    const QByteArray tail = "\r\n[Player]\r\nVolume=7";
    QByteArray text = "[Other]\r\n;";
    text += QByteArray(size - text.size() - tail.size(), 'x');
    return text + tail;
}

} // namespace

// A settings file up to the limit is read, and written while the result stays within it; past the
// limit every key reads its default. A refused write raises the error and leaves the file byte for
// byte as it was.
TEST(SettingsFileLimit, PastTheLimitReadsDefaultsAndKeepsTheFile) {
    struct Case {
        qsizetype size;
        bool readable;
        bool writable; // the write adds a CR LF to the last line
    };
    const qsizetype limit = SettingsFile::maxFileSize;
    const Case cases[] = {{limit - 2, true, true}, {limit, true, false}, {limit + 1, false, false}};
    TempDir dir;
    const QString path = dir.file(u"ORVU.ini"_s);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const QByteArray text = iniOfSize(c.size);
        writeBytes(path, text);
        SettingsFile settings(path);
        EXPECT_EQ(settings.readInteger(u"player"_s, u"volume"_s, 3), c.readable ? 7 : 3);
        const QString error = errorMessageOf([&] { settings.writeInteger(u"Player"_s, u"Volume"_s, 9); });
        EXPECT_EQ(error, c.writable ? QString() : u"Unable to write to %1"_s.arg(path));
        EXPECT_EQ(readBytes(path), c.writable ? text.chopped(1) + "9\r\n" : text);
    }
}

// A 2 GB sparse settings file or playlist is refused from its size alone, never read into memory.
TEST(FileLimits, HugeSparseFilesAreRefusedUnread) {
    TempDir dir;
    const QString ini = dir.file(u"ORVU.ini"_s);
    makeSparse(ini, qint64{2} << 30);
    SettingsFile settings(ini);
    EXPECT_EQ(settings.readString(u"Skin"_s, u"Name"_s, u"Default"_s), u"Default"_s);
    EXPECT_EQ(errorMessageOf([&] { settings.writeBool(u"Skin"_s, u"Shadows"_s, true); }),
              u"Unable to write to %1"_s.arg(ini));
    EXPECT_EQ(QFileInfo(ini).size(), qint64{2} << 30);

    const QString playlist = dir.file(u"Default.orvl"_s);
    makeSparse(playlist, qint64{2} << 30);
    EXPECT_EQ(errorMessageOf([&] { readPlaylistFile(playlist); }),
              u"Cannot open file \"%1\". File too large"_s.arg(playlist));
}

// Entries are counted as the reader splits them (CR, LF and CR LF each end one; a last line without an
// end is one more) and a playlist of more than the limit is refused; at the limit it loads whole.
TEST(PlaylistFileLimit, EntriesBeyondTheLimitAreRefused) {
    struct Case {
        const char* name;
        QByteArray text;
        qsizetype entries; // -1: refused
    };
    const qsizetype limit = maxPlaylistEntries;
    const QByteArray full = QByteArray(limit - 3, '\n') + "a\r\n\r/b.mp3";
    const Case cases[] = {
        {"at the limit, mixed line ends", full, limit},
        {"one line end more", full + "\n", limit},
        {"one entry more", full + "\r\n/c.mp3", -1},
        {"a lone CR more", full + "\r\r", -1},
        {"what follows a NUL does not count", full + '\0' + "\n\n\n", limit},
        {"blank lines past the limit", QByteArray(limit + 1, '\r'), -1},
    };
    TempDir dir;
    const QString path = dir.file(u"list.orvl"_s);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, c.text);
        if (c.entries < 0) {
            EXPECT_EQ(errorMessageOf([&] { readPlaylistFile(path); }),
                      u"Cannot open file \"%1\". File too large"_s.arg(path));
        } else {
            const QStringList paths = readPlaylistFile(path);
            EXPECT_EQ(paths.size(), c.entries);
            EXPECT_EQ(paths.back(), u"/b.mp3"_s);
        }
    }
}
