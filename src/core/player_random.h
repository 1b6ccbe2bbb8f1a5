// Purpose: the one random generator Shuffle and Random share.
#pragma once

#include <cstdint>

namespace orvu {

// A number in 0..range-1 (0 when range is 0 or less).
int playerRandom(int range);

// Starts the generator's sequence anew from seed: start-up seeds it from the clock, so each run
// shuffles differently; tests give their own seed to know the sequence.
void seedPlayerRandom(std::uint32_t seed);

} // namespace orvu
