// Purpose: small widget-free helpers the player's windows share: names, time text, rounding, gauges.
#include "shell/player_helpers.h"

#include <cmath>

namespace orvu {

QString displayName(QStringView path) {
    return path.mid(path.lastIndexOf(u'/') + 1).toString();
}

QString currentName(QStringView displayName) {
    constexpr qsizetype maxLength = 50;
    if (displayName.size() <= maxLength)
        return displayName.toString();
    qsizetype cut = maxLength;
    if (displayName[cut - 1].isHighSurrogate()) // never split a character in two
        --cut;
    return displayName.left(cut).toString() + QStringLiteral("... ");
}

QString timeText(std::int64_t seconds) {
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

std::int64_t roundHalfEven(double value) {
    // Out-of-range and NaN inputs (a corrupt length, say) give 0 rather than undefined behaviour.
    if (!(std::fabs(value) < 9.2e18))
        return 0;
    return static_cast<std::int64_t>(std::nearbyint(value));
}

int gaugePercent(int progress, int minimum, int maximum) {
    if (maximum == minimum)
        return 0;
    return static_cast<int>((static_cast<std::int64_t>(progress) - minimum) * 100 /
                            (static_cast<std::int64_t>(maximum) - minimum));
}

int centredOrigin(int screenExtent, int windowExtent) {
    return static_cast<int>(roundHalfEven(screenExtent / 2.0) - roundHalfEven(windowExtent / 2.0));
}

} // namespace orvu
