// Purpose: rounding as the player does it everywhere: halves to even.
#pragma once

#include <cstdint>

namespace orvu {

// Rounds to the nearest integer, halves to the even neighbour. Out-of-range and NaN inputs give 0.
std::int64_t roundHalfEven(double value);

} // namespace orvu
