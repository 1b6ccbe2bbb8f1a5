// Purpose: the tag bar: the tag text scrolls one pixel a tick through its strip and can be dragged sideways.
#include "core/window_placement.h"
#include "shell/main_window.h"

#include <QLabel>
#include <QTimer>

namespace orvu {

void TForm1::tmr2Timer() {
    lbl31->move(nextTagBarLeft(lbl31->x(), lbl31->width()), lbl31->y());
}

void TForm1::lbl31MouseDown(int x) {
    tmr2->stop();
    state.TagDragging = true;
    state.TagDragX = x;
}

void TForm1::lbl31MouseMove(int x) {
    if (state.TagDragging)
        lbl31->move(lbl31->x() + x - state.TagDragX, lbl31->y());
}

void TForm1::lbl31MouseUp() {
    state.TagDragging = false;
    setTagBarInterval(tagBarInterval_); // restarts the timer unless its interval disables it
}

} // namespace orvu
