// Purpose: the playlist operations keep the name list and the path list aligned.
#include "shell/error_box.h"
#include "shell/main_window.h"
#include "skin/list_box.h"
#include "support/error_message.h"
#include "support/player_fixture.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::errorMessageOf;
using orvu::test::readBytes;
using orvu::test::TempDir;
using orvu::test::writeBytes;

namespace {

QStringList names(const ListBox* list) {
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result.append(list->itemText(i));
    return result;
}

// Adding an entry appends its path to the playlist and its display name to lst1.
TEST(Playlist, AddKeepsBothListsAligned) {
    orvu::test::PlayerFixture player;
    TForm1& window = player.build();
    window.AddPlaylistEntry(u"/music/a.mp3"_s);
    window.AddPlaylistEntry(u"b.ogg"_s);
    window.AddPlaylistEntry(u""_s);
    EXPECT_EQ(window.playlist.paths(), (QStringList{u"/music/a.mp3"_s, u"b.ogg"_s, u""_s}));
    EXPECT_EQ(names(window.lst1), (QStringList{u"a.mp3"_s, u"b.ogg"_s, u""_s}));
}

// Reading replaces the playlist; writing and reading back round-trips; names stay plain text.
TEST(Playlist, ReadReplacesAndWriteRoundTrips) {
    TempDir dir;
    const QString file = dir.file(u"x.orvl"_s);
    writeBytes(file, "/m/one.mp3\r\n\r\n/m/<i>two.mp3");
    orvu::test::PlayerFixture player;
    TForm1& window = player.build();
    window.AddPlaylistEntry(u"/old.mp3"_s);
    window.ReadPlaylistFile(file);
    EXPECT_EQ(window.playlist.paths(), (QStringList{u"/m/one.mp3"_s, u""_s, u"/m/<i>two.mp3"_s}));
    EXPECT_EQ(names(window.lst1), (QStringList{u"one.mp3"_s, u""_s, u"<i>two.mp3"_s}));

    const QString copy = dir.file(u"copy.orvl"_s);
    window.WritePlaylistFile(copy);
    EXPECT_EQ(readBytes(copy), QByteArray("/m/one.mp3\r\n\r\n/m/<i>two.mp3\r\n"));
}

// A playlist file that cannot be read raises the open error and leaves the playlist as it was.
TEST(Playlist, FailedReadKeepsThePlaylist) {
    TempDir dir;
    orvu::test::PlayerFixture player;
    TForm1& window = player.build();
    window.AddPlaylistEntry(u"/keep.mp3"_s);
    EXPECT_THROW(window.ReadPlaylistFile(dir.file(u"missing.orvl"_s)), PlayerError);
    EXPECT_EQ(window.playlist.paths(), QStringList{u"/keep.mp3"_s});
    EXPECT_EQ(names(window.lst1), QStringList{u"keep.mp3"_s});
}

// The path list refuses indices outside 0..count-1 with the list error and stays as it was.
TEST(Playlist, PathListRefusesBadIndices) {
    StringList list;
    list.add(u"a"_s);
    EXPECT_EQ(errorMessageOf([&] { list.at(1); }), u"List index out of bounds (1)"_s);
    EXPECT_EQ(errorMessageOf([&] { list.at(-1); }), u"List index out of bounds (-1)"_s);
    EXPECT_EQ(errorMessageOf([&] { list.removeAt(5); }), u"List index out of bounds (5)"_s);
    EXPECT_EQ(errorMessageOf([&] { list.insert(3, u"x"_s); }), u"List index out of bounds (3)"_s);
    EXPECT_EQ(errorMessageOf([&] { list.move(0, 1); }), u"List index out of bounds (1)"_s);
    list.insert(1, u"b"_s);
    EXPECT_EQ(list.items(), (QStringList{u"a"_s, u"b"_s}));
}

} // namespace
