// Purpose: the main window's menus, shortcuts, tool buttons and tray icon reach their handlers as a user
// reaches them, and the system actions act on a fake desktop and a fake CD drive.
#include "audio/presets_window.h"
#include "core/player_random.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "engine/engine.h"
#include "options/options_dialog.h"
#include "shell/about_window.h"
#include "shell/main_window.h"
#include "shell/system_actions.h"
#include "shell/web_links_window.h"
#include "skin/list_box.h"
#include "skin/panel.h"
#include "skin/scroll_bar.h"
#include "skin/title_bar.h"
#include "support/player_fixture.h"
#include "support/wav_writer.h"
#include "visualization/visualization_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace orvu;
using namespace Qt::StringLiterals;

namespace {

// The fake desktop and CD drive: what they were asked, and the drive's door.
struct Desk {
    bool drive = true; // a first CD drive is there
    bool open = false;
    bool locked = false;
    QStringList requests;
};

class FakeSystemActions final : public SystemActions {
public:
    explicit FakeSystemActions(Desk& desk)
        : desk_(desk) {}
    void monitorOff() override { desk_.requests.append(u"monitor off"_s); }
    void startScreenSaver() override { desk_.requests.append(u"screen saver"_s); }
    bool cdDoorIsOpen() override { return desk_.drive && desk_.open; }
    bool cdDoorIsLocked() override { return desk_.drive && desk_.locked; }
    // A locked door does not move, as a real drive refuses to eject.
    bool cdDoor(std::uint32_t action) override {
        static const char* const names[] = {"close", "open", "lock", "unlock"};
        desk_.requests.append(QString::fromLatin1(names[action]));
        if (!desk_.drive)
            return false;
        if (action == engine::kCdDoorLock || action == engine::kCdDoorUnlock) {
            desk_.locked = action == engine::kCdDoorLock;
            return true;
        }
        if (desk_.locked)
            return false;
        desk_.open = action == engine::kCdDoorOpen;
        return true;
    }

private:
    Desk& desk_;
};

// A started player with every window the menus open, a fake desktop and drive, its output held still
// so positions are exactly what the handlers set, and the main window active.
struct MenuPlayer {
    // `settings`: the settings file's text before the creation step reads it.
    explicit MenuPlayer(const char* settings = nullptr) {
        w = &player.build();
        if (settings) {
            QFile ini(player.appFile(u"ORVU.ini"_s));
            if (ini.open(QIODevice::WriteOnly))
                ini.write(settings);
        }
        w->setSystemActions(std::make_unique<FakeSystemActions>(desk));
        vis = std::make_unique<TForm3>(w->state, [] { return VisLevels{}; });
        w->setVisualizationWindow(vis.get());
        options = std::make_unique<TForm4>(w->state, *w->sknmngr1, mainWindowActions(*w));
        w->setOptionsWindow(options.get());
        presets = std::make_unique<TForm5>(w->state, w->bandSliders);
        w->setPresetsWindow(presets.get());
        about = std::make_unique<TForm2>();
        w->setAboutWindow(about.get());
        links = std::make_unique<TForm7>();
        w->setWebLinksWindow(links.get());
        if (w->FormCreate())
            w->show();
        w->Bass.stop();
        QApplication::setActiveWindow(w);
    }
    ~MenuPlayer() { player.close(); }

    // A silent track of `seconds` in the application directory.
    QString track(const QString& name, double seconds = 20) {
        const QString path = player.appFile(name);
        orvu::test::writeWav(path, {.seconds = seconds});
        return path;
    }
    // Adds the entries /m/A.mp3 ... for the letters and selects one.
    void letters(const QString& letters, int selected) {
        for (const QChar letter : letters)
            w->AddPlaylistEntry(u"/m/"_s + letter + u".mp3"_s);
        w->lst1->setItemIndex(selected);
    }
    QString lettersOf() const {
        QString result;
        for (const QString& path : w->playlist.paths())
            result += path.mid(3, 1);
        return result;
    }
    // Three silent tracks one.wav, two.wav, three.wav; `playing` (0..2) is loaded and plays.
    void threeTracks(int playing = -1) {
        for (const QString& name : {u"one.wav"_s, u"two.wav"_s, u"three.wav"_s})
            w->AddPlaylistEntry(track(name));
        if (playing >= 0) {
            w->lst1->setItemIndex(playing);
            w->lst1DblClick();
        }
    }
    std::uint32_t active() const { return w->Bass.channelIsActive(w->session.Channel); }
    double seconds() const {
        return w->Bass.channelBytes2Seconds(w->session.Channel,
                                            w->Bass.channelGetPosition(w->session.Channel, engine::kPosByte));
    }
    QString current() const { return QFileInfo(w->state.CurrentFile).fileName(); }
    QStringList dialogTitles() const {
        QStringList titles;
        for (const FileDialogRequest& request : player.dialogs)
            titles.append(request.title.isEmpty() ? request.filter + request.proposedName : request.title);
        return titles;
    }

