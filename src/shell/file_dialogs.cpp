// Purpose: the file dialogs behind one seam, so tests can answer them instead of a user.
#include "shell/file_dialogs.h"

#include <QFileDialog>

namespace orvu {
namespace {

FileDialogAnswerer& answerer() {
    static FileDialogAnswerer current;
    return current;
}

QStringList showDialog(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title, QString(), request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    switch (request.kind) {
    case FileDialogRequest::Kind::OpenFiles:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case FileDialogRequest::Kind::OpenFile:
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileDialogRequest::Kind::SaveFile:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

} // namespace

QStringList askFileDialog(QWidget* parent, const FileDialogRequest& request) {
    if (answerer())
        return answerer()(request);
    return showDialog(parent, request);
}

FileDialogAnswerer setFileDialogAnswerer(FileDialogAnswerer replacement) {
    return std::exchange(answerer(), std::move(replacement));
}

} // namespace orvu
