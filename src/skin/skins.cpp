// Purpose: the ten skins as data: colours, gradients, metrics, shapes and fonts, and their tinting.
#include "skin/skins.h"

#include <algorithm>

namespace orvu {

namespace {

// clang-format off
// Columns: caption; window, window text, base, text; button top, bottom, text; highlight, highlighted
// text; frame, link; shape, radius, frame width, scroll extent; font, pixel size; time display text,
// glow, glow radius, font.
const std::array<Skin, 10> skinTable = {{
    // A dark slate with the robot's lime green, flat faces.
    {"Android", 0xff263238, 0xffeceff1, 0xff1c262b, 0xffdfe6e9, 0xff37474f, 0xff37474f, 0xffa4c639,
     0xffa4c639, 0xff1c262b, 0xff10181c, 0xffc5e17a, SkinShape::Flat, 2, 1, 14, "Roboto", 12,
     0xffc5e17a, 0xffa4c639, 8, "Roboto"},
    // Cold: icy blue-white with steel-blue accents.
    {"Sodium", 0xffe6eef6, 0xff1f3347, 0xfff7fbff, 0xff142433, 0xffffffff, 0xffc3d6ea, 0xff1f3347,
     0xff3a7bd5, 0xffffffff, 0xff8aa6c1, 0xff1f5fae, SkinShape::Gradient, 4, 1, 15, "DejaVu Sans", 12,
     0xff1f5fae, 0xffffffff, 6, nullptr},
    // Garnet: a deep red body with wine-dark faces.
    {"RedHat", 0xff3b0d11, 0xfff3d9db, 0xff260709, 0xfff6e3e4, 0xff9b1f2a, 0xff5a0f16, 0xffffffff,
     0xffe0313f, 0xffffffff, 0xff14030a, 0xffff8a94, SkinShape::Gradient, 3, 1, 15, "Liberation Sans", 12,
     0xffffffff, 0xffe0313f, 10, nullptr},
    // Cappuccino: coffee browns with a milk-foam text.
    {"Wood", 0xff6f4e37, 0xfff5e6d3, 0xff4a3424, 0xfff5e6d3, 0xffb08560, 0xff6f4e37, 0xfffff7ec,
     0xffd9a066, 0xff2b1b10, 0xff3a2617, 0xffffd7a0, SkinShape::Gradient, 5, 1, 16, "DejaVu Serif", 12,
     0xfffff7ec, 0xff2b1b10, 4, "DejaVu Serif"},
    // Pale office blue, glossy faces, a warm amber selection.
    {"Aurora", 0xffd6e4f5, 0xff15428b, 0xffffffff, 0xff0f2d5c, 0xfff3f8fd, 0xffaecbee, 0xff15428b,
     0xffffc94d, 0xff15428b, 0xff7a9cc9, 0xff1a5fbf, SkinShape::Glass, 3, 1, 15, "Tahoma", 11,
     0xff15428b, 0xffffffff, 6, "Tahoma"},
    // Smoked glass over black with a cyan glow.
    {"Dark Glass", 0xff121417, 0xffd8e6f0, 0xff0a0b0d, 0xffc9dbe8, 0xff4a515b, 0xff15181c, 0xffe8f4ff,
     0xff4fc3f7, 0xff06161e, 0xff000000, 0xff7fd8ff, SkinShape::Glass, 6, 1, 12, "DejaVu Sans", 12,
     0xff7fd8ff, 0xff4fc3f7, 14, nullptr},
    // Lacquer red and gold on warm paper, rounded pills.
    {"Creative", 0xfffff1d6, 0xff7a0c0c, 0xfffffaf0, 0xff5c0a0a, 0xffe8443a, 0xffa3150f, 0xfffff4c2,
     0xfff4a300, 0xff3d0606, 0xffa3150f, 0xffc2410c, SkinShape::Pill, 9, 1, 14, "DejaVu Sans", 12,
     0xffa3150f, 0xfff4a300, 6, "DejaVu Serif"},
    // Flat tiles: white and light grey with one strong blue, square corners.
    {"Metro", 0xfff2f2f2, 0xff1e1e1e, 0xffffffff, 0xff1e1e1e, 0xff0078d7, 0xff0078d7, 0xffffffff,
     0xff0078d7, 0xffffffff, 0xffcccccc, 0xff0063b1, SkinShape::Flat, 0, 1, 12, "Segoe UI", 12,
     0xff0078d7, 0xff0078d7, 0, "Segoe UI"},
    // A yellow notepad in blue ink, bound with wooden buttons.
    {"Note Book", 0xfffdf6d0, 0xff1f2a6b, 0xfffffbe6, 0xff1f2a6b, 0xffc9a36b, 0xff8a6438, 0xfffffbe6,
     0xff5d7bd9, 0xffffffff, 0xffb89d62, 0xffb03030, SkinShape::Gradient, 2, 1, 14, "URW Chancery L", 13,
     0xff1f2a6b, 0xff1f2a6b, 0, "URW Chancery L"},
    // A radio dial: black front, green display text, brushed metal keys, amber needle.
    {"Sound Checker", 0xff0c140c, 0xff39ff14, 0xff020602, 0xff39ff14, 0xff6a6a6a, 0xff262626, 0xffe0e0e0,
     0xffff9900, 0xff140a00, 0xff3a3a3a, 0xffffc060, SkinShape::Glass, 1, 1, 13, "DejaVu Sans Mono", 12,
     0xff39ff14, 0xff39ff14, 12, "DejaVu Sans Mono"},
}};
// clang-format on

} // namespace

QColor tintColor(const QColor& color, int hueOffset, int saturation) {
    int hue = 0;
    int sat = 0;
    int value = 0;
    int alpha = 0;
    color.getHsv(&hue, &sat, &value, &alpha);
    if (hue < 0) // achromatic: no hue to turn or saturate
        return color;
    hue = (hue + (hueOffset & 0xFF) * 360 / 256) % 360;
    sat = std::clamp(sat + (255 - sat) * std::clamp(saturation, 0, 255) / 255, 0, 255);
    return QColor::fromHsv(hue, sat, value, alpha);
}

Skin Skin::tinted(int hueOffset, int saturation) const {
    Skin out = *this;
    if (hueOffset == 0 && saturation == 0)
        return out;
    for (QRgb* colour : {&out.window, &out.windowText, &out.base, &out.text, &out.buttonTop,
                         &out.buttonBottom, &out.buttonText, &out.highlight, &out.highlightedText, &out.frame,
                         &out.link, &out.timeText, &out.timeGlow})
        *colour = tintColor(QColor::fromRgba(*colour), hueOffset, saturation).rgba();
    return out;
}

const std::array<Skin, 10>& skins() {
    return skinTable;
}

} // namespace orvu
