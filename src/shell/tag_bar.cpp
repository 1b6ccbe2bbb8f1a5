// Purpose: the tag bar: the tag text scrolls one pixel a tick through its strip and can be dragged sideways.
#include "shell/main_window.h"
#include "shell/player_helpers.h"

#include <QLabel>
#include <QTimer>

namespace orvu {

int nextTagBarLeft(int left, int width) {
    --left;
    // Once the whole text has left the strip at the left, it re-enters 7 pixels inside the right edge.
    return left < -width ? 274 : left;
}

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
