// Purpose: the one pseudo-random generator of the process, shared by Random track and Shuffle.
#pragma once

namespace orvu {

// A number drawn uniformly from 0 to range - 1 (0 when range is 0 or less). The generator is never
// seeded, so every run draws the same sequence, as the player always has.
int playerRandom(int range);

} // namespace orvu
