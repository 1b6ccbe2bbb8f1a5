// Purpose: small widget-free helpers the player's windows share: names, time text, rounding, gauges.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

namespace orvu {

// The name shown for a path: the text after its last '/', the whole path when it has none.
QString displayName(QStringView path);

// The status line's name of the current track: names longer than 50 characters are cut to their
// first 50 characters followed by "... ".
QString currentName(QStringView displayName);

// Whole seconds as "mm:ss" ("%2.2d:%2.2d" of minutes and seconds); minutes may exceed two digits.
// A failed engine query (negative) shows "00:00".
QString timeText(std::int64_t seconds);

// Rounds to the nearest integer, halves to the even neighbour.
std::int64_t roundHalfEven(double value);

// A gauge's percent done: trunc((progress - minimum) * 100 / (maximum - minimum)), 0 for an empty range.
int gaugePercent(int progress, int minimum, int maximum);

// The left (top) edge that centres a window of the given width (height) on the screen:
// half the screen minus half the window, each half rounded with halves to even.
int centredOrigin(int screenExtent, int windowExtent);

// The tag label's left edge after one scrolling step: one pixel to the left, and back to 274 once the
// whole text (width pixels) has left the strip.
int nextTagBarLeft(int left, int width);

} // namespace orvu
