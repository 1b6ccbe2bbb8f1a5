// Purpose: the main window's life cycle through the real handlers: first start, odd settings, the command
// line, mended faults, the tag bar, the wheel, player modes and panels.
#include "core/display_name.h"
#include "core/player_random.h"
#include "core/settings_file.h"
#include "engine/engine.h"
#include "skin/gauge.h"
#include "skin/link_label.h"
#include "skin/list_box.h"
#include "skin/panel.h"
#include "skin/scroll_bar.h"
#include "skin/skin_manager.h"
#include "skin/title_bar.h"
#include "support/player_fixture.h"
#include "support/signal.h"
#include "support/user_input.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::PlayerFixture;
using orvu::test::readBytes;
using orvu::test::wheelOver;
using orvu::test::writeBytes;

namespace {

QString fixture(const char* name) {
    return QString::fromStdString(orvu::test::fixturePath(name));
}

// The keys of an INI text in file order, as "Section/Key".
QStringList keysInOrder(const QByteArray& text) {
    QStringList keys;
    QString section;
    for (const QByteArray& line : text.split('\n')) {
        const QString l = QString::fromUtf8(line).trimmed();
        if (l.startsWith(u'['))
            section = l.mid(1, l.size() - 2);
        else if (l.contains(u'='))
            keys.append(section + u'/' + l.left(l.indexOf(u'=')));
    }
    return keys;
}

// A first start in an empty directory: centred Normal window, every default, and the close writes every
// key in order and an empty default playlist.
TEST(Startup, FirstStartUsesDefaultsAndCloseWritesEveryKey) {
    PlayerFixture player;
    TForm1& w = player.start();
    ASSERT_TRUE(player.messages.boxes.isEmpty());
    EXPECT_EQ(w.size(), QSize(832, 506)); // Normal: the client area 824 x 472 in the skin's frame
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(w.pos(), QPoint(screen.width() / 2 - 416, screen.height() / 2 - 253));
    for (ScrollBar* band : w.bandSliders)
        EXPECT_EQ(band->value(), 15);
    EXPECT_EQ(w.state.PresetIndex, 0);
    EXPECT_FALSE(w.state.AutoEq);
    EXPECT_EQ(w.scrlbr2->position(), 50);
    EXPECT_EQ(w.scrlbr2->toolTip(), u"Volume : 50"_s);
    EXPECT_EQ(w.state.VisMode, u"eli"_s);
    EXPECT_EQ(w.state.SkinIndex, u"2"_s);
    EXPECT_EQ(w.sknmngr1->skinName(), u"Garnet (internal)"_s);
    EXPECT_EQ(w.sknmngr1->hueOffset(), 0);
    EXPECT_EQ(w.sknmngr1->saturation(), 0);
    EXPECT_EQ(w.sknmngr1->menuOpacity(), 255);
    EXPECT_TRUE(w.sknmngr1->extendedBorders());
    EXPECT_FALSE(w.sknmngr1->blendOnMoving());
    EXPECT_TRUE(w.sknmngr1->minimizing());
    EXPECT_EQ(w.state.OnOpenAction, u"Nothing"_s);
    EXPECT_EQ(w.state.PlayerMode, u"Normal"_s);
    EXPECT_EQ(w.tmr2->interval(), 100);
    EXPECT_FALSE(w.vis1->isChecked());
    EXPECT_FALSE(player.visualization->isVisible());
    EXPECT_EQ(player.visualization->size(), QSize(700, 480));
    EXPECT_EQ(w.lst1->count(), 0);
    EXPECT_EQ(w.btn11->pos(), QPoint(3, 3));
    EXPECT_EQ(w.btn16->pos(), QPoint(19, 3));
    EXPECT_EQ(w.lbl31->x(), 224);

    player.close();
    EXPECT_EQ(keysInOrder(readBytes(player.appFile(u"ORVU.ini"_s))),
              (QStringList{u"Skin/SkinName"_s,
                           u"MainWindow/Left"_s,
                           u"MainWindow/Top"_s,
                           u"Equalizer/Band1"_s,
                           u"Equalizer/Band2"_s,
                           u"Equalizer/Band3"_s,
                           u"Equalizer/Band4"_s,
                           u"Equalizer/Band5"_s,
                           u"Equalizer/Band6"_s,
                           u"Equalizer/Band7"_s,
                           u"Equalizer/Band8"_s,
                           u"Equalizer/Band9"_s,
                           u"Equalizer/Band10"_s,
                           u"Equalizer/Preset"_s,
                           u"Equalizer/Autoeq"_s,
                           u"Volume/Level"_s,
                           u"Visualization/Name"_s,
                           u"Visualization/Show"_s,
                           u"VisWindow/Left"_s,
                           u"VisWindow/Top"_s,
                           u"VisWindow/Height"_s,
                           u"VisWindow/Width"_s,
                           u"Options_Skin/Hue"_s,
                           u"Options_Skin/Sat"_s,
                           u"Options_Skin/MenuOpacity"_s,
                           u"Options_Skin/Borders_Shadows"_s,
                           u"Options_Skin/Blend_Move"_s,
                           u"Options_Skin/Minimize_Anim"_s,
                           u"OnOpen/Start"_s,
                           u"PlayerMode/Mode"_s,
                           u"Tagbar/Speed"_s}));
    SettingsFile written(player.appFile(u"ORVU.ini"_s));
    EXPECT_EQ(written.readInteger(u"VisWindow"_s, u"Width"_s, 0), 700);
    EXPECT_EQ(written.readInteger(u"Volume"_s, u"Level"_s, 0), 50);
    EXPECT_EQ(readBytes(player.appFile(u"Default.orvl"_s)).size(), 0);
}

// Odd values in the settings are clamped, masked or kept as the player's controls allow, and unknown
// keys survive the close.
TEST(Startup, OddSettingsAreClampedAndUnknownKeysKept) {
    PlayerFixture player;
    writeBytes(player.appFile(u"ORVU.ini"_s),
               "[Volume]\r\nLevel=250\r\n"
               "[Equalizer]\r\nBand3=-4\r\nBand4=x\r\nBand5=0x1E\r\nMine=keep\r\n"
               "[Options_Skin]\r\nMenuOpacity=256\r\n"
               "[PlayerMode]\r\nMode=normal\r\n"
               "[Tagbar]\r\nSpeed=200\r\n"
               "[Someone Else]\r\nKey=Value\r\n");
    TForm1& w = player.start();
    EXPECT_EQ(w.scrlbr2->position(), 100);
    EXPECT_EQ(w.TrackBar2->value(), 0);  // Band3
    EXPECT_EQ(w.TrackBar3->value(), 15); // Band4 "x"
    EXPECT_EQ(w.trckbr2->value(), 30);   // Band5 0x1E
    EXPECT_EQ(w.sknmngr1->menuOpacity(), 0);
    EXPECT_EQ(w.size(), QSize(832, 506)); // "normal" is no mode: the design size stays
    EXPECT_EQ(w.tmr2->interval(), 200);
    player.close();
    SettingsFile written(player.appFile(u"ORVU.ini"_s));
    EXPECT_EQ(written.readString(u"PlayerMode"_s, u"Mode"_s, {}), u"normal"_s);
    EXPECT_EQ(written.readString(u"Equalizer"_s, u"Mine"_s, {}), u"keep"_s);
    EXPECT_EQ(written.readString(u"Someone Else"_s, u"Key"_s, {}), u"Value"_s);
    EXPECT_EQ(written.readInteger(u"Volume"_s, u"Level"_s, 0), 100);
    EXPECT_EQ(written.readInteger(u"Tagbar"_s, u"Speed"_s, 0), 200);
}

// An audio file on the command line is appended after the default playlist, selected and played.
TEST(Startup, CommandLineFileIsAppendedSelectedAndPlayed) {
    PlayerFixture player;
    QByteArray ten;
    for (int i = 0; i < 10; ++i)
        ten += "/music/" + QByteArray::number(i) + ".mp3\r\n";
    writeBytes(player.appFile(u"Default.orvl"_s), ten);
    TForm1& w = player.start({fixture("sine1k.wav")});
    EXPECT_EQ(w.lst1->count(), 11);
    EXPECT_EQ(w.lst1->itemIndex(), 10);
    EXPECT_EQ(w.playlist.path(10), fixture("sine1k.wav"));
    EXPECT_NE(w.Bass.channelIsActive(w.session.Channel), engine::kActiveStopped);
    EXPECT_EQ(w.lbl1->text(), u"sine1k.wav"_s);
    EXPECT_EQ(w.lbl3->text(), u"00:02"_s);
}

// Several files: the first of them is selected and played; arguments after the first are not checked.
TEST(Startup, CommandLineFilesPlayTheFirstAppended) {
    PlayerFixture player;
    TForm1& w = player.start({fixture("sine1k.wav"), fixture("sine1k.mp3"), u"/no/such/file.mp3"_s});
    EXPECT_EQ(w.playlist.paths(),
              (QStringList{fixture("sine1k.wav"), fixture("sine1k.mp3"), u"/no/such/file.mp3"_s}));
    EXPECT_EQ(w.lst1->itemIndex(), 0);
    EXPECT_NE(w.Bass.channelIsActive(w.session.Channel), engine::kActiveStopped);
}

// A playlist file replaces the playlist and its first entry plays; it becomes the default playlist.
TEST(Startup, CommandLinePlaylistReplacesAndPlays) {
    PlayerFixture player;
    writeBytes(player.appFile(u"Default.orvl"_s), "/old/a.mp3\r\n");
    const QString list = player.appFile(u"mine.orvl"_s);
    writeBytes(list, (fixture("sine1k.wav") + u"\r\n/x/b.mp3\r\n"_s).toUtf8());
    TForm1& w = player.start({list, fixture("sine1k.mp3")});
    EXPECT_EQ(w.playlist.paths(), (QStringList{fixture("sine1k.wav"), u"/x/b.mp3"_s}));
    EXPECT_EQ(w.lst1->itemIndex(), 0);
    EXPECT_NE(w.Bass.channelIsActive(w.session.Channel), engine::kActiveStopped);
    player.close();
    EXPECT_EQ(readBytes(player.appFile(u"Default.orvl"_s)), readBytes(list));
}

// A playlist whose extension is in capitals is an ordinary entry (which then fails to play); a first
// argument that does not exist makes the whole command line ignored.
TEST(Startup, CommandLineEdgeCases) {
    {
        PlayerFixture player;
        const QString list = player.appFile(u"MINE.ORVL"_s);
        writeBytes(list, "/x/a.mp3\r\n");
        TForm1& w = player.start({list});
        EXPECT_EQ(w.playlist.paths(), QStringList{list});
        ASSERT_EQ(player.messages.boxes.size(), 1);
        EXPECT_TRUE(player.messages.boxes[0].text.startsWith(u"ORVU Cannot Play this File. \r 1.1"_s));
        EXPECT_EQ(player.messages.boxes[0].icon, QMessageBox::Warning);
    }
    {
        PlayerFixture player;
        TForm1& w = player.start({u"/no/such/file.mp3"_s, fixture("sine1k.wav")});
        EXPECT_EQ(w.lst1->count(), 0);
        EXPECT_TRUE(player.messages.boxes.isEmpty());
    }
}

// An unreadable default playlist is reported, the playlist starts empty, the remaining creation steps
// run, and the close leaves that file alone.
TEST(Startup, UnreadableDefaultPlaylistIsReportedAndKept) {
    PlayerFixture player;
    const QString path = player.appFile(u"Default.orvl"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    TForm1& w = player.start();
    EXPECT_EQ(player.messages.texts(),
              QStringList{u"Cannot open file \"%1\". Not a regular file."_s.arg(path)});
    EXPECT_EQ(w.lst1->count(), 0);
    EXPECT_TRUE(w.acceptDrops()); // the steps after the playlist ran
    w.AddPlaylistEntry(u"/x/new.mp3"_s);
    player.close();
    EXPECT_FALSE(QFileInfo(path).isFile()); // still the FIFO, not overwritten
}

// Temporary files that a killed write left beside the settings file and the default playlist go at
// the next start; other files, and those of a process that still runs, stay.
TEST(Startup, StaleTemporariesOfKilledWritesAreRemoved) {
    PlayerFixture player;
    QFile pidMax(u"/proc/sys/kernel/pid_max"_s);
    ASSERT_TRUE(pidMax.open(QIODevice::ReadOnly));
    const QString dead = QString::number(pidMax.readAll().trimmed().toLongLong() + 1); // never a process
    const QString alive = QString::number(::getpid());
    const QStringList stale{u"ORVU.ini.tmp-%1-0"_s.arg(dead), u"Default.orvl.tmp-%1-12"_s.arg(dead)};
    const QStringList kept{u"ORVU.ini.tmp-%1-0"_s.arg(alive), u"ORVU.ini.tmp-x-1"_s,
                           u"Other.orvl.tmp-%1-0"_s.arg(dead), u"ORVU.ini.tmp-%1-0.bak"_s.arg(dead)};
    for (const QString& name : stale + kept)
        writeBytes(player.appFile(name), "partial");
    player.start();
    for (const QString& name : stale)
        EXPECT_FALSE(QFileInfo::exists(player.appFile(name))) << name.toStdString();
    for (const QString& name : kept)
        EXPECT_TRUE(QFileInfo::exists(player.appFile(name))) << name.toStdString();
}

// Each start seeds Shuffle's generator anew, so two runs do not shuffle alike (each start here begins
// from the generator's state of a fresh process).
TEST(Startup, EachRunShufflesDifferently) {
    const auto shuffledRun = [] {
        seedPlayerRandom(std::mt19937::default_seed);
        PlayerFixture player;
        TForm1& w = player.start();
        for (int i = 0; i < 12; ++i)
            w.AddPlaylistEntry(u"/m/%1.mp3"_s.arg(i));
        QTest::mouseClick(w.btn20, Qt::LeftButton);
        return w.playlist.paths();
    };
    EXPECT_NE(shuffledRun(), shuffledRun());
}

// A skin index that is no skin is reported and keeps the current skin; start-up goes on.
TEST(Startup, BadSkinIndexKeepsTheSkin) {
    const std::pair<const char*, const char*> cases[] = {
        {"12", "List index out of bounds (12)."},
        {"abc", "'abc' is not a valid integer value."},
        {"-1", "List index out of bounds (-1)."},
    };
    for (const auto& [value, message] : cases) {
        PlayerFixture player;
        writeBytes(player.appFile(u"ORVU.ini"_s), "[Skin]\r\nSkinName=" + QByteArray(value) + "\r\n");
        writeBytes(player.appFile(u"Default.orvl"_s), "/a.mp3\r\n");
        TForm1& w = player.start();
        EXPECT_EQ(player.messages.texts(), QStringList{QString::fromLatin1(message)}) << value;
        EXPECT_EQ(w.sknmngr1->skinName(), SkinManager::internalSkinNames()[2]) << value;
        EXPECT_EQ(w.lst1->count(), 1) << value; // the default playlist still loaded
        player.close();
        EXPECT_EQ(SettingsFile(player.appFile(u"ORVU.ini"_s)).readString(u"Skin"_s, u"SkinName"_s, {}),
                  QString::fromLatin1(value));
    }
}

// A settings file that cannot be written is reported; the close goes on and writes the playlist, and the
// settings file stays as it was.
TEST(Startup, FailedSettingsWriteIsReportedAndCloseCompletes) {
    PlayerFixture player;
    const QString ini = player.appFile(u"ORVU.ini"_s);
    writeBytes(ini, "[Volume]\r\nLevel=20\r\n");
    ::chmod(QFile::encodeName(ini).constData(), 0444);
    TForm1& w = player.start();
    w.AddPlaylistEntry(u"/x/a.mp3"_s);
    player.close();
    EXPECT_EQ(player.messages.texts(), QStringList{u"Unable to write to %1."_s.arg(ini)});
    EXPECT_EQ(readBytes(ini), QByteArray("[Volume]\r\nLevel=20\r\n"));
    EXPECT_EQ(readBytes(player.appFile(u"Default.orvl"_s)), QByteArray("/x/a.mp3\r\n"));
}

// No output device: the device box without an icon, and start-up stops.
TEST(Startup, NoOutputDeviceStopsStartUp) {
    const QByteArray previous = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    PlayerFixture player;
    TForm1& w = player.build();
    EXPECT_FALSE(w.FormCreate());
    qputenv("SDL_AUDIODRIVER", previous);
    ASSERT_EQ(player.messages.boxes.size(), 1);
    EXPECT_EQ(player.messages.boxes[0].text, u"Can't initialize device"_s);
    EXPECT_EQ(player.messages.boxes[0].icon, QMessageBox::NoIcon);
    player.close();
    EXPECT_FALSE(QFile::exists(player.appFile(u"ORVU.ini"_s)));
}

// The tag text wraps to 274 on tick 225 + w, and after a drag far left it wraps at the next tick.
TEST(TagBar, ScrollsWrapsAndFollowsDrags) {
    PlayerFixture player;
    TForm1& w = player.start();
    const int width = w.lbl31->width();
    ASSERT_GT(width, 50);
    for (int tick = 1; tick < 225 + width; ++tick)
        w.tmr2Timer();
    EXPECT_EQ(w.lbl31->x(), -width);
    w.tmr2Timer();
    EXPECT_EQ(w.lbl31->x(), 274);

    w.lbl31MouseDown(10);
    EXPECT_FALSE(w.tmr2->isActive());
    w.lbl31MouseMove(10 - 2000);
    w.lbl31MouseUp();
    EXPECT_TRUE(w.tmr2->isActive());
    w.tmr2Timer();
    EXPECT_EQ(w.lbl31->x(), 274);

    w.lbl31MouseDown(0);
    w.lbl31MouseMove(500 - 274);
    w.lbl31MouseUp();
    EXPECT_EQ(w.lbl31->x(), 500);
    w.tmr2Timer();
    EXPECT_EQ(w.lbl31->x(), 499);
}

// The wheel over the window moves the volume by 5 within 0..100, once per notch over any control (a
// label, a button, the list), and over a slider only the volume moves: not the volume bar's own step,
// not a band, not the seek bar. With the playlist focused the wheel leaves the volume alone.
TEST(Wheel, MovesTheVolumeUnlessThePlaylistHasFocus) {
    PlayerFixture player;
    TForm1& w = player.start();
    QApplication::setActiveWindow(&w);
    w.scrlbr1->setFocus(); // the playlist, first in the tab order, would take the wheel's focus rule
    w.scrlbr2->setPosition(98);
    wheelOver(w.lbl2, 120);
    EXPECT_EQ(w.scrlbr2->position(), 100);
    EXPECT_EQ(w.scrlbr2->toolTip(), u"Volume : 100"_s);
    w.scrlbr2->setPosition(3);
    wheelOver(w.lbl2, -120);
    EXPECT_EQ(w.scrlbr2->position(), 0);
    EXPECT_EQ(w.scrlbr2->toolTip(), u"Volume : "_s);

    w.scrlbr1->setMaximum(100);
    w.scrlbr1->setPosition(50);
    for (QWidget* control :
         {static_cast<QWidget*>(w.lbl15), static_cast<QWidget*>(w.btn1), static_cast<QWidget*>(w.scrlbr2),
          static_cast<QWidget*>(w.TrackBar1), static_cast<QWidget*>(w.scrlbr1), w.lst1->viewport()}) {
        w.scrlbr2->setPosition(40);
        w.TrackBar1->setPosition(15);
        wheelOver(control, 120);
        EXPECT_EQ(w.scrlbr2->position(), 45) << control->metaObject()->className();
        EXPECT_EQ(w.TrackBar1->position(), 15);
        EXPECT_EQ(w.scrlbr1->position(), 50);
    }

    w.scrlbr2->setPosition(50);
    w.lst1->setFocus();
    ASSERT_TRUE(w.lst1->hasFocus());
    wheelOver(w.lst1->viewport(), 120);
    EXPECT_EQ(w.scrlbr2->position(), 50);
}

// The six panel buttons show a picture; the status line fits a 50-character name with the longest
// state in the font the system really gives.
TEST(MainWindowLook, PanelButtonsHavePicturesAndTheStatusLineFits) {
    PlayerFixture player;
    TForm1& w = player.start();
    for (QToolButton* button : {w.btn11, w.btn12, w.btn13, w.btn14, w.btn15, w.btn16}) {
        const QImage picture = button->icon().pixmap(9, 9).toImage();
        int drawn = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                drawn += qAlpha(picture.pixel(x, y)) > 0 ? 1 : 0;
        EXPECT_GT(drawn, 4) << button->toolTip().toStdString();
    }
    w.state.CurrentName = currentName(u"the_longest_name_a_track_can_show_in_the_status_line.mp3"_s);
    w.state.CurrentFile = u"/m/x.mp3"_s;
    w.tmr1Timer();
    const QString line = w.state.CurrentName + u" | Playing...( 100% )"_s;
    EXPECT_LE(QFontMetrics(w.lbl1->font()).horizontalAdvance(line), w.lbl1->width());
}

// Player modes set the window size by exact name; any other text leaves the size.
TEST(PlayerModes, SetTheWindowSizeByExactName) {
    PlayerFixture player;
    TForm1& w = player.start();
    const std::pair<const char*, QSize> cases[] = {
        {"Simple", {512, 120}}, {"Medium", {512, 506}}, {"simple", {512, 506}},
        {"Normal", {832, 506}}, {"", {832, 506}},
    };
    for (const auto& [mode, size] : cases) {
        w.ApplyPlayerMode(QString::fromLatin1(mode));
        EXPECT_EQ(w.size(), size) << mode;
    }
}

// A maximized panel covers the window and the restore button brings both panels back; minimized, the
// panel keeps its restore button.
TEST(Panels, MaximizeRestoreMinimize) {
    PlayerFixture player;
    TForm1& w = player.start();
    w.btn14->click();
    EXPECT_EQ(w.spnl3->geometry(), w.frame->client()->rect()); // the whole client area
    EXPECT_EQ(w.spnl1->geometry(), QRect(504, 8, 313, 457));   // the other panel stays, underneath
    w.btn15->click();
    EXPECT_EQ(w.spnl3->geometry(), QRect(8, 96, 489, 369));
    w.btn13->click();
    EXPECT_EQ(w.spnl1->state(), Panel::State::Minimized);
    EXPECT_TRUE(w.spnl1->rect().contains(w.btn12->geometry()));
    w.btn12->click();
    EXPECT_EQ(w.spnl1->geometry(), QRect(504, 8, 313, 457));
}

// Points at a widget as a user does (the pointer enters, then rests) and returns the text that the
// shown tool-tip reads as.
QString hover(QWidget* widget) {
    QToolTip::hideText();
    const QPointF inside(4, 4);
    QEnterEvent enter(inside, widget->mapTo(widget->window(), inside), widget->mapToGlobal(inside));
    QApplication::sendEvent(widget, &enter);
    QHelpEvent rest(QEvent::ToolTip, QPoint(4, 4), widget->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(widget, &rest);
    if (!QToolTip::isVisible())
        return {};
    if (!Qt::mightBeRichText(QToolTip::text()))
        return QToolTip::text();
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    return shown.toPlainText();
}

// Pointing at a label shows its caption in full, the file line for the status line, and the artist
// line with the search hint for the link; text from a file that holds markup reads as that text.
TEST(LabelHints, ShowTheFullTextAsPlainText) {
    PlayerFixture player;
    TForm1& w = player.start();
    w.lbl17->setText(u"Title : A very long title that is cut at the right edge of the label"_s);
    EXPECT_EQ(hover(w.lbl17), w.lbl17->text());
    w.lbl27->setText(u"File : <b>x<img src=pic.png>.mp3"_s);
    EXPECT_EQ(hover(w.lbl1), u"File : <b>x<img src=pic.png>.mp3"_s);
    w.lbl18->setText(u"Artist : <img src=/dev/zero>"_s);
    EXPECT_EQ(hover(w.lbl28), u"Artist : <img src=/dev/zero> [Click Here to Find Artist via web]"_s);
    w.lbl20->setText(u"Genre : <font color=red size=7>Rock</font>  two  spaces"_s);
    EXPECT_EQ(hover(w.lbl20), w.lbl20->text());
}

// Only the labels that show file text take their caption as the tool-tip: the playlist status and
// the CPU label keep their own hints, and other labels get none, however often the pointer enters.
TEST(LabelHints, DesignedHintsStay) {
    PlayerFixture player;
    TForm1& w = player.start();
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(hover(w.lbl15), u"Playlist Status"_s);
        EXPECT_EQ(hover(w.lbl22), u"CPU Usage For Decoding."_s);
        for (QLabel* plain : {w.lbl2, w.bandLabels[0], w.lbl18}) {
            hover(plain);
            EXPECT_EQ(plain->toolTip(), QString()) << plain->text().toStdString();
        }
    }
}

} // namespace
