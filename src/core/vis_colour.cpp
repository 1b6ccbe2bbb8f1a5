// Purpose: the visualization's pen colour, which walks with the levels at every colour tick.
#include "core/vis_colour.h"

namespace orvu {

void advanceColour(VisColour& colour, const VisLevels& levels) {
    colour.red = 2 * levels[0] + 55; // 55..255
    colour.green += levels[1];
    if (colour.green > 200)
        colour.green = 0;
    colour.blue = 2 * levels[2] + 5; // 5..205
}

VisColour penColour(const VisColour& colour) {
    // Only the low byte of each component reaches the colour value, whatever its sign.
    return {colour.red & 0xFF, colour.green & 0xFF, colour.blue & 0xFF};
}

} // namespace orvu
