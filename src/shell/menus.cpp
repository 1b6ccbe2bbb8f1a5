// Purpose: the main window's two pop-up menus with their shortcuts, the tool buttons that open the other
// windows, the tray icon, and the system actions (visualization toggle, monitor, screen saver, CD door).
#include "engine/engine.h"
#include "shell/about_window.h"
#include "shell/error_box.h"
#include "shell/input_wiring.h"
#include "shell/main_window.h"
#include "shell/system_actions.h"
#include "shell/web_links_window.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>

#include <span>
#include <vector>

namespace orvu {
namespace {

enum class Mark {
    None,
    Check, // a check mark
    Radio, // a radio-style mark: the item's own exclusive group, which may still be emptied
};

// One item of a pop-up menu. A row followed by deeper rows is a submenu holding them.
struct MenuRow {
    int level;                           // 0 in the menu itself, 1 in a submenu, 2 in a submenu's submenu
    const char* name;                    // the item's object name
    const char* caption = nullptr;       // none: a separator
    QKeyCombination shortcut = {};       // Qt::Key_unknown: none
    void (TForm1::*handler)() = nullptr; // none: a submenu, a separator or an item its subsystem wires
    Mark mark = Mark::None;
    QAction* TForm1::*member = nullptr; // the window's pointer to the item; an item already made is reused
};

// The main menu. List mode belongs to the playlist, which makes and wires ListMode1 itself.
const MenuRow mainMenuRows[] = {
    {0, "Action1", "&Playback"},
    {1, "Play1", "Play", {}, &TForm1::btn1Click},
    {1, "Pause1", "Pause", {}, &TForm1::btn2Click},
    {1, "Stop1", "Stop", {}, &TForm1::btn3Click},
    {1, "N6"},
    {1, "Rewind5sec1", "Rewind 5 sec", {}, &TForm1::btn6Click},
    {1, "Forward5sec1", "Forward 5 sec", {}, &TForm1::btn7Click},
    {1, "N7"},
    {1, "PlayPrevious1", "Play Previous", {}, &TForm1::btn8Click},
    {1, "PlayNext1", "Play Next", {}, &TForm1::btn9Click},
    {1, "N15"},
    {1, "PlayRandomTrack1", "Play Random Track...", {}, &TForm1::btn26Click},
    {0, "N3"},
    {0, "Playlist1", "&Playlist"},
    {1, "AddFiles1", "Add Files...", Qt::CTRL | Qt::Key_O, &TForm1::Button1Click},
    {1, "N4"},
    {1, "LoadPlaylist1", "Load From File", Qt::CTRL | Qt::Key_L, &TForm1::btn4Click},
    {1, "SavePlaylist1", "Save To File", Qt::CTRL | Qt::Key_S, &TForm1::btn5Click},
    {1, "N5"},
    {1, "Reverse1", "Reverse", {}, &TForm1::Reverse1Click},
    {1, "Shuffle1", "Shuffle", {}, &TForm1::Shuffle1Click},
    {1, "Clear1", "Clear", {}, &TForm1::sbtbtn3Click},
    {1, "N11"},
    {1, "ListMode1", "List Mode", Qt::CTRL | Qt::Key_M, nullptr, Mark::Radio, &TForm1::ListMode1},
    {1, "N14"},
    {1, "Advanced1", "Advanced"},
    {2, "GenerateHTMLPlaylist1", "Generate HTML Playlist", {}, &TForm1::btn22Click},
    {0, "Audio1", "&Audio"},
    {1, "AudioEffects1", "Audio Effects", {}, &TForm1::btn17Click},
    {1, "EQPresets1", "EQ Presets", {}, &TForm1::btn18Click},
    {0, "vis1", "Visualization", {}, &TForm1::vis1Click, Mark::Radio, &TForm1::vis1},
    {0, "Actions1", "System"},
    {1, "OffMonitor1", "Off Monitor", {}, &TForm1::OffMonitor1Click},
    {1, "ScreenSaver1", "Screen Saver", {}, &TForm1::ScreenSaver1Click},
    {1, "N10"},
    {1, "OpenCloseCDDoor1", "Open/Close CD Door", Qt::Key_F3, &TForm1::btn23Click},
    {1, "LockCDDoor1", "Lock CD Door", {}, &TForm1::LockCDDoor1Click, Mark::Check, &TForm1::LockCDDoor1},
    {0, "N8"},
    {0, "MP3Zone1", "Dodu DU3 Vavo", {}, &TForm1::btn24Click},
    {0, "Options1", "&Options...", Qt::Key_F2, &TForm1::Options1Click},
    {0, "N9"},
    {0, "About1", "&About ORVU..", Qt::Key_F1, &TForm1::About1Click},
};

// The playlist menu.
const MenuRow playlistMenuRows[] = {
    {0, "Play2", "Play", Qt::Key_P, &TForm1::btn1Click},
    {0, "N12"},
    {0, "Delete1", "Delete", Qt::Key_X, &TForm1::btn10Click},
    {0, "DeletefromDisk1", "Delete from Disk...", {}, &TForm1::btn21Click},
    {0, "Move1", "Move"},
    {1, "Up1", "Up", Qt::Key_U, &TForm1::sbtbtn1Click},
    {1, "Down1", "Down", Qt::Key_D, &TForm1::sbtbtn2Click},
    {0, "N13"},
    {0, "Duplicate1", "Duplicate", {}, &TForm1::Duplicate1Click},
    {0, "Sendto1", "Send to"},
    {1, "AnotherLocation1", "Another Location", {}, &TForm1::AnotherLocation1Click},
};

// Fills `menu` from its rows. The items' shortcuts act through `shortcutOwner` in `context`, whether
// the menu shows or not. Returns the rows that wire items to their handlers.
std::vector<ClickRow<TForm1>> buildMenu(TForm1* window, QMenu* menu, std::span<const MenuRow> rows,
                                        QWidget* shortcutOwner, Qt::ShortcutContext context) {
    std::vector<ClickRow<TForm1>> clicks;
    std::vector<QMenu*> levels{menu};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MenuRow& row = rows[i];
        levels.resize(static_cast<std::size_t>(row.level) + 1);
        QMenu* parent = levels.back();
        const QString name = QString::fromLatin1(row.name);
        if (!row.caption) {
            parent->addSeparator()->setObjectName(name);
            continue;
        }
        const QString caption = QString::fromLatin1(row.caption);
        if (i + 1 < rows.size() && rows[i + 1].level > row.level) {
            QMenu* submenu = parent->addMenu(caption);
            submenu->setObjectName(name);
            submenu->menuAction()->setObjectName(name);
            levels.push_back(submenu);
            continue;
        }
        QAction* action = row.member ? window->*row.member : nullptr;
        if (!action) {
            action = new QAction(caption, window);
            if (row.member)
                window->*row.member = action;
        }
        action->setObjectName(name);
        action->setCheckable(row.mark != Mark::None);
        if (row.mark == Mark::Radio) {
            auto* group = new QActionGroup(window);
            group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
            group->addAction(action);
        }
        if (row.shortcut.key() != Qt::Key_unknown) {
            action->setShortcut(QKeySequence(row.shortcut));
            action->setShortcutContext(context);
            shortcutOwner->addAction(action);
        }
        parent->addAction(action);
        if (row.handler)
            clicks.push_back({action, row.handler});
    }
    return clicks;
}

} // namespace

