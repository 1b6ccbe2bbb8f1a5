// Purpose: loading and saving playlist files, and files dropped on the main window.
#include "core/display_name.h"
#include "core/path_bytes.h"
#include "playlist/playlist_ui_state.h"
#include "shell/error_box.h"
#include "shell/file_dialogs.h"
#include "shell/main_window.h"
#include "skin/list_box.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace orvu {
namespace {

const QString playlistFilter = QStringLiteral("ORVU Playlist (*.orvl)");
const QString playlistSuffix = QStringLiteral("orvl");

// At most this many dropped items are taken from one drop; the rest are ignored.
constexpr int maxDroppedItems = 260;

QStringList localPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.append(pathFromUrl(url)); // the name's own bytes, even when they are not UTF-8
    return paths;
}

} // namespace

void TForm1::btn4Click() {
    const QStringList chosen =
        askFileDialog(this, {FileDialogRequest::Kind::OpenFile, QStringLiteral("Open Playlist"),
                             playlistFilter, playlistSuffix, playlistUi_->lastOpenedPlaylist});
    if (chosen.isEmpty())
        return;
    const QString& fileName = chosen.first();
    playlistUi_->lastOpenedPlaylist = fileName;
    // Only the last four letters of the name are tested, case-sensitively: not the dot, not the content.
    if (!displayName(fileName).endsWith(QStringLiteral("orvl"), Qt::CaseSensitive)) {
        showMessageBox(QStringLiteral("Invalid Playlist."), QMessageBox::Warning);
        return;
    }
    ReadPlaylistFile(fileName);
}

void TForm1::btn5Click() {
    const QStringList chosen =
        askFileDialog(this, {FileDialogRequest::Kind::SaveFile, QStringLiteral("Save Playlist"),
                             playlistFilter, playlistSuffix, playlistUi_->lastSavedPlaylist});
    if (chosen.isEmpty())
        return;
    playlistUi_->lastSavedPlaylist = chosen.first();
    WritePlaylistFile(chosen.first());
}

void TForm1::WMDropFiles(const QStringList& dropped) {
    const qsizetype taken = std::min<qsizetype>(dropped.size(), maxDroppedItems);
    for (qsizetype i = 0; i < taken; ++i)
        if (!dropped.at(i).isEmpty()) // an item without a path adds nothing
            AddPlaylistEntry(dropped.at(i));

    if (lst1->count() != 1)
        return; // files dropped on a non-empty playlist, or several at once, are only appended
    const QString path = playlist.path(0);
    if (path.endsWith(QStringLiteral(".orvl"), Qt::CaseSensitive)) {
        try {
            ReadPlaylistFile(path);
        } catch (const PlayerError&) {
            // The playlist held only the dropped file; it goes, and nothing plays.
            sbtbtn3Click();
            throw;
        }
    }
    btn1Click();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!localPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QWidget::dragEnterEvent(event);
}

void TForm1::dropEvent(QDropEvent* event) {
    const QStringList paths = localPaths(event->mimeData());
    if (paths.isEmpty()) {
        QWidget::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    runGuarded([&] { WMDropFiles(paths); });
}

} // namespace orvu