    orvu::test::PlayerFixture player;
    Desk desk;
    TForm1* w = nullptr;
    std::unique_ptr<TForm3> vis;
    std::unique_ptr<TForm4> options;
    std::unique_ptr<TForm5> presets;
    std::unique_ptr<TForm2> about;
    std::unique_ptr<TForm7> links;
};

// The item named `name` anywhere in `menu` or its submenus.
QAction* itemOf(const QMenu* menu, const QString& name) {
    for (QAction* action : menu->actions()) {
        if (action->objectName() == name && !action->menu<QMenu*>())
            return action;
        if (auto* submenu = action->menu<QMenu*>())
            if (QAction* found = itemOf(submenu, name))
                return found;
    }
    return nullptr;
}

// The menu as an outline: one line per item, indented by submenu, "-" for a separator, then the
// shortcut, "[x]" for a check mark, "(o)" for a radio-style mark and "*" for the default item.
QString outline(const QMenu* menu, int depth = 0) {
    QString text;
    for (const QAction* action : menu->actions()) {
        text += QString(depth * 2, u' ');
        if (action->isSeparator()) {
            text += u"-\n"_s;
            continue;
        }
        text += action->text();
        if (!action->shortcut().isEmpty())
            text += u"  "_s + action->shortcut().toString();
        if (action->isCheckable())
            text += action->actionGroup() && action->actionGroup()->isExclusive() ? u" (o)"_s : u" [x]"_s;
        if (menu->defaultAction() == action)
            text += u" *"_s;
        text += u'\n';
        if (const QMenu* submenu = action->menu<QMenu*>())
            text += outline(submenu, depth + 1);
    }
    return text;
}

// Both menus show every item in its order, with its caption, separators, submenus, marks and shortcuts.
TEST(Menus, ShowEveryItemInOrder) {
    MenuPlayer p;
    const QString mainMenu = u"&Playback\n"
                             "  Play\n"
                             "  Pause\n"
                             "  Stop\n"
                             "  -\n"
                             "  Rewind 5 sec\n"
                             "  Forward 5 sec\n"
                             "  -\n"
                             "  Play Previous\n"
                             "  Play Next\n"
                             "  -\n"
                             "  Play Random Track...\n"
                             "-\n"
                             "&Playlist\n"
                             "  Add Files...  Ctrl+O\n"
                             "  -\n"
                             "  Load From File  Ctrl+L\n"
                             "  Save To File  Ctrl+S\n"
                             "  -\n"
                             "  Reverse\n"
                             "  Shuffle\n"
                             "  Clear\n"
                             "  -\n"
                             "  List Mode  Ctrl+M (o)\n"
                             "  -\n"
                             "  Advanced\n"
                             "    Generate HTML Playlist\n"
                             "&Audio\n"
                             "  Audio Effects\n"
                             "  EQ Presets\n"
                             "Visualization (o)\n"
                             "System\n"
                             "  Off Monitor\n"
                             "  Screen Saver\n"
                             "  -\n"
                             "  Open/Close CD Door  F3\n"
                             "  Lock CD Door [x]\n"
                             "-\n"
                             "Dodu DU3 Vavo\n"
                             "&Options...  F2\n"
                             "-\n"
                             "&About ORVU..  F1 *\n"_s;
    EXPECT_EQ(outline(p.w->pm1), mainMenu);
    EXPECT_EQ(outline(p.w->pm2), u"Play  P\n"
                                 "-\n"
                                 "Delete  X\n"
                                 "Delete from Disk...\n"
                                 "Move\n"
                                 "  Up  U\n"
                                 "  Down  D\n"
                                 "-\n"
                                 "Duplicate\n"
                                 "Send to\n"
                                 "  Another Location\n"_s);
    // Nothing is checked at start: no visualization in the settings, the lock is never restored.
    EXPECT_FALSE(p.w->vis1->isChecked());
    EXPECT_FALSE(p.w->LockCDDoor1->isChecked());
    EXPECT_FALSE(p.w->ListMode1->isChecked());
}

struct ItemCase {
    const char* menu; // "pm1" or "pm2"
    const char* item;
    void (*prepare)(MenuPlayer&);
    void (*expectRan)(MenuPlayer&); // the handler's own effect
};

void PrintTo(const ItemCase& item, std::ostream* out) {
    *out << item.item;
}

void nothing(MenuPlayer&) {}

const ItemCase itemCases[] = {
    {"pm1", "Play1", [](MenuPlayer& p) { p.threeTracks(); },
     [](MenuPlayer& p) {
         EXPECT_EQ(p.current(), u"one.wav"_s);
         EXPECT_EQ(p.active(), engine::kActivePlaying);
     }},
    {"pm1", "Pause1", [](MenuPlayer& p) { p.threeTracks(0); },
     [](MenuPlayer& p) { EXPECT_EQ(p.active(), engine::kActivePaused); }},
    {"pm1", "Stop1", [](MenuPlayer& p) { p.threeTracks(0); },
     [](MenuPlayer& p) { EXPECT_EQ(p.active(), engine::kActiveStopped); }},
    {"pm1", "Rewind5sec1",
     [](MenuPlayer& p) {
         p.threeTracks(0);
         p.w->scrlbr1->setPosition(8);
     },
     [](MenuPlayer& p) { EXPECT_NEAR(p.seconds(), 3.0, 0.01); }},
    {"pm1", "Forward5sec1",
     [](MenuPlayer& p) {
         p.threeTracks(0);
         p.w->scrlbr1->setPosition(2);
     },
     [](MenuPlayer& p) { EXPECT_NEAR(p.seconds(), 7.0, 0.01); }},
    {"pm1", "PlayPrevious1", [](MenuPlayer& p) { p.threeTracks(1); },
     [](MenuPlayer& p) { EXPECT_EQ(p.current(), u"one.wav"_s); }},
    {"pm1", "PlayNext1", [](MenuPlayer& p) { p.threeTracks(1); },
     [](MenuPlayer& p) { EXPECT_EQ(p.current(), u"three.wav"_s); }},
    {"pm1", "PlayRandomTrack1", [](MenuPlayer& p) { p.threeTracks(); },
     [](MenuPlayer& p) {
         EXPECT_FALSE(p.current().isEmpty());
         EXPECT_EQ(p.active(), engine::kActivePlaying);
     }},
    {"pm1", "AddFiles1", nothing,
     [](MenuPlayer& p) { EXPECT_EQ(p.dialogTitles(), QStringList{u"Add Files to Playlist..."_s}); }},
    {"pm1", "LoadPlaylist1", nothing,
     [](MenuPlayer& p) { EXPECT_EQ(p.dialogTitles(), QStringList{u"Open Playlist"_s}); }},
    {"pm1", "SavePlaylist1", nothing,
     [](MenuPlayer& p) { EXPECT_EQ(p.dialogTitles(), QStringList{u"Save Playlist"_s}); }},
    {"pm1", "Reverse1", [](MenuPlayer& p) { p.letters(u"ABC"_s, 0); },
     [](MenuPlayer& p) { EXPECT_EQ(p.lettersOf(), u"CBA"_s); }},
    {"pm1", "Shuffle1",
     [](MenuPlayer& p) {
         p.letters(u"ABCDEFGH"_s, 0);
         seedPlayerRandom(7);
     },
     [](MenuPlayer& p) {
         QString sorted = p.lettersOf();
         EXPECT_NE(sorted, u"ABCDEFGH"_s);
         std::sort(sorted.begin(), sorted.end());
         EXPECT_EQ(sorted, u"ABCDEFGH"_s);
     }},
    {"pm1", "Clear1", [](MenuPlayer& p) { p.letters(u"ABC"_s, 0); },
     [](MenuPlayer& p) { EXPECT_EQ(p.lettersOf(), u""_s); }},
    {"pm1", "ListMode1", nothing,
     [](MenuPlayer& p) {
         EXPECT_EQ(p.w->spnl3->state(), Panel::State::Maximized);
         EXPECT_TRUE(p.w->ListMode1->isChecked());
     }},
    {"pm1", "GenerateHTMLPlaylist1", nothing,
     [](MenuPlayer& p) { EXPECT_EQ(p.dialogTitles(), QStringList{u"HTML Documents (*.html)"_s}); }},
    {"pm1", "AudioEffects1", nothing, [](MenuPlayer& p) { EXPECT_TRUE(p.player.effects->isVisible()); }},
    {"pm1", "EQPresets1", nothing, [](MenuPlayer& p) { EXPECT_TRUE(p.presets->isVisible()); }},
    {"pm1", "vis1", nothing,
     [](MenuPlayer& p) {
         EXPECT_TRUE(p.vis->isVisible());
         EXPECT_TRUE(p.w->vis1->isChecked());
     }},
    {"pm1", "OffMonitor1", nothing,
     [](MenuPlayer& p) { EXPECT_EQ(p.desk.requests, QStringList{u"monitor off"_s}); }},
    {"pm1", "ScreenSaver1", nothing,
     [](MenuPlayer& p) { EXPECT_EQ(p.desk.requests, QStringList{u"screen saver"_s}); }},
    {"pm1", "OpenCloseCDDoor1", nothing, [](MenuPlayer& p) { EXPECT_TRUE(p.desk.open); }},
    {"pm1", "LockCDDoor1", nothing,
     [](MenuPlayer& p) {
         EXPECT_TRUE(p.desk.locked);
         EXPECT_TRUE(p.w->LockCDDoor1->isChecked());
     }},
    {"pm1", "MP3Zone1", nothing, [](MenuPlayer& p) { EXPECT_TRUE(p.links->isVisible()); }},
    {"pm1", "Options1", nothing, [](MenuPlayer& p) { EXPECT_TRUE(p.options->isVisible()); }},
    {"pm1", "About1", nothing, [](MenuPlayer& p) { EXPECT_TRUE(p.about->isVisible()); }},
    {"pm2", "Play2", [](MenuPlayer& p) { p.threeTracks(); },
     [](MenuPlayer& p) {
         EXPECT_EQ(p.current(), u"one.wav"_s);
         EXPECT_EQ(p.active(), engine::kActivePlaying);
     }},
    {"pm2", "Delete1", [](MenuPlayer& p) { p.letters(u"ABC"_s, 1); },
     [](MenuPlayer& p) { EXPECT_EQ(p.lettersOf(), u"AC"_s); }},
    {"pm2", "DeletefromDisk1", [](MenuPlayer& p) { p.letters(u"ABC"_s, 1); },
     [](MenuPlayer& p) {
         EXPECT_EQ(p.player.messages.texts(),
                   QStringList{u"Dou you want to remove B.mp3 from your computer?"_s});
     }},
    {"pm2", "Up1", [](MenuPlayer& p) { p.letters(u"ABC"_s, 1); },
     [](MenuPlayer& p) { EXPECT_EQ(p.lettersOf(), u"BAC"_s); }},
    {"pm2", "Down1", [](MenuPlayer& p) { p.letters(u"ABC"_s, 1); },
     [](MenuPlayer& p) { EXPECT_EQ(p.lettersOf(), u"ACB"_s); }},
    {"pm2", "Duplicate1", [](MenuPlayer& p) { p.letters(u"ABC"_s, 1); },
     [](MenuPlayer& p) { EXPECT_EQ(p.lettersOf().size(), 4); }},
    {"pm2", "AnotherLocation1", [](MenuPlayer& p) { p.letters(u"ABC"_s, 1); },
     [](MenuPlayer& p) { EXPECT_EQ(p.dialogTitles(), QStringList{u"B.mp3"_s}); }},
};

class MenuItem : public testing::TestWithParam<ItemCase> {};

// Triggering an item, as clicking it does, runs its handler once, and only while the item is in its menu.
TEST_P(MenuItem, RunsItsHandler) {
    const ItemCase& item = GetParam();
    MenuPlayer p;
    const QMenu* menu = item.menu == std::string_view("pm1") ? p.w->pm1 : p.w->pm2;
    QAction* action = itemOf(menu, QString::fromLatin1(item.item));
    ASSERT_NE(action, nullptr);
    item.prepare(p);
    p.player.dialogs.clear();
    action->trigger();
    item.expectRan(p);
}

INSTANTIATE_TEST_SUITE_P(BothMenus, MenuItem, testing::ValuesIn(itemCases),
                         [](const testing::TestParamInfo<ItemCase>& info) {
                             return std::string(info.param.item);
                         });

struct KeyCase {
    const char* label;
    const char* focus; // "lst1", "scrlbr2" (the volume), "TrackBar1" (a band) or "btn1" (a button)
    QKeyCombination key;
    const char* item;          // the menu item the key ran, or ""
    const char* playlistAfter; // from ABC with B selected
    const char* dialog;        // the title of the dialog the key opened, or ""
};

void PrintTo(const KeyCase& key, std::ostream* out) {
    *out << key.label;
}

class ShortcutFocus : public testing::TestWithParam<KeyCase> {};

// The main menu's keys act from any control of the window; the playlist menu's single keys act only on
// the playlist, through their menu item and once: the list's own handler of the same key never runs
// after them.
TEST_P(ShortcutFocus, ActsWhereTheFocusAllows) {
    const KeyCase& key = GetParam();
    MenuPlayer p;
    p.letters(u"ABC"_s, 1);
    QStringList ran;
    for (QAction* action : p.w->findChildren<QAction*>())
        QObject::connect(action, &QAction::triggered, [&ran, action] { ran.append(action->objectName()); });
    const std::pair<const char*, QWidget*> controls[] = {
        {"lst1", p.w->lst1}, {"scrlbr2", p.w->scrlbr2}, {"TrackBar1", p.w->TrackBar1}, {"btn1", p.w->btn1}};
    QWidget* focus = std::find_if(std::begin(controls), std::end(controls), [&](const auto& control) {
                         return std::string_view(control.first) == key.focus;
                     })->second;
    focus->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), focus);
    QTest::keyClick(focus, key.key.key(), key.key.keyboardModifiers());
    EXPECT_EQ(ran.join(u'|'), QString::fromLatin1(key.item));
    EXPECT_EQ(p.lettersOf(), QString::fromLatin1(key.playlistAfter));
    EXPECT_EQ(p.dialogTitles().join(u'|'), QString::fromLatin1(key.dialog));
}

