// Purpose: whole seconds as the time displays show them.
#pragma once

#include <QString>

#include <cstdint>

namespace orvu {

// Whole seconds as "mm:ss" ("%2.2d:%2.2d" of minutes and seconds); minutes may exceed two digits.
// A failed engine query (negative) shows "00:00".
QString timeText(std::int64_t seconds);

} // namespace orvu
