// Purpose: how the Options dialog's controls are refilled from the player state each time it shows.
#include "core/options_refill.h"

namespace orvu {

std::optional<int> skinRowOf(const QString& skinIndex) {
    if (skinIndex.size() != 1 || skinIndex[0] < u'0' || skinIndex[0] > u'9')
        return std::nullopt;
    return skinIndex[0].unicode() - u'0';
}

int comboIndexOf(const QStringList& items, const QString& text) {
    for (qsizetype index = 0; index < items.size(); ++index) {
        if (items[index].compare(text, Qt::CaseInsensitive) == 0)
            return static_cast<int>(index);
    }
    return -1;
}

} // namespace orvu
