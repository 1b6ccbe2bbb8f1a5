// Purpose: where windows and moving labels are placed.
#pragma once

namespace orvu {

// The left (top) edge that centres a window of the given width (height) on the screen:
// half the screen minus half the window, each half rounded with halves to even.
int centredOrigin(int screenExtent, int windowExtent);

// The tag label's left edge after one scrolling step: one pixel to the left, and back to 274 once the
// whole text (width pixels) has left the strip.
int nextTagBarLeft(int left, int width);

} // namespace orvu
