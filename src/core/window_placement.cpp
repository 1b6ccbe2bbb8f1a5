// Purpose: where windows and moving labels are placed.
#include "core/window_placement.h"

#include "core/rounding.h"

namespace orvu {

int centredOrigin(int screenExtent, int windowExtent) {
    return static_cast<int>(roundHalfEven(screenExtent / 2.0) - roundHalfEven(windowExtent / 2.0));
}

int nextTagBarLeft(int left, int width) {
    --left;
    // Once the whole text has left the strip at the left, it re-enters 7 pixels inside the right edge.
    return left < -width ? 274 : left;
}

} // namespace orvu
