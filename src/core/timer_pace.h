// Purpose: the pace of the player's window timers.
#pragma once

#include <algorithm>

namespace orvu {

// The interval a window timer of the given design interval really ticks at: never faster than every
// 10 ms, as window timers on the desktop the player was designed for (their usual tick is 15.6 ms), so a
// 1 ms meter or drawing timer ticks about a hundred times a second, which the eye cannot tell from
// faster. An interval of 0 or less stays as it is: such a timer never fires.
constexpr int windowTimerInterval(int designMilliseconds) {
    return designMilliseconds <= 0 ? designMilliseconds : std::max(designMilliseconds, 10);
}

} // namespace orvu
