// Purpose: the file operations on the selected entry (delete from disk, copy elsewhere) and the HTML
// export of the playlist.
#include "core/atomic_file.h"
#include "core/html_export.h"
#include "core/path_bytes.h"
#include "engine/engine.h"
#include "playlist/playlist_ui_state.h"
#include "shell/error_box.h"
#include "shell/file_dialogs.h"
#include "shell/main_window.h"
#include "skin/list_box.h"

#include <QTime>

namespace orvu {

void TForm1::btn21Click() {
    const int index = lst1->itemIndex();
    const QString path = playlist.path(index); // refuses -1 before the question or any deletion
    // The question names the file it is about to delete.
    if (askMessageBox(
            QStringLiteral("Dou you want to remove %1 from your computer?").arg(playlist.name(index)),
            QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (path == state.CurrentFile) {
        // One of the two applies; Channel keeps its now dead handle, CurrentFile its path.
        session.release();
    }
    // A file that cannot be deleted stays silently; its entry leaves the playlist all the same.
    removeFile(path); // by its bytes: QFile cannot reach a name that is not UTF-8
    btn10Click();
}

void TForm1::AnotherLocation1Click() {
    const int index = lst1->itemIndex();
    const QString source = playlist.path(index); // refuses -1 before any dialog shows
    const QStringList chosen =
        askFileDialog(this, {FileDialogRequest::Kind::SaveFile, {}, {}, {}, playlist.name(index), false});
    if (chosen.isEmpty())
        return;
    // The copy never replaces an existing target; a failed copy is silent.
    copyFile(source, chosen.first());
}

void TForm1::btn22Click() {
    // The document is built before the dialog opens, so it carries the time the command started.
    QStringList names;
    names.reserve(playlist.count());
    for (int i = 0; i < playlist.count(); ++i)
        names.append(playlist.name(i));
    lst4.clear();
    for (const QString& line : htmlPlaylistLines(names, longTimeText(QTime::currentTime())))
        lst4.add(line);

    const QStringList chosen = askFileDialog(this, {FileDialogRequest::Kind::SaveFile,
                                                    {},
                                                    QStringLiteral("HTML Documents (*.html)"),
                                                    QStringLiteral("html"),
                                                    playlistUi_->lastHtmlExport,
                                                    false});
    if (chosen.isEmpty())
        return;
    const QString& fileName = chosen.first();
    playlistUi_->lastHtmlExport = fileName;
    const QString reason = writeFileAtomically(fileName, htmlDocument(lst4.items()));
    if (!reason.isEmpty())
        throw PlayerError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason));
}

} // namespace orvu
