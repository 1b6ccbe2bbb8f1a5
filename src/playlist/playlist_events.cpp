// Purpose: routes the name list's key presses and mouse moves to the main window's playlist handlers.
#include "playlist/playlist_events.h"

#include "shell/error_box.h"
#include "shell/main_window.h"
#include "skin/list_box.h"

#include <QKeyEvent>

namespace orvu {

PlaylistEventFilter::PlaylistEventFilter(TForm1& window, ListBox* list)
    : QObject(list)
    , window_(window)
    , list_(list)
    , viewport_(list->viewport()) {}

bool PlaylistEventFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == list_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // A key the playlist acted on stops here (also when its operation failed with the error box),
        // so the list's type-to-select search does not move the selection the operation has just set.
        bool taken = true;
        runGuarded([&] { taken = window_.lst1KeyDown(key->key(), key->modifiers()); });
        return taken;
    }
    if (event->type() == QEvent::MouseMove && watched == viewport_)
        runGuarded([this] { window_.lst1MouseMove(); });
    return false;
}

} // namespace orvu
