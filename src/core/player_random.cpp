// Purpose: the one pseudo-random generator of the process, shared by Random track and Shuffle.
#include "core/player_random.h"

#include <random>

namespace orvu {

int playerRandom(int range) {
    static std::mt19937 generator; // default seed: unseeded, one sequence per run
    if (range <= 0)
        return 0;
    return std::uniform_int_distribution<int>(0, range - 1)(generator);
}

} // namespace orvu
