// Purpose: Delete from Disk, copying the selected file elsewhere, and the HTML export of the playlist.
#include "core/html_export.h"
#include "core/path_bytes.h"
#include "playlist_support.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvu;
using namespace orvu::test;
using namespace Qt::StringLiterals;

namespace {

QString deleteQuestion(const char* name) {
    return u"Dou you want to remove %1 from your computer?"_s.arg(QString::fromUtf8(name));
}

class DeleteFromDisk : public testing::Test {
protected:
    void SetUp() override {
        window = &player.start();
        file = copyFixture(player, "sine1k.wav", u"doomed.wav"_s);
        window->AddPlaylistEntry(u"/m/A.mp3"_s);
        window->AddPlaylistEntry(file);
        window->AddPlaylistEntry(u"/m/C.mp3"_s);
    }
    void play(int index) {
        window->lst1->setItemIndex(index);
        window->lst1DblClick();
        ASSERT_TRUE(isPlaying(*window));
    }
    PlayerFixture player;
    TForm1* window = nullptr;
    QString file;
};

// Deleting the playing file asks the question, stops playback, removes the file from disk and its
// entry from the playlist, and selects the entry that followed.
TEST_F(DeleteFromDisk, PlayingFileStopsAndGoes) {
    play(1);
    player.messages.answer = QMessageBox::Yes;
    QTest::mouseClick(window->btn21, Qt::LeftButton);
    ASSERT_EQ(player.messages.boxes.size(), 1);
    EXPECT_EQ(player.messages.boxes[0].text, deleteQuestion("doomed.wav"));
    EXPECT_EQ(player.messages.boxes[0].caption, u"ORVU"_s);
    EXPECT_EQ(player.messages.boxes[0].icon, QMessageBox::Question);
    EXPECT_EQ(player.messages.boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(window->Bass.channelIsActive(window->session.Channel), engine::kActiveStopped);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(lettersOf(*window), u"AC"_s);
    EXPECT_EQ(window->lst1->itemIndex(), 1);
    EXPECT_TRUE(listsAligned(*window));
    EXPECT_EQ(window->state.CurrentFile, file); // kept, as the player always did
}

// A paused track whose file is deleted is freed too: it cannot be resumed afterwards.
TEST_F(DeleteFromDisk, PausedTrackIsFreed) {
    play(1);
    window->Bass.channelPause(window->session.Channel);
    player.messages.answer = QMessageBox::Yes;
    window->btn21Click();
    window->Bass.channelPlay(window->session.Channel, false);
    EXPECT_EQ(window->Bass.channelIsActive(window->session.Channel), engine::kActiveStopped);
}

// Answering No changes nothing: the file, the playlist and playback stay.
TEST_F(DeleteFromDisk, AnsweringNoChangesNothing) {
    play(1);
    player.messages.answer = QMessageBox::No;
    window->btn21Click();
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(window->playlist.paths(), (QStringList{u"/m/A.mp3"_s, file, u"/m/C.mp3"_s}));
    EXPECT_TRUE(isPlaying(*window));
}

// With nothing selected there is no file to name: the list error comes at once, and nothing is
// freed, deleted or removed.
TEST_F(DeleteFromDisk, NothingSelectedShowsTheListError) {
    play(1);
    window->lst1->setItemIndex(-1);
    player.messages.answer = QMessageBox::Yes;
    runHandler(*window, &TForm1::btn21Click);
    EXPECT_EQ(player.messages.texts(), (QStringList{u"List index out of bounds (-1)."_s}));
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(window->playlist.count(), 3);
    EXPECT_TRUE(isPlaying(*window));
}

// With the same path twice, deleting one entry deletes the file and leaves the other entry; a file
// that is already gone still leaves the playlist, silently.
TEST_F(DeleteFromDisk, SamePathTwiceAndMissingFile) {
    window->AddPlaylistEntry(file);
    player.messages.answer = QMessageBox::Yes;
    window->lst1->setItemIndex(3);
    window->btn21Click();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(window->playlist.paths(), (QStringList{u"/m/A.mp3"_s, file, u"/m/C.mp3"_s}));

    window->lst1->setItemIndex(1);
    window->btn21Click();
    EXPECT_EQ(window->playlist.paths(), (QStringList{u"/m/A.mp3"_s, u"/m/C.mp3"_s}));
    EXPECT_EQ(player.messages.texts(),
              (QStringList{deleteQuestion("doomed.wav"), deleteQuestion("doomed.wav")}));
}

// Copying proposes the display name alone, writes a new file, and never replaces an existing one;
// the playlist and the selection stay.
TEST(CopyToAnotherLocation, CopiesButNeverReplaces) {
    PlayerFixture player;
    TForm1& window = player.build();
    const QString source = copyFixture(player, "sine1k.wav", u"source.wav"_s);
    window.AddPlaylistEntry(source);
    window.lst1->setItemIndex(0);

    const QString fresh = player.appFile(u"copy.wav"_s);
    player.dialogAnswer = {fresh};
    runHandler(window, &TForm1::AnotherLocation1Click);
    ASSERT_EQ(player.dialogs.size(), 1);
    EXPECT_EQ(player.dialogs[0].kind, FileDialogRequest::Kind::SaveFile);
    EXPECT_EQ(player.dialogs[0].proposedName, u"source.wav"_s);
    EXPECT_FALSE(player.dialogs[0].confirmOverwrite); // the copy itself refuses to replace a file
    EXPECT_TRUE(player.dialogs[0].title.isEmpty());
    EXPECT_TRUE(player.dialogs[0].filter.isEmpty());
    EXPECT_TRUE(player.dialogs[0].defaultSuffix.isEmpty());
    EXPECT_EQ(readBytes(fresh), readBytes(source));

    const QString existing = player.appFile(u"existing.wav"_s);
    writeBytes(existing, "keep me");
    player.dialogAnswer = {existing};
    runHandler(window, &TForm1::AnotherLocation1Click);
    EXPECT_EQ(readBytes(existing), QByteArray("keep me"));
    EXPECT_TRUE(player.messages.boxes.isEmpty());
    EXPECT_EQ(window.playlist.paths(), QStringList{source});
    EXPECT_EQ(window.lst1->itemIndex(), 0);
}

// A file whose name is not UTF-8 is deleted, and copied to such a name, by its bytes; the question
// shows U+FFFD for the byte.
TEST(ByteNames, DeleteAndCopyReachTheFile) {
    PlayerFixture player;
    TForm1& window = player.build();
    const QByteArray source = wavFixtureAt(player, "caf\xe9.wav");
    const QByteArray target = player.dir.path().toUtf8() + "/copie \xe0.wav";
    window.AddPlaylistEntry(pathFromBytes(source));
    window.lst1->setItemIndex(0);

    player.dialogAnswer = {pathFromBytes(target)};
    runHandler(window, &TForm1::AnotherLocation1Click);
    ASSERT_TRUE(existsAt(target));
    EXPECT_EQ(readBytesAt(target), readBytesAt(source));
    writeBytesAt(target, "keep me");
    runHandler(window, &TForm1::AnotherLocation1Click);
    EXPECT_EQ(readBytesAt(target), QByteArray("keep me"));

    player.messages.answer = QMessageBox::Yes;
    runHandler(window, &TForm1::btn21Click);
    EXPECT_EQ(player.messages.texts(),
              QStringList{u"Dou you want to remove caf\uFFFD.wav from your computer?"_s});
    EXPECT_FALSE(existsAt(source));
    EXPECT_EQ(window.playlist.count(), 0);
}

// Copying with nothing selected shows the list error before any dialog.
TEST(CopyToAnotherLocation, NothingSelectedShowsTheListErrorFirst) {
    PlayerFixture player;
    TForm1& window = player.build();
    window.AddPlaylistEntry(u"/m/A.mp3"_s);
    runHandler(window, &TForm1::AnotherLocation1Click);
    EXPECT_EQ(player.messages.texts(), QStringList{u"List index out of bounds (-1)."_s});
    EXPECT_TRUE(player.dialogs.isEmpty());
}

// The long time text is the locale's long time format without its time zone.
TEST(HtmlExport, TimeTextFollowsTheLocaleWithoutZone) {
    const QTime time(14, 7, 9);
    EXPECT_EQ(longTimeText(time, QLocale(QLocale::German, QLocale::Germany)), u"14:07:09"_s);
    const QString english = longTimeText(time, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(english.startsWith(u"2:07:09"_s)) << english.toStdString();
    EXPECT_TRUE(english.endsWith(u"PM"_s)) << english.toStdString();
}

// The document's lines: heading, time, list with one item per name, HTML special characters escaped.
TEST(HtmlExport, LinesOfTheDocument) {
    EXPECT_EQ(htmlPlaylistLines({}, u"14:07:09"_s),
              (QStringList{u"<H1>ORVU Playlist</H1>"_s, u"<H2>[ 14:07:09 ]</H2>"_s, u"<OL>"_s, u"</OL>"_s}));
    EXPECT_EQ(htmlPlaylistLines({u"a.mp3"_s, u"R&B <live>.ogg"_s}, u"t"_s).mid(3, 2),
              (QStringList{u"<LI>a.mp3</LI>"_s, u"<LI>R&amp;B &lt;live&gt;.ogg</LI>"_s}));
    EXPECT_EQ(htmlDocument({u"<OL>"_s, u"</OL>"_s}), QByteArray("<OL>\r\n</OL>\r\n"));
    // A byte of a file name that is not UTF-8 reads as U+FFFD, never as a lone surrogate.
    EXPECT_EQ(htmlPlaylistLines({pathFromBytes("caf\xe9 & co.mp3")}, u"t"_s).at(3),
              u"<LI>caf\uFFFD &amp; co.mp3</LI>"_s);
}

QStringList documentLines(const QString& file) {
    QString text = QString::fromUtf8(readBytes(file));
    EXPECT_TRUE(text.endsWith(u"\r\n"_s));
    text.chop(2);
    return text.split(u"\r\n"_s);
}

// The export of an empty playlist and of two entries, line by line, written to the chosen file with
// CR LF; the dialog is the HTML one and proposes the last file.
TEST(HtmlExport, EmptyAndTwoEntryPlaylists) {
    PlayerFixture player;
    TForm1& window = player.build();
    const QString file = player.appFile(u"list.html"_s);
    player.dialogAnswer = {file};
    const QRegularExpression timeLine(u"^<H2>\\[ \\S.*\\S \\]</H2>$"_s);

    QTest::mouseClick(window.btn22, Qt::LeftButton);
    QStringList lines = documentLines(file);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], u"<H1>ORVU Playlist</H1>"_s);
    EXPECT_TRUE(timeLine.match(lines[1]).hasMatch()) << lines[1].toStdString();
    EXPECT_EQ(lines[2], u"<OL>"_s);
    EXPECT_EQ(lines[3], u"</OL>"_s);
    ASSERT_EQ(player.dialogs.size(), 1);
    EXPECT_EQ(player.dialogs[0].kind, FileDialogRequest::Kind::SaveFile);
    EXPECT_TRUE(player.dialogs[0].title.isEmpty());
    EXPECT_EQ(player.dialogs[0].filter, u"HTML Documents (*.html)"_s);
    EXPECT_EQ(player.dialogs[0].defaultSuffix, u"html"_s);
    EXPECT_FALSE(player.dialogs[0].confirmOverwrite);
    EXPECT_EQ(window.lst4.items(), lines);

    window.AddPlaylistEntry(u"/m/a.mp3"_s);
    window.AddPlaylistEntry(u"/n/b.ogg"_s);
    window.btn22Click(); // the existing file is replaced without a question
    lines = documentLines(file);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], u"<H1>ORVU Playlist</H1>"_s);
    EXPECT_TRUE(timeLine.match(lines[1]).hasMatch()) << lines[1].toStdString();
    EXPECT_EQ(lines[2], u"<OL>"_s);
    EXPECT_EQ(lines[3], u"<LI>a.mp3</LI>"_s);
    EXPECT_EQ(lines[4], u"<LI>b.ogg</LI>"_s);
    EXPECT_EQ(lines[5], u"</OL>"_s);
    EXPECT_EQ(player.dialogs[1].proposedName, file);
    EXPECT_TRUE(player.messages.boxes.isEmpty());
}

// A cancelled export writes nothing; a file that cannot be created shows the create error.
TEST(HtmlExport, CancelWritesNothingAndUncreatableFileFails) {
    PlayerFixture player;
    TForm1& window = player.build();
    window.btn22Click();
    EXPECT_EQ(window.lst4.count(), 4); // built before the dialog opened
    EXPECT_EQ(QDir(player.dir.path()).entryList({u"*.html"_s}), QStringList{});

    const QString bad = player.appFile(u"missing-dir/list.html"_s);
    player.dialogAnswer = {bad};
    runHandler(window, &TForm1::btn22Click);
    ASSERT_EQ(player.messages.boxes.size(), 1);
    EXPECT_TRUE(player.messages.boxes[0].text.startsWith(u"Cannot create file \"%1\". "_s.arg(bad)));
}

} // namespace
