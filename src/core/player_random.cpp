// Purpose: the one random generator Shuffle and Random share.
#include "core/player_random.h"

#include <random>

namespace orvu {
namespace {

std::mt19937& generator() {
    static std::mt19937 shared;
    return shared;
}

} // namespace

int playerRandom(int range) {
    if (range <= 0)
        return 0;
    return std::uniform_int_distribution<int>(0, range - 1)(generator());
}

void seedPlayerRandom(std::uint32_t seed) {
    generator().seed(seed);
}

} // namespace orvu