INSTANTIATE_TEST_SUITE_P(Keys, ShortcutFocus,
                         testing::Values(KeyCase{"CtrlOFromThePlaylist", "lst1", Qt::CTRL | Qt::Key_O,
                                                 "AddFiles1", "ABC", "Add Files to Playlist..."},
                                         KeyCase{"CtrlOFromTheVolume", "scrlbr2", Qt::CTRL | Qt::Key_O,
                                                 "AddFiles1", "ABC", "Add Files to Playlist..."},
                                         KeyCase{"CtrlOFromABand", "TrackBar1", Qt::CTRL | Qt::Key_O,
                                                 "AddFiles1", "ABC", "Add Files to Playlist..."},
                                         KeyCase{"CtrlOFromAButton", "btn1", Qt::CTRL | Qt::Key_O,
                                                 "AddFiles1", "ABC", "Add Files to Playlist..."},
                                         KeyCase{"CtrlLFromAButton", "btn1", Qt::CTRL | Qt::Key_L,
                                                 "LoadPlaylist1", "ABC", "Open Playlist"},
                                         KeyCase{"CtrlSFromThePlaylist", "lst1", Qt::CTRL | Qt::Key_S,
                                                 "SavePlaylist1", "ABC", "Save Playlist"},
                                         KeyCase{"XOnThePlaylist", "lst1", Qt::Key_X, "Delete1", "AC", ""},
                                         KeyCase{"UOnThePlaylist", "lst1", Qt::Key_U, "Up1", "BAC", ""},
                                         KeyCase{"DOnThePlaylist", "lst1", Qt::Key_D, "Down1", "ACB", ""},
                                         KeyCase{"XOnAButton", "btn1", Qt::Key_X, "", "ABC", ""},
                                         KeyCase{"UOnTheVolume", "scrlbr2", Qt::Key_U, "", "ABC", ""},
                                         KeyCase{"DOnAButton", "btn1", Qt::Key_D, "", "ABC", ""}),
                         [](const testing::TestParamInfo<KeyCase>& info) {
                             return std::string(info.param.label);
                         });