void TForm1::createMenus() {
    // Without a parent: the tray icon opens the main menu while a window that disables this one
    // shows, and a disabled parent would disable its menus too.
    pm1 = new QMenu;
    pm1->setObjectName(QStringLiteral("pm1"));
    pm2 = new QMenu;
    pm2->setObjectName(QStringLiteral("pm2"));
    const std::vector<ClickRow<TForm1>> mainClicks =
        buildMenu(this, pm1, mainMenuRows, this, Qt::WindowShortcut);
    // The list's children (its viewport) count as the list: the keys reach it wherever the focus sits in it.
    const std::vector<ClickRow<TForm1>> playlistClicks =
        buildMenu(this, pm2, playlistMenuRows, lst1, Qt::WidgetWithChildrenShortcut);
    pm1->setDefaultAction(findChild<QAction*>(QStringLiteral("About1"), Qt::FindDirectChildrenOnly));
    wireClickTable<TForm1>(this, mainClicks);
    wireClickTable<TForm1>(this, playlistClicks);
}

void TForm1::wireMenuInput() {
    wireClicks<TForm1>(this, {
                                 {btn23, &TForm1::btn23Click},
                                 {btn19, &TForm1::btn19Click},
                                 {btn24, &TForm1::btn24Click},
                                 {btn27, &TForm1::ScreenSaver1Click},
                             });
    wireTray<TForm1>(this, trycn1,
                     {
                         {QSystemTrayIcon::Trigger, &TForm1::trycn1Click},
                         {QSystemTrayIcon::DoubleClick, &TForm1::trycn1DblClick},
                         {QSystemTrayIcon::Context, &TForm1::trycn1Context},
                     });
    // A right-click anywhere on the window opens the main menu, on the playlist the playlist menu.
    // The sliders leave theirs to the window (their own scrolling menu is not the player's).
    const auto popup = [](QMenu* menu) {
        return [menu](QEvent* event) {
            menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        };
    };
    for (ScrollBar* slider : findChildren<ScrollBar*>())
        slider->setContextMenuPolicy(Qt::NoContextMenu);
    wireEvents({
        {this, QEvent::ContextMenu, popup(pm1)},
        {lst1, QEvent::ContextMenu, popup(pm2)},
        {lst1->viewport(), QEvent::ContextMenu, popup(pm2)},
    });
}

