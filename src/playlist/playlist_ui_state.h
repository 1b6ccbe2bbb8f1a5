// Purpose: the playlist's own state kept by the main window (dialog memories and list mode).
#pragma once

namespace orvu {

struct PlaylistUiState {};

} // namespace orvu
