// Purpose: the playlist's shared operations on TForm1's two aligned lists, lst1 (names) and lst3 (paths).
#include "core/display_name.h"
#include "core/playlist_file.h"
#include "shell/main_window.h"

#include "skin/list_box.h"

namespace orvu {

void TForm1::AddPlaylistEntry(const QString& path) {
    lst3.add(path);
    lst1->addItem(displayName(path));
}

void TForm1::ReadPlaylistFile(const QString& fileName) {
    QStringList paths = readPlaylistFile(fileName); // read first, so a failed read loses nothing
    QStringList names;
    names.reserve(paths.size());
    for (const QString& path : paths)
        names.append(displayName(path));
    lst1->clear();
    lst3.assign(std::move(paths));
    lst1->addItems(names);
}

void TForm1::WritePlaylistFile(const QString& fileName) const {
    writePlaylistFile(fileName, lst3.items());
}

} // namespace orvu