void TForm1::setVisualizationWindow(QWidget* window) {
    Form3 = window;
    if (!window)
        return;
    // The window clears the mark in the player state when it closes by its own means; the menu item
    // shows it. The route lives with that window, which may outlive this one.
    wireEvents({{window, QEvent::Hide, [self = QPointer<TForm1>(this)](QEvent*) {
                     if (self)
                         self->vis1->setChecked(self->state.vis1Checked);
                     return false;
                 }}});
}

void TForm1::setAboutWindow(TForm2* window) {
    Form2 = window;
    connect(window, &TForm2::openChanged, this, [this](bool open) { setEnabled(!open); });
}

void TForm1::setWebLinksWindow(TForm7* window) {
    Form7 = window;
}

void TForm1::setSystemActions(std::unique_ptr<SystemActions> actions) {
    system_ = std::move(actions);
}

void TForm1::About1Click() {
    showCentred(Form2);
}

void TForm1::Options1Click() {
    btn25Click();
}

void TForm1::btn24Click() {
    showCentred(Form7);
}

void TForm1::btn19Click() {
    if (!Form3)
        return;
    Form3->show();
    Form3->raise();
    Form3->activateWindow();
}

void TForm1::vis1Click() {
    if (!Form3)
        return;
    if (Form3->isVisible())
        Form3->close();
    else
        Form3->show();
    state.vis1Checked = Form3->isVisible();
    vis1->setChecked(state.vis1Checked);
}

void TForm1::OffMonitor1Click() {
    system_->monitorOff();
}

void TForm1::ScreenSaver1Click() {
    system_->startScreenSaver();
}

// Each question is asked anew: the door may move between them (a user's hand, the drive's button).
void TForm1::btn23Click() {
    if (system_->cdDoorIsOpen()) {
        system_->cdDoor(engine::kCdDoorClose);
        return;
    }
    if (!system_->cdDoorIsOpen())
        system_->cdDoor(engine::kCdDoorOpen);
}

// The mark shows what was asked for; whether the drive took it is not read back.
void TForm1::LockCDDoor1Click() {
    if (system_->cdDoorIsLocked()) {
        system_->cdDoor(engine::kCdDoorUnlock);
        LockCDDoor1->setChecked(false);
        return;
    }
    if (!system_->cdDoorIsLocked()) {
        system_->cdDoor(engine::kCdDoorLock);
        LockCDDoor1->setChecked(true);
    }
}

// A stopped track resumes from its position, which the stop command set to the start. A stalled one
// is left alone. Each test asks the engine anew.
void TForm1::trycn1Click() {
    const engine::Handle channel = session.Channel;
    if (Bass.channelIsActive(channel) == engine::kActivePaused)
        Bass.channelPlay(channel, false);
    else if (Bass.channelIsActive(channel) == engine::kActivePlaying)
        Bass.channelPause(channel);
    else if (Bass.channelIsActive(channel) == engine::kActiveStopped)
        Bass.channelPlay(channel, false);
}

// Showing the window again does not rerun the show step (showEvent runs it once per process).
void TForm1::trycn1DblClick() {
    if (isVisible()) {
        hide();
        return;
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TForm1::trycn1Context() {
    if (isVisible()) {
        raise();
        activateWindow();
    }
    pm1->popup(QCursor::pos());
}

} // namespace orvu
