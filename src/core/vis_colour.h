// Purpose: the visualization's pen colour, which walks with the levels at every colour tick.
#pragma once

#include "core/vis_geometry.h"

namespace orvu {

// VisRed, VisGreen and VisBlue: red and blue follow L0 and L2, green climbs by L1 and wraps past 200.
struct VisColour {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const VisColour&, const VisColour&) = default;
};

// One colour tick's step, from the levels the last draw tick read.
void advanceColour(VisColour& colour, const VisLevels& levels);

// The pen's colour components: each value mod 256, as the colour's bytes keep them.
VisColour penColour(const VisColour& colour);

} // namespace orvu
