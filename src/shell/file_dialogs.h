// Purpose: the file dialogs behind one seam, so tests can answer them instead of a user.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace orvu {

struct FileDialogRequest {
    enum class Kind { OpenFiles, OpenFile, SaveFile };
    Kind kind = Kind::OpenFiles;
    QString title;
    QString filter;               // Qt's form: "Description (*.a *.b)"
    QString defaultSuffix;        // without the dot
    QString proposedName;         // preselected in the dialog
    bool confirmOverwrite = true; // a save dialog asks before replacing a file
};

// The chosen paths; empty when the user cancelled.
QStringList askFileDialog(QWidget* parent, const FileDialogRequest& request);

// Replaces the dialogs (tests); returns the previous answerer; an empty function restores the real dialogs.
using FileDialogAnswerer = std::function<QStringList(const FileDialogRequest&)>;
FileDialogAnswerer setFileDialogAnswerer(FileDialogAnswerer answerer);

} // namespace orvu
