// Purpose: the playlist's shared operations: adding an entry, and reading and writing playlist files.
#include "core/playlist_file.h"
#include "shell/main_window.h"

namespace orvu {

void TForm1::AddPlaylistEntry(const QString& path) {
    playlist.append(path);
}

void TForm1::ReadPlaylistFile(const QString& fileName) {
    playlist.assign(readPlaylistFile(fileName)); // read first, so a failed read loses nothing
}

void TForm1::WritePlaylistFile(const QString& fileName) const {
    writePlaylistFile(fileName, playlist.paths());
}

} // namespace orvu
