// Purpose: the visualization's frames: the shapes each drawing mode draws from the four level values.
#pragma once

#include <QPoint>
#include <QSize>

#include <array>
#include <optional>

namespace orvu {

// The four level values, each 0..100, from the level meters sg2, sg3, sg4 and sg5 in that order.
using VisLevels = std::array<int, 4>;

// The drawing modes, in the order of the mode menu.
enum class VisDrawMode { Elipse, Spectrum, Sparc, Dopler };

// A shape's bounding box as the drawing surface takes it: from (x1, y1) to (x2, y2), the right and bottom
// edges just outside the shape; the corners may come in either order.
struct VisBox {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    friend bool operator==(const VisBox&, const VisBox&) = default;
};

// value / divisor, rounded to the nearest integer with an exact half going to the even neighbour.
int roundedQuotient(int value, int divisor);

// The fraction hundredths / 100 (1..99: 0.1, 0.15, ... 0.9) times value, rounded with halves to even. The
// fraction is its nearest value in 80-bit extended precision and the product is rounded to that precision
// before the rounding to an integer, as the design's drawing computed it: a product that is a half in decimal
// can land just above or below it. Emulated in integers, so every platform draws the same pixels.
int roundedFraction(int hundredths, int value);

// Elipse: the pen width is set first, then one ellipse centred on the surface, at rest a fifth of its
// width and height, growing by 4 * L0 both ways.
struct ElipseFrame {
    int penWidth = 0;
    VisBox box;
    friend bool operator==(const ElipseFrame&, const ElipseFrame&) = default;
};
ElipseFrame elipseFrame(const VisLevels& levels, QSize surface);

// Spectrum: nine one-pixel-high bars from the left edge, top to bottom; the pen width is set after them,
// so it shapes the next tick's bars.
struct SpectrumFrame {
    std::array<VisBox, 9> bars;
    int penWidthAfter = 0;
    friend bool operator==(const SpectrumFrame&, const SpectrumFrame&) = default;
};
SpectrumFrame spectrumFrame(const VisLevels& levels, QSize surface);

// Sparc: twelve connected segments from the surface's current point, through these points; then the
// pen width is 1. sparcY is the band's vertical position, moved down by L0 + L3 and back to -5 once it
// passes the bottom.
struct SparcFrame {
    std::array<QPoint, 12> points;
    static constexpr int penWidthAfter = 1;
    friend bool operator==(const SparcFrame&, const SparcFrame&) = default;
};
SparcFrame sparcFrame(const VisLevels& levels, QSize surface, int& sparcY);

// Dopler: the two moving edges, one rising from the bottom and one falling from the top, one pixel per
// tick once L0 is above 50; each wraps to the other end.
struct DoplerEdges {
    int rise = 0; // DoplerRise
    int fall = 0; // DoplerFall
    friend bool operator==(const DoplerEdges&, const DoplerEdges&) = default;
};
// Four ellipses hanging from the falling edge, then four standing on the rising edge, in the column
// pairs 0.15-0.25, 0.35-0.45, 0.55-0.65 and 0.75-0.85 with L0..L3; the pen width is set after them.
struct DoplerFrame {
    std::array<VisBox, 4> hanging;
    std::array<VisBox, 4> standing;
    int penWidthAfter = 0;
    friend bool operator==(const DoplerFrame&, const DoplerFrame&) = default;
};
DoplerFrame doplerFrame(const VisLevels& levels, QSize surface, DoplerEdges& edges);

// The Random cycle, one step per draw tick: the counter starts at 249 and wraps from 1250 to 0, so the
// first step picks Elipse and each later cycle shows Elipse, Spectrum and Sparc for 250 ticks and Dopler
// for 500. Gives the mode to draw alone from the next tick on, when this step picks one.
std::optional<VisDrawMode> advanceRandomCycle(int& randomTick);

} // namespace orvu
