// Purpose: whole seconds as the time displays show them.
#include "core/time_text.h"

namespace orvu {

QString timeText(std::int64_t seconds) {
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace orvu
