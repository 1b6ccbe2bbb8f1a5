// Purpose: editing the playlist: adding files.
#include "shell/error_box.h"
#include "shell/file_dialogs.h"
#include "shell/main_window.h"

#include <QPushButton>

namespace orvu {

const QString audioFilesFilter = QStringLiteral("Audio Files (*.mo3 *.xm *.mod *.s3m *.it *.mtm *.umx *.mp3 "
                                                "*.mp2 *.mp1 *.ogg *.wav *.wave *.aif *.m4a *.m4b "
                                                "*.m4p *.m4v *.m4r *.3gp *.mp4 *.aac *.flac *.opus *.midi "
                                                "*.ape *.apl *.mpc *.mp+ *.mpp *.spx *.tta *.wma "
                                                "*.wmv)");

void TForm1::Button1Click() {
    const QStringList chosen = askFileDialog(this, {FileDialogRequest::Kind::OpenFiles,
                                                    QStringLiteral("Add Files to Playlist..."),
                                                    audioFilesFilter,
                                                    {},
                                                    {}});
    for (const QString& path : chosen)
        AddPlaylistEntry(path);
}

} // namespace orvu

namespace orvu {

void TForm1::connectPlaylistHandlers() {
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
}

} // namespace orvu
