// Purpose: the player's own icon (data/orvu.svg, built in), for its windows and its tray icon.
#pragma once

#include <QIcon>

namespace orvu {

// The scalable icon; the style's play symbol where the system cannot draw SVG.
QIcon playerIcon();

} // namespace orvu
