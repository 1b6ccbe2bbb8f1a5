// Purpose: the playlist: each entry's path with the name it shows, in one list, so names and paths
// can never drift apart. The name list on screen is a view of it.
#include "core/playlist.h"

#include "core/display_name.h"
#include "core/string_list.h"

#include <utility>

namespace orvu {

Playlist::Entry Playlist::entryFor(const QString& path) {
    return {path, displayName(path)};
}

void Playlist::check(int index, int limit) const {
    if (index < 0 || index >= limit)
        throwListIndexError(index);
}

const QString& Playlist::name(int index) const {
    check(index, count());
    return entries_[static_cast<std::size_t>(index)].name;
}

const QString& Playlist::path(int index) const {
    check(index, count());
    return entries_[static_cast<std::size_t>(index)].path;
}

QStringList Playlist::paths() const {
    QStringList paths;
    paths.reserve(count());
    for (const Entry& entry : entries_)
        paths.append(entry.path);
    return paths;
}

void Playlist::append(const QString& path) {
    beginInsertRows({}, count(), count());
    entries_.push_back(entryFor(path));
    endInsertRows();
}

void Playlist::assign(const QStringList& paths) {
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths)
        entries.push_back(entryFor(path));
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

void Playlist::duplicate(int index) {
    check(index, count());
    Entry copy = entries_[static_cast<std::size_t>(index)];
    beginInsertRows({}, index + 1, index + 1);
    entries_.insert(entries_.begin() + index + 1, std::move(copy));
    endInsertRows();
}

void Playlist::removeAt(int index) {
    check(index, count());
    beginRemoveRows({}, index, index);
    entries_.erase(entries_.begin() + index);
    endRemoveRows();
}

void Playlist::exchange(int a, int b) {
    check(a, count());
    check(b, count());
    if (a == b)
        return;
    // Two changed rows rather than a layout change: an exchange costs the same in any list size.
    std::swap(entries_[static_cast<std::size_t>(a)], entries_[static_cast<std::size_t>(b)]);
    Q_EMIT dataChanged(index(a), index(a));
    Q_EMIT dataChanged(index(b), index(b));
    Q_EMIT exchanged(a, b);
}

void Playlist::clear() {
    beginResetModel();
    entries_.clear();
    endResetModel();
}

int Playlist::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant Playlist::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count() || role != Qt::DisplayRole)
        return {};
    return entries_[static_cast<std::size_t>(index.row())].name;
}

} // namespace orvu
