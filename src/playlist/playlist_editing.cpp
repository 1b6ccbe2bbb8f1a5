// Purpose: editing the playlist (add, remove, move, clear, duplicate, reverse, shuffle), list mode,
// the name list's hint and letter keys, and the wiring of the playlist's controls.
#include "core/player_random.h"
#include "core/rounding.h"
#include "shell/error_box.h"
#include "shell/file_dialogs.h"
#include "shell/input_wiring.h"
#include "shell/main_window.h"
#include "skin/list_box.h"
#include "skin/panel.h"

#include <QAction>
#include <QKeyEvent>
#include <QPushButton>

namespace orvu {

const QString audioFilesFilter = QStringLiteral("Audio Files (*.mo3 *.xm *.mod *.s3m *.it *.mtm *.umx *.mp3 "
                                                "*.mp2 *.mp1 *.ogg *.wav *.wave *.aif *.m4a *.m4b "
                                                "*.m4p *.m4v *.m4r *.3gp *.mp4 *.aac *.flac *.opus *.midi "
                                                "*.ape *.apl *.mpc *.mp+ *.mpp *.spx *.tta *.wma "
                                                "*.wmv *.mid *.wv *.aiff *.aifc *.oga *.ac3 *.adx *.aix "
                                                "*.ofr *.ofs)");

void TForm1::Button1Click() {
    const QStringList chosen = askFileDialog(this, {FileDialogRequest::Kind::OpenFiles,
                                                    QStringLiteral("Add Files to Playlist..."),
                                                    audioFilesFilter,
                                                    {},
                                                    {}});
    for (const QString& path : chosen)
        AddPlaylistEntry(path);
}

void TForm1::btn10Click() {
    const int index = lst1->itemIndex();
    if (index == -1)
        return;
    playlist.removeAt(index);
    lst1->setItemIndex(index); // the entry that followed; none when the last one went
}

void TForm1::sbtbtn1Click() {
    const int index = lst1->itemIndex();
    const int count = lst1->count();
    if (index == 0) {
        // The first entry trades places with the last (a swap, not a rotation).
        playlist.exchange(0, count - 1);
        lst1->setItemIndex(count - 1);
        return;
    }
    playlist.exchange(index, index - 1);
}

void TForm1::sbtbtn2Click() {
    const int index = lst1->itemIndex();
    const int count = lst1->count();
    if (index == count - 1) {
        // The last entry trades places with the first; on an empty list index 0 is refused.
        playlist.exchange(0, count - 1);
        return;
    }
    playlist.exchange(index, index + 1);
}

void TForm1::sbtbtn3Click() {
    playlist.clear();
}

void TForm1::Duplicate1Click() {
    playlist.duplicate(lst1->itemIndex()); // refuses -1
}

void TForm1::Reverse1Click() {
    const int count = lst1->count();
    // n/2 rounded halves-to-even: an odd count may add a pass that exchanges the middle with itself.
    const auto passes = roundHalfEven(count / 2.0);
    for (int k = 0; k < passes; ++k)
        playlist.exchange(k, count - 1 - k);
}

void TForm1::Shuffle1Click() {
    const int count = lst1->count();
    for (int pass = 0; pass < count; ++pass) {
        const int a = playerRandom(count);
        const int b = playerRandom(count);
        playlist.exchange(b, a);
    }
}

void TForm1::ListMode1Click() {
    if (!ListMode1->isChecked()) {
        spnl3->systemCommand(Panel::commandMaximize);
        lst1->systemCommand(Panel::commandMaximize);
        ListMode1->setChecked(true);
    } else {
        spnl3->systemCommand(Panel::commandRestore);
        lst1->systemCommand(Panel::commandRestore);
        ListMode1->setChecked(false);
    }
}

void TForm1::lst1MouseMove() {
    const int index = lst1->itemIndex();
    lst1->setToolTip(index == -1 ? QStringLiteral("No items selected.") : lst1->itemText(index));
}

bool TForm1::lst1KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    // Ctrl+O, Ctrl+L, Ctrl+S and Ctrl+M belong to the main menu, which runs them instead.
    if ((modifiers & ~Qt::KeypadModifier) == Qt::ControlModifier &&
        (key == Qt::Key_O || key == Qt::Key_L || key == Qt::Key_S || key == Qt::Key_M))
        return false;
    // Otherwise Shift, Ctrl and Alt are not examined: Shift+X removes like X, Ctrl+A clears like A.
    switch (key) {
    case Qt::Key_X:
        btn10Click();
        return true;
    case Qt::Key_U:
        sbtbtn1Click();
        return true;
    case Qt::Key_D:
        sbtbtn2Click();
        return true;
    case Qt::Key_A:
        sbtbtn3Click();
        return true;
    case Qt::Key_P:
        btn1Click();
        return true;
    case Qt::Key_S:
        Shuffle1Click();
        return true;
    default:
        return false;
    }
}

void TForm1::wirePlaylistInput() {
    wireClicks<TForm1>(this, {
                                 {Button1, &TForm1::Button1Click},
                                 {btn10, &TForm1::btn10Click},
                                 {sbtbtn1, &TForm1::sbtbtn1Click},
                                 {sbtbtn2, &TForm1::sbtbtn2Click},
                                 {sbtbtn3, &TForm1::sbtbtn3Click},
                                 {btn20, &TForm1::Shuffle1Click},
                                 {btn4, &TForm1::btn4Click},
                                 {btn5, &TForm1::btn5Click},
                                 {btn21, &TForm1::btn21Click},
                                 {btn22, &TForm1::btn22Click},
                             });

    // The check mark is list mode's only record. Qt flips a checkable action's mark before it reports
    // the trigger; the mark is put back first so that ListMode1Click reads the state it acts on.
    ListMode1 = new QAction(QStringLiteral("List Mode"), this);
    ListMode1->setObjectName(QStringLiteral("ListMode1"));
    ListMode1->setCheckable(true);
    ListMode1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    ListMode1->setShortcutContext(Qt::WindowShortcut);
    addAction(ListMode1);
    connect(ListMode1, &QAction::triggered, this, [this](bool checked) {
        ListMode1->setChecked(!checked);
        runGuarded([this] { ListMode1Click(); });
    });

    // The hint follows every mouse move over the list, so the viewport tracks the mouse.
    lst1->viewport()->setMouseTracking(true);
    wireEvents({
        {lst1, QEvent::KeyPress, [this](QEvent* e) { return playlistKey(static_cast<QKeyEvent*>(e)); }},
        {lst1->viewport(), QEvent::MouseMove, [this](QEvent*) { return lst1MouseMove(), false; }},
    });
}

bool TForm1::playlistKey(const QKeyEvent* key) {
    // A key the playlist acted on stops here (also when its operation failed with the error box), so
    // the list's type-to-select search does not move the selection the operation has just set.
    bool taken = true;
    runGuarded([&] { taken = lst1KeyDown(key->key(), key->modifiers()); });
    return taken;
}

} // namespace orvu
