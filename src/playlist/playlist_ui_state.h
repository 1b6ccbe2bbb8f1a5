// Purpose: the playlist's own state kept by the main window: what its file dialogs remember.
#pragma once

#include <QString>

namespace orvu {

struct PlaylistUiState {
    // Each dialog proposes the file last chosen in it (an empty name proposes nothing).
    QString lastOpenedPlaylist;                                  // "Open Playlist"
    QString lastSavedPlaylist = QStringLiteral("Playlist.orvl"); // "Save Playlist"
    QString lastHtmlExport;                                      // the HTML export's save dialog
};

} // namespace orvu
