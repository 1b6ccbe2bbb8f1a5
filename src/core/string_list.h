// Purpose: a list of texts whose out-of-range accesses raise the player's list error.
#pragma once

#include <QString>
#include <QStringList>

namespace orvu {

// A plain list of texts (the hidden path list and scratch lists). Every index outside 0..count-1
// raises PlayerError "List index out of bounds (<index>)", and the list stays as it was.
class StringList {
public:
    qsizetype count() const { return items_.size(); }
    const QString& at(qsizetype index) const;
    const QStringList& items() const { return items_; }

    void add(const QString& text) { items_.append(text); }
    void insert(qsizetype index, const QString& text); // index 0..count
    void removeAt(qsizetype index);
    void move(qsizetype from, qsizetype to);
    // Trades the items at a and b; a is checked before b, and a refused index changes nothing.
    void exchange(qsizetype a, qsizetype b);
    void assign(QStringList items) { items_ = std::move(items); }
    void clear() { items_.clear(); }

private:
    void checkIndex(qsizetype index, qsizetype count) const;

    QStringList items_;
};

// Raises PlayerError "List index out of bounds (<index>)".
[[noreturn]] void throwListIndexError(qsizetype index);

} // namespace orvu
