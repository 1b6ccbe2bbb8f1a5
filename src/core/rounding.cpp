// Purpose: rounding as the player does it everywhere: halves to even.
#include "core/rounding.h"

#include <cmath>

namespace orvu {

std::int64_t roundHalfEven(double value) {
    // A corrupt length, say, gives 0 rather than undefined behaviour.
    if (!(std::fabs(value) < 9.2e18))
        return 0;
    return static_cast<std::int64_t>(std::nearbyint(value));
}

} // namespace orvu
