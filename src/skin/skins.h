// Purpose: the ten skins as data: colours, gradients, metrics, shapes and fonts, and their tinting.
#pragma once

#include <QColor>
#include <QRgb>

#include <array>

namespace orvu {

// How a skin rounds and fills its raised controls (buttons, scroll-bar handles, check boxes).
enum class SkinShape {
    Flat,     // one colour, square or barely rounded corners
    Gradient, // a vertical gradient from the top colour to the bottom colour
    Glass,    // a gradient with a bright upper half, as of light on glass
    Pill,     // a gradient on fully rounded ends
};

// One skin. Colours are tinted as a whole (see tinted()), so every look a skin gives follows the tint.
struct Skin {
    const char* caption;
    QRgb window;       // window and panel background
    QRgb windowText;   // labels
    QRgb base;         // list and edit boxes, gauge troughs, scroll-bar grooves
    QRgb text;         // text on base
    QRgb buttonTop;    // raised faces: top of the gradient
    QRgb buttonBottom; // raised faces: bottom of the gradient
    QRgb buttonText;
    QRgb highlight; // selections, gauges, checked marks, handles
    QRgb highlightedText;
    QRgb frame; // outlines of every control
    QRgb link;
    SkinShape shape;
    int radius;       // corner radius of raised faces, in pixels
    int frameWidth;   // outline width of boxes and faces
    int scrollExtent; // thickness of the scroll bars that lists show
    const char* font; // menus, title bars, and the captions of the windows that take it where they fit
    int fontPixelSize;
    // The time display: its digits' colour, the glow around them (radius 0: none) and its typeface
    // (nullptr: the window's own).
    QRgb timeText;
    QRgb timeGlow;
    int timeGlowRadius;
    const char* timeFont;

    // The skin with every colour turned by hueOffset (0..255 for a full turn) and made more vivid by
    // saturation (0 leaves colours as they are, 255 makes every coloured tone fully saturated). Greys
    // have no hue and stay grey.
    Skin tinted(int hueOffset, int saturation) const;
};

// Rotates and saturates one colour as Skin::tinted() does.
QColor tintColor(const QColor& color, int hueOffset, int saturation);

// The ten skins, in the order of the internal skin names (index 0..9).
const std::array<Skin, 10>& skins();

} // namespace orvu
