// Purpose: how far a gauge is, in whole percent.
#include "core/gauge_percent.h"

#include <cstdint>

namespace orvu {

int gaugePercent(int progress, int minimum, int maximum) {
    if (maximum == minimum)
        return 0;
    return static_cast<int>((static_cast<std::int64_t>(progress) - minimum) * 100 /
                            (static_cast<std::int64_t>(maximum) - minimum));
}

} // namespace orvu
