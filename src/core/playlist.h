// Purpose: the playlist: each entry's path with the name it shows, in one list, so names and paths
// can never drift apart. The name list on screen is a view of it.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

#include <vector>

namespace orvu {

class Playlist final : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int count() const { return static_cast<int>(entries_.size()); }
    // The checked accessors and edits refuse an index outside the list with the player's list error
    // "List index out of bounds (<index>)" before anything changes.
    const QString& name(int index) const;
    const QString& path(int index) const;
    QStringList paths() const;

    void append(const QString& path);
    void assign(const QStringList& paths); // replaces every entry
    void duplicate(int index);             // a copy of the entry goes right after it
    void removeAt(int index);
    // Trades the entries at a and b (a is checked first).
    void exchange(int a, int b);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

Q_SIGNALS:
    // Two entries traded places: a view moves its selection along with the entry it was on.
    void exchanged(int a, int b);

private:
    struct Entry {
        QString path;
        QString name;
    };
    static Entry entryFor(const QString& path);
    void check(int index, int count) const;

    std::vector<Entry> entries_;
};

} // namespace orvu
