// Purpose: a list of texts whose out-of-range accesses raise the player's list error.
#include "core/string_list.h"

#include "core/player_error.h"

namespace orvu {

void throwListIndexError(qsizetype index) {
    throw PlayerError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

void StringList::checkIndex(qsizetype index, qsizetype count) const {
    if (index < 0 || index >= count)
        throwListIndexError(index);
}

const QString& StringList::at(qsizetype index) const {
    checkIndex(index, items_.size());
    return items_.at(index);
}

void StringList::insert(qsizetype index, const QString& text) {
    checkIndex(index, items_.size() + 1);
    items_.insert(index, text);
}

void StringList::removeAt(qsizetype index) {
    checkIndex(index, items_.size());
    items_.removeAt(index);
}

void StringList::move(qsizetype from, qsizetype to) {
    checkIndex(from, items_.size());
    checkIndex(to, items_.size());
    items_.move(from, to);
}

void StringList::exchange(qsizetype a, qsizetype b) {
    checkIndex(a, items_.size());
    checkIndex(b, items_.size());
    items_.swapItemsAt(a, b);
}

} // namespace orvu
