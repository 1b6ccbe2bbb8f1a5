// Purpose: loading and saving playlist files through their dialogs, and files dropped on the window;
// file names that are not UTF-8 from the default playlist, the command line and drops.
#include "core/path_bytes.h"
#include "playlist_support.h"
#include "support/temp_dir.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace orvu;
using namespace orvu::test;
using namespace Qt::StringLiterals;

namespace {

// Loading asks "Open Playlist" for an existing .orvl file and replaces the playlist with the file's
// entries, nothing selected, nothing played; the dialog proposes the last file the next time.
TEST(PlaylistLoad, ReplacesThePlaylistAndRemembersTheFile) {
    PlayerFixture player;
    TForm1& window = player.build();
    const QString file = player.appFile(u"list.orvl"_s);
    writeBytes(file, "/a/one.mp3\r\n/b/two.ogg\r\n");
    fillLetters(window, u"XYZ"_s, 1);

    player.dialogAnswer = {file};
    QTest::mouseClick(window.btn4, Qt::LeftButton);
    EXPECT_EQ(window.playlist.paths(), (QStringList{u"/a/one.mp3"_s, u"/b/two.ogg"_s}));
    EXPECT_EQ(names(window.lst1), (QStringList{u"one.mp3"_s, u"two.ogg"_s}));
    EXPECT_EQ(window.lst1->itemIndex(), -1);
    EXPECT_EQ(window.session.Channel, 0u);
    ASSERT_EQ(player.dialogs.size(), 1);
    const FileDialogRequest& request = player.dialogs[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::OpenFile);
    EXPECT_EQ(request.title, u"Open Playlist"_s);
    EXPECT_EQ(request.filter, u"ORVU Playlist (*.orvl)"_s);
    EXPECT_EQ(request.defaultSuffix, u"orvl"_s);

    player.dialogAnswer.clear(); // cancelled: nothing changes
    window.btn4Click();
    EXPECT_EQ(window.playlist.count(), 2);
    EXPECT_EQ(player.dialogs[1].proposedName, file);
}

struct NameCase {
    const char* fileName;
    bool loads;
};

class PlaylistLoadName : public testing::TestWithParam<NameCase> {};

// Only the last four letters of the chosen name decide, case-sensitively; a refused name shows
// "Invalid Playlist." as a warning and keeps the playlist.
TEST_P(PlaylistLoadName, DecidesByTheLastFourLetters) {
    PlayerFixture player;
    TForm1& window = player.build();
    const QString file = player.appFile(QString::fromLatin1(GetParam().fileName));
    writeBytes(file, "/n/new.mp3\r\n");
    fillLetters(window, u"AB"_s, 0);
    player.dialogAnswer = {file};
    runHandler(window, &TForm1::btn4Click);
    if (GetParam().loads) {
        EXPECT_EQ(window.playlist.paths(), QStringList{u"/n/new.mp3"_s});
        EXPECT_TRUE(player.messages.boxes.isEmpty());
    } else {
        EXPECT_EQ(lettersOf(window), u"AB"_s);
        ASSERT_EQ(player.messages.boxes.size(), 1);
        EXPECT_EQ(player.messages.boxes[0].text, u"Invalid Playlist."_s);
        EXPECT_EQ(player.messages.boxes[0].caption, u"ORVU"_s);
        EXPECT_EQ(player.messages.boxes[0].icon, QMessageBox::Warning);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, PlaylistLoadName,
                         testing::Values(NameCase{"list.orvl", true}, NameCase{"listorvl", true},
                                         NameCase{"list.ORVL", false}, NameCase{"list.Orvl", false},
                                         NameCase{"list.orvl.txt", false}, NameCase{"list.m3u", false}));

// A chosen playlist that cannot be read shows the open error and keeps both lists.
TEST(PlaylistLoad, UnreadableFileKeepsThePlaylist) {
    PlayerFixture player;
    TForm1& window = player.build();
    fillLetters(window, u"AB"_s, 1);
    const QString missing = player.appFile(u"gone.orvl"_s);
    player.dialogAnswer = {missing};
    runHandler(window, &TForm1::btn4Click);
    ASSERT_EQ(player.messages.boxes.size(), 1);
    EXPECT_TRUE(player.messages.boxes[0].text.startsWith(u"Cannot open file \"%1\". "_s.arg(missing)))
        << player.messages.boxes[0].text.toStdString();
    EXPECT_EQ(lettersOf(window), u"AB"_s);
    EXPECT_TRUE(listsAligned(window));
}

// Saving asks "Save Playlist" proposing "Playlist.orvl", writes the paths, and loading the file back
// gives the same playlist; the next save proposes the file last chosen.
TEST(PlaylistSave, RoundTripsThroughTheDialogs) {
    PlayerFixture player;
    TForm1& window = player.build();
    window.AddPlaylistEntry(u"/m/a b.mp3"_s);
    window.AddPlaylistEntry(u""_s);
    window.AddPlaylistEntry(u"relative.ogg"_s);
    window.AddPlaylistEntry(u"/m/ünïcödé & <x>.flac"_s);
    window.lst1->setItemIndex(2);
    const QStringList before = window.playlist.paths();
    const QString file = player.appFile(u"saved.orvl"_s);

    player.dialogAnswer = {file};
    QTest::mouseClick(window.btn5, Qt::LeftButton);
    ASSERT_EQ(player.dialogs.size(), 1);
    const FileDialogRequest& request = player.dialogs[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::SaveFile);
    EXPECT_EQ(request.title, u"Save Playlist"_s);
    EXPECT_EQ(request.filter, u"ORVU Playlist (*.orvl)"_s);
    EXPECT_EQ(request.defaultSuffix, u"orvl"_s);
    EXPECT_EQ(request.proposedName, u"Playlist.orvl"_s);
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(window.lst1->itemIndex(), 2);

    window.sbtbtn3Click();
    window.btn4Click();
    EXPECT_EQ(window.playlist.paths(), before);
    EXPECT_TRUE(listsAligned(window));

    window.btn5Click();
    EXPECT_EQ(player.dialogs.last().proposedName, file);
}

// An empty playlist saves as an empty file, and loading that file empties the playlist.
TEST(PlaylistSave, EmptyPlaylistRoundTrips) {
    PlayerFixture player;
    TForm1& window = player.build();
    const QString file = player.appFile(u"empty.orvl"_s);
    player.dialogAnswer = {file};
    window.btn5Click();
    EXPECT_EQ(readBytes(file), QByteArray());
    fillLetters(window, u"AB"_s, 0);
    window.btn4Click();
    EXPECT_EQ(window.lst1->count(), 0);
    EXPECT_EQ(window.playlist.count(), 0);
}

// A file that cannot be created shows the create error; the lists are unchanged; a cancelled save
// writes nothing.
TEST(PlaylistSave, UncreatableFileShowsTheCreateError) {
    PlayerFixture player;
    TForm1& window = player.build();
    fillLetters(window, u"AB"_s, 0);
    const QString bad = player.appFile(u"no-such-dir/x.orvl"_s);
    player.dialogAnswer = {bad};
    runHandler(window, &TForm1::btn5Click);
    ASSERT_EQ(player.messages.boxes.size(), 1);
    EXPECT_TRUE(player.messages.boxes[0].text.startsWith(u"Cannot create file \"%1\". "_s.arg(bad)));
    EXPECT_EQ(lettersOf(window), u"AB"_s);

    player.dialogAnswer.clear();
    window.btn5Click();
    EXPECT_FALSE(QFile::exists(player.appFile(u"Playlist.orvl"_s)));
}

class PlaylistDrop : public testing::Test {
protected:
    void SetUp() override {
        window = &player.start();
        wav = copyFixture(player, "sine1k.wav", u"one.wav"_s);
        ogg = copyFixture(player, "sine1k.ogg", u"two.ogg"_s);
    }
    PlayerFixture player;
    TForm1* window = nullptr;
    QString wav, ogg;
};

// One audio file dropped on an empty playlist is added and plays.
TEST_F(PlaylistDrop, OneFileOnEmptyPlaylistPlays) {
    window->WMDropFiles({wav});
    EXPECT_EQ(window->playlist.paths(), QStringList{wav});
    EXPECT_EQ(window->state.CurrentFile, wav);
    EXPECT_TRUE(isPlaying(*window));
}

// Two files dropped on an empty playlist are both added and nothing plays.
TEST_F(PlaylistDrop, TwoFilesOnEmptyPlaylistPlayNothing) {
    window->WMDropFiles({wav, ogg});
    EXPECT_EQ(window->playlist.paths(), (QStringList{wav, ogg}));
    EXPECT_TRUE(listsAligned(*window));
    EXPECT_TRUE(window->state.CurrentFile.isEmpty());
    EXPECT_FALSE(isPlaying(*window));
}

// One file dropped on a non-empty playlist is appended and nothing plays; so is a playlist file.
TEST_F(PlaylistDrop, OnNonEmptyPlaylistOnlyAppends) {
    const QString list = player.appFile(u"list.orvl"_s);
    writeBytes(list, (ogg + u"\r\n"_s).toUtf8());
    window->AddPlaylistEntry(u"/m/A.mp3"_s);
    window->WMDropFiles({wav});
    window->WMDropFiles({list});
    EXPECT_EQ(window->playlist.paths(), (QStringList{u"/m/A.mp3"_s, wav, list}));
    EXPECT_FALSE(isPlaying(*window));
}

// A playlist file dropped alone on an empty playlist replaces it with its entries and plays the first.
TEST_F(PlaylistDrop, PlaylistFileOnEmptyPlaylistLoadsAndPlays) {
    const QString list = player.appFile(u"list.orvl"_s);
    writeBytes(list, (ogg + u"\r\n"_s + wav + u"\r\n"_s).toUtf8());
    window->WMDropFiles({list});
    EXPECT_EQ(window->playlist.paths(), (QStringList{ogg, wav}));
    EXPECT_TRUE(listsAligned(*window));
    EXPECT_EQ(window->lst1->itemIndex(), 0);
    EXPECT_EQ(window->state.CurrentFile, ogg);
    EXPECT_TRUE(isPlaying(*window));
}

// A playlist file dropped together with another file is added as an ordinary entry.
TEST_F(PlaylistDrop, PlaylistFileAmongOthersIsAnEntry) {
    const QString list = player.appFile(u"list.orvl"_s);
    writeBytes(list, (ogg + u"\r\n"_s).toUtf8());
    window->WMDropFiles({list, wav});
    EXPECT_EQ(window->playlist.paths(), (QStringList{list, wav}));
}

// A dropped playlist file that cannot be read shows the open error; the playlist ends empty and
// nothing plays.
TEST_F(PlaylistDrop, UnreadablePlaylistFileLeavesAnEmptyPlaylist) {
    const QString missing = player.appFile(u"gone.orvl"_s);
    runGuarded([&] { window->WMDropFiles({missing}); });
    ASSERT_EQ(player.messages.boxes.size(), 1);
    EXPECT_TRUE(player.messages.boxes[0].text.startsWith(u"Cannot open file \"%1\". "_s.arg(missing)));
    EXPECT_EQ(window->lst1->count(), 0);
    EXPECT_EQ(window->playlist.count(), 0);
    EXPECT_FALSE(isPlaying(*window));
}

// Of a drop of 261 items the first 260 are added, in order; an item without a path adds nothing.
TEST_F(PlaylistDrop, TakesAtMost260Items) {
    QStringList dropped;
    for (int i = 0; i < 261; ++i)
        dropped.append(u"/drop/f%1.mp3"_s.arg(i));
    window->AddPlaylistEntry(u"/m/A.mp3"_s);
    window->WMDropFiles(dropped);
    EXPECT_EQ(window->playlist.count(), 261);
    EXPECT_EQ(window->playlist.paths().last(), u"/drop/f259.mp3"_s);
    EXPECT_TRUE(listsAligned(*window));

    window->WMDropFiles({QString(), u"/drop/x.mp3"_s});
    EXPECT_EQ(window->playlist.paths().last(), u"/drop/x.mp3"_s);
    EXPECT_EQ(window->playlist.count(), 262);
}

// With a track paused and the playlist empty, a dropped file is added and the paused track resumes
// instead of the dropped file starting.
TEST_F(PlaylistDrop, PausedTrackResumesInstead) {
    window->WMDropFiles({wav});
    ASSERT_TRUE(isPlaying(*window));
    window->Bass.channelPause(window->session.Channel);
    window->sbtbtn3Click();
    window->WMDropFiles({ogg});
    EXPECT_EQ(window->playlist.paths(), QStringList{ogg});
    EXPECT_EQ(window->state.CurrentFile, wav);
    EXPECT_TRUE(isPlaying(*window));
}

QMimeData* urlData(const QList<QUrl>& urls) {
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

// The window accepts a drag of local files and ignores one without any; a real drop of file URLs
// adds the files like the window message does.
TEST_F(PlaylistDrop, QtDragAndDropOfLocalFiles) {
    EXPECT_TRUE(window->acceptDrops());
    std::unique_ptr<QMimeData> web(urlData({QUrl(u"https://example.org/a.mp3"_s)}));
    QDragEnterEvent refused({10, 10}, Qt::CopyAction, web.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &refused);
    EXPECT_FALSE(refused.isAccepted());

    std::unique_ptr<QMimeData> files(
        urlData({QUrl::fromLocalFile(wav), QUrl(u"https://example.org/b.mp3"_s), QUrl::fromLocalFile(ogg)}));
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    EXPECT_TRUE(enter.isAccepted());

    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(window->playlist.paths(), (QStringList{wav, ogg}));
    EXPECT_FALSE(isPlaying(*window));
}

// A file name that is not UTF-8 is kept as its bytes: the default playlist's Latin-1 entry shows
// U+FFFD in the list, plays, and is written back byte for byte at close.
TEST(ByteNames, DefaultPlaylistEntryPlaysAndIsWrittenBack) {
    PlayerFixture player;
    const QByteArray file = wavFixtureAt(player, "caf\xe9.wav");
    const QByteArray text = file + "\r\n/m/\xff\xfe.mp3\r\n";
    writeBytes(player.appFile(u"Default.orvl"_s), text);
    TForm1& window = player.start();
    EXPECT_EQ(window.playlist.paths(), (QStringList{pathFromBytes(file), pathFromBytes("/m/\xff\xfe.mp3")}));
    EXPECT_EQ(names(window.lst1), (QStringList{u"caf\uFFFD.wav"_s, u"\uFFFD\uFFFD.mp3"_s}));

    window.lst1->setItemIndex(0);
    window.lst1DblClick();
    EXPECT_TRUE(player.messages.boxes.isEmpty()) << player.messages.texts().join(u' ').toStdString();
    EXPECT_TRUE(isPlaying(window));
    EXPECT_EQ(window.lbl1->text(), u"caf\uFFFD.wav"_s);
    EXPECT_EQ(window.state.CurrentFile, pathFromBytes(file));

    player.close();
    EXPECT_EQ(readBytes(player.appFile(u"Default.orvl"_s)), text);
}

// The command line's arguments are taken as the bytes they came in: a Latin-1 name plays, and a file
// named like a Qt option is an entry too.
TEST(ByteNames, CommandLineFilePlays) {
    PlayerFixture player;
    const QByteArray file = wavFixtureAt(player, "caf\xe9.wav");
    const char* argv[] = {"orvu", file.constData(), "-reverse"};
    TForm1& window = player.start(commandLineFiles(3, argv));
    EXPECT_TRUE(player.messages.boxes.isEmpty()) << player.messages.texts().join(u' ').toStdString();
    EXPECT_EQ(window.playlist.paths(), (QStringList{pathFromBytes(file), u"-reverse"_s}));
    EXPECT_EQ(window.state.CurrentFile, pathFromBytes(file));
    EXPECT_TRUE(isPlaying(window));
}

// A dropped file whose name is not UTF-8 arrives as its URL's bytes and plays.
TEST(ByteNames, DroppedFilePlays) {
    PlayerFixture player;
    TForm1& window = player.start();
    const QByteArray file = wavFixtureAt(player, "caf\xe9.wav");
    QMimeData data;
    data.setUrls({QUrl::fromEncoded("file://" + file.toPercentEncoding("/"))});
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    EXPECT_EQ(window.playlist.paths(), QStringList{pathFromBytes(file)});
    EXPECT_TRUE(player.messages.boxes.isEmpty()) << player.messages.texts().join(u' ').toStdString();
    EXPECT_TRUE(isPlaying(window));
}

} // namespace