// P plays from the playlist and nowhere else; F1, F2 and F3 open About, Options and the CD door from
// any control; Ctrl+M switches list mode.
TEST(Shortcuts, PlayFunctionKeysAndListMode) {
    MenuPlayer p;
    p.threeTracks();
    p.w->btn1->setFocus();
    QTest::keyClick(p.w->btn1, Qt::Key_P);
    EXPECT_TRUE(p.current().isEmpty());
    p.w->lst1->setFocus();
    QTest::keyClick(p.w->lst1, Qt::Key_P);
    EXPECT_EQ(p.current(), u"one.wav"_s);

    p.w->scrlbr1->setFocus();
    QTest::keyClick(p.w->scrlbr1, Qt::Key_F3);
    EXPECT_TRUE(p.desk.open);
    QTest::keyClick(p.w->scrlbr1, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(p.w->spnl3->state(), Panel::State::Maximized);
    QTest::keyClick(p.w->lst1, Qt::Key_F2);
    EXPECT_TRUE(p.options->isVisible());
    p.options->close();
    QApplication::setActiveWindow(p.w);
    p.w->lst1->setFocus();
    QTest::keyClick(p.w->lst1, Qt::Key_F1);
    EXPECT_TRUE(p.about->isVisible());
}

// A right-click on the window, either panel or any control opens the main menu at the pointer; on the
// playlist it opens the playlist menu.
TEST(Menus, RightClickOpensTheMenuOfThePlace) {
    MenuPlayer p;
    p.letters(u"ABC"_s, 1);
    struct Place {
        const char* label;
        QWidget* widget;
        QPoint at;
        QMenu* menu;
    };
    const Place places[] = {
        {"window", p.w, {500, 2}, p.w->pm1},
        {"playlist panel", p.w->spnl3, {480, 360}, p.w->pm1},
        {"information panel", p.w->spnl1, {300, 100}, p.w->pm1},
        {"button", p.w->btn9, {5, 5}, p.w->pm1},
        {"volume slider", p.w->scrlbr2, {50, 8}, p.w->pm1},
        {"playlist", p.w->lst1->viewport(), {5, 5}, p.w->pm2},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.label);
        // Through the window, as the window system delivers a click: it makes the context menu event.
        QTest::mouseClick(p.w->windowHandle(), Qt::RightButton, {}, place.widget->mapTo(p.w, place.at));
        EXPECT_TRUE(place.menu->isVisible());
        EXPECT_FALSE((place.menu == p.w->pm1 ? p.w->pm2 : p.w->pm1)->isVisible());
        EXPECT_TRUE(place.menu->geometry().contains(place.widget->mapToGlobal(place.at) + QPoint(1, 1)));
        place.menu->hide();
    }
}

