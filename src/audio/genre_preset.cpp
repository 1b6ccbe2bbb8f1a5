// Purpose: the genre auto-preset: at the end of a track load, the preset named by the genre tag.
#include "audio/presets_window.h"
#include "shell/error_box.h"
#include "shell/main_window.h"

namespace orvu {

void TForm1::ApplyGenrePreset() {
    if (!state.AutoEq || !Form5)
        return;
    const QString genre = readTag("%GNRE"); // empty when the track has no genre tag
    // The track already plays: a faulty preset file is reported here, so that it neither stops the
    // playback nor skips what the caller does after the load (the end-of-track step, the start-up
    // action).
    runGuarded([&] { Form5->loadPresetNamed(genre); });
}

} // namespace orvu