// The skin's title bars: a click on the main window's right-aligned "ORVU" button drops pm1 down under
// it, a click on the visualization window's "Visualization" button its mode menu; beside each, after
// a 16-pixel spacer, minimize and close act on their window, and neither bar has a maximize button.
TEST(TitleBars, MenuButtonsOpenTheirMenusAndTheWindowButtonsAct) {
    MenuPlayer p;
    p.w->vis1->trigger(); // the visualization window opens from the menu
    ASSERT_TRUE(p.vis->isVisible());
    struct Bar {
        const char* label;
        QWidget* window;
        TitleBar* bar;
        QMenu* menu;
        QString text;
        QString hint;
    };
    const Bar bars[] = {
        {"main", p.w, p.w->stlbr1, p.w->pm1, u"ORVU"_s, u"Main Menu"_s},
        {"visualization", p.vis.get(), p.vis->frame->titleBar(), p.vis->pm1, u"Visualization"_s,
         u"Visualization Menu"_s},
    };
    for (const Bar& b : bars) {
        SCOPED_TRACE(b.label);
        QPushButton* button = b.bar->menuButton();
        EXPECT_EQ(button->text(), b.text);
        EXPECT_EQ(button->toolTip(), b.hint);
        const int gap = b.bar->minimizeButton()->x() - button->geometry().right() - 1;
        EXPECT_TRUE(gap >= 16 && gap <= 20) << gap;
        EXPECT_GE(b.bar->closeButton()->geometry().right(), b.bar->width() - 8);
        for (const QPushButton* other : b.bar->findChildren<QPushButton*>())
            EXPECT_NE(other->toolTip(), u"Maximize"_s);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(b.menu->isVisible());
        EXPECT_LE(std::abs(b.menu->y() - button->mapToGlobal(QPoint(0, button->height())).y()), 1);
        b.menu->hide();
        QTest::mouseClick(b.bar->minimizeButton(), Qt::LeftButton);
        EXPECT_TRUE(b.window->isMinimized());
        b.window->showNormal();
    }
    QTest::mouseClick(p.vis->frame->titleBar()->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(p.vis->isVisible());
    EXPECT_FALSE(p.w->vis1->isChecked());
}

// The tool buttons open their windows; btn27 starts the screen saver and btn23 moves the CD door.
TEST(ToolButtons, OpenTheirWindowsAndActions) {
    MenuPlayer p;
    const std::pair<QPushButton*, QWidget*> opens[] = {
        {p.w->btn17, p.player.effects.get()}, {p.w->btn18, p.presets.get()}, {p.w->btn19, p.vis.get()},
        {p.w->btn24, p.links.get()},          {p.w->btn25, p.options.get()},
    };
    for (const auto& [button, window] : opens) {
        SCOPED_TRACE(button->toolTip().toStdString());
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(window->isVisible());
        window->close();
        EXPECT_TRUE(p.w->isEnabled());
    }
    QTest::mouseClick(p.w->btn27, Qt::LeftButton);
    QTest::mouseClick(p.w->btn23, Qt::LeftButton);
    EXPECT_EQ(p.desk.requests, (QStringList{u"screen saver"_s, u"open"_s}));
}

// About, Options, presets and effects disable the main window while they show; the web links and
// visualization windows leave it usable. A second request for an open window leaves it where it is.
TEST(SecondaryWindows, DisableTheMainWindowWhileTheyShow) {
    MenuPlayer p;
    const std::tuple<const char*, QWidget*, bool> windows[] = {
        {"About1", p.about.get(), true},       {"Options1", p.options.get(), true},
        {"EQPresets1", p.presets.get(), true}, {"AudioEffects1", p.player.effects.get(), true},
        {"MP3Zone1", p.links.get(), false},    {"vis1", p.vis.get(), false},
    };
    for (const auto& [item, window, disables] : windows) {
        SCOPED_TRACE(item);
        QAction* action = itemOf(p.w->pm1, QString::fromLatin1(item));
        action->trigger();
        ASSERT_TRUE(window->isVisible());
        EXPECT_EQ(p.w->isEnabled(), !disables);
        const QPoint placed = window->pos();
        window->move(placed + QPoint(7, 7));
        if (action != p.w->vis1) {
            action->trigger(); // already open: it only comes to the front
            EXPECT_EQ(window->pos(), placed + QPoint(7, 7));
        }
        window->close();
        EXPECT_TRUE(p.w->isEnabled());
    }
    // Closing About while Options also shows enables the main window all the same.
    itemOf(p.w->pm1, u"Options1"_s)->trigger();
    p.w->trycn1Context(); // the tray's menu opens while the main window is disabled
    EXPECT_TRUE(p.w->pm1->isEnabled());
    itemOf(p.w->pm1, u"About1"_s)->trigger();
    p.w->pm1->hide();
    EXPECT_FALSE(p.w->isEnabled());
    QTest::mouseClick(p.about->btn1, Qt::LeftButton);
    EXPECT_FALSE(p.about->isVisible());
    EXPECT_TRUE(p.options->isVisible());
    EXPECT_TRUE(p.w->isEnabled());
}

// The visualization item shows and closes the window and its mark follows; btn19 shows it without the
// mark, and the window closing by itself clears the mark. The mark is what the settings keep.
TEST(Visualization, MenuToggleMarksAndButtonDoesNot) {
    MenuPlayer p;
    p.w->vis1->trigger();
    EXPECT_TRUE(p.vis->isVisible());
    EXPECT_TRUE(p.w->vis1->isChecked());
    p.w->vis1->trigger();
    EXPECT_FALSE(p.vis->isVisible());
    EXPECT_FALSE(p.w->vis1->isChecked());

    QTest::mouseClick(p.w->btn19, Qt::LeftButton);
    EXPECT_TRUE(p.vis->isVisible());
    EXPECT_FALSE(p.w->vis1->isChecked());
    p.w->vis1->trigger(); // it shows: the item closes it
    EXPECT_FALSE(p.vis->isVisible());

    p.w->vis1->trigger();
    p.vis->close(); // its own close box
    EXPECT_FALSE(p.w->vis1->isChecked());

    p.w->vis1->trigger();
    p.player.close();
    EXPECT_TRUE(readBoolSetting(SettingsFile(p.player.appFile(u"ORVU.ini"_s)), Setting::VisualizationShow));
}

struct DoorCase {
    const char* label;
    bool drive;
    bool locked;
    QStringList requests; // from F3 pressed twice
    bool openAfterFirst;
};

// F3 opens the CD door and F3 again closes it; without a drive, or with the door locked, the request
// simply fails: nothing is reported.
TEST(CdDoor, F3OpensThenCloses) {
    const DoorCase cases[] = {
        {"drive", true, false, {u"open"_s, u"close"_s}, true},
        {"no drive", false, false, {u"open"_s, u"open"_s}, false},
        {"locked", true, true, {u"open"_s, u"open"_s}, false},
    };
    for (const DoorCase& door : cases) {
        SCOPED_TRACE(door.label);
        MenuPlayer p;
        p.desk.drive = door.drive;
        p.desk.locked = door.locked;
        p.w->btn1->setFocus();
        QTest::keyClick(p.w->btn1, Qt::Key_F3);
        EXPECT_EQ(p.desk.open, door.openAfterFirst);
        QTest::keyClick(p.w->btn1, Qt::Key_F3);
        EXPECT_FALSE(p.desk.open);
        EXPECT_EQ(p.desk.requests, door.requests);
        EXPECT_TRUE(p.player.messages.boxes.isEmpty());
    }
}

// "Lock CD Door" locks and then unlocks, its mark following; without a drive the mark follows the
// request all the same, as nothing reads it back.
TEST(CdDoor, LockTogglesAndTheMarkFollowsTheRequest) {
    MenuPlayer p;
    p.w->LockCDDoor1->trigger();
    EXPECT_TRUE(p.desk.locked);
    EXPECT_TRUE(p.w->LockCDDoor1->isChecked());
    p.w->LockCDDoor1->trigger();
    EXPECT_FALSE(p.desk.locked);
    EXPECT_FALSE(p.w->LockCDDoor1->isChecked());
    EXPECT_EQ(p.desk.requests, (QStringList{u"lock"_s, u"unlock"_s}));

    p.desk.drive = false;
    p.w->LockCDDoor1->trigger();
    EXPECT_TRUE(p.w->LockCDDoor1->isChecked());
    p.w->LockCDDoor1->trigger();
    EXPECT_TRUE(p.w->LockCDDoor1->isChecked());
    EXPECT_TRUE(p.player.messages.boxes.isEmpty());
}

// The tray icon: a click pauses a playing track and resumes it where it was; after Stop it plays from
// the start; before any track it does nothing.
TEST(TrayIcon, ClickTogglesPlayAndPause) {
    MenuPlayer p;
    Q_EMIT p.w->trycn1->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(p.active(), engine::kActiveStopped);
    EXPECT_TRUE(p.player.messages.boxes.isEmpty());

    p.threeTracks(0);
    p.w->scrlbr1->setPosition(6);
    p.w->btn6Click(); // to second 1
    const double at = p.seconds();
    Q_EMIT p.w->trycn1->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(p.active(), engine::kActivePaused);
    Q_EMIT p.w->trycn1->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(p.active(), engine::kActivePlaying);
    EXPECT_NEAR(p.seconds(), at, 0.01);

    p.w->btn3Click();
    Q_EMIT p.w->trycn1->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(p.active(), engine::kActivePlaying);
    EXPECT_NEAR(p.seconds(), 0.0, 0.01);
}

// A double-click is a click and then a double-click: the track pauses and the window hides; the next
// one resumes and shows the window again without running the show step again.
TEST(TrayIcon, DoubleClickTogglesOnceAndFlipsTheWindow) {
    MenuPlayer p("[OnOpen]\r\nStart=Open\r\n"); // the show step asks for files to add
    ASSERT_EQ(p.dialogTitles(), QStringList{u"Add Files to Playlist..."_s});
    p.threeTracks(0);
    const auto doubleClick = [&] {
        Q_EMIT p.w->trycn1->activated(QSystemTrayIcon::Trigger);
        Q_EMIT p.w->trycn1->activated(QSystemTrayIcon::DoubleClick);
    };
    doubleClick();
    EXPECT_EQ(p.active(), engine::kActivePaused);
    EXPECT_FALSE(p.w->isVisible());
    doubleClick();
    EXPECT_EQ(p.active(), engine::kActivePlaying);
    EXPECT_TRUE(p.w->isVisible());
    EXPECT_EQ(p.dialogTitles().size(), 1);
}

// The icon shows the window's icon and "ORVU" from the creation step to the close step; a right-click
// on it opens the main menu.
TEST(TrayIcon, LivesFromCreationToCloseAndOpensTheMainMenu) {
    orvu::test::PlayerFixture player;
    TForm1& window = player.build();
    EXPECT_FALSE(window.trycn1->isVisible());
    ASSERT_TRUE(window.FormCreate());
    EXPECT_TRUE(window.trycn1->isVisible());
    EXPECT_EQ(window.trycn1->toolTip(), u"ORVU"_s);
    EXPECT_FALSE(window.trycn1->icon().isNull());
    EXPECT_EQ(window.trycn1->icon().cacheKey(), window.windowIcon().cacheKey());
    window.show();

    Q_EMIT window.trycn1->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(window.pm1->isVisible());
    window.pm1->hide();

    window.close();
    EXPECT_FALSE(window.trycn1->isVisible());
}

} // namespace
