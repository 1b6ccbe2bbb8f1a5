// Purpose: test helper that builds the real main window in a temporary application directory, with its
// own engine, message boxes recorded and file dialogs answered.
#pragma once

#include "audio/effects_window.h"
#include "engine/engine.h"
#include "shell/file_dialogs.h"
#include "shell/main_window.h"
#include "support/message_recorder.h"
#include "support/temp_dir.h"

#include <QStringList>

#include <memory>

namespace orvu::test {

class PlayerFixture {
public:
    PlayerFixture();
    ~PlayerFixture();
    PlayerFixture(const PlayerFixture&) = delete;
    PlayerFixture& operator=(const PlayerFixture&) = delete;

    QString appFile(const QString& name) const { return dir.file(name); }
    // Builds the window with these command-line arguments (not yet created or shown).
    TForm1& build(const QStringList& arguments = {});
    // Builds, runs the creation step and shows the window (which runs the show step).
    TForm1& start(const QStringList& arguments = {});
    // Closes the window (the close step) and destroys it as the application does.
    void close();

    TempDir dir;
    MessageRecorder messages;
    QList<FileDialogRequest> dialogs;
    QStringList dialogAnswer; // what every file dialog answers
    std::unique_ptr<engine::Engine> engine;
    std::unique_ptr<TForm1> window;
    std::unique_ptr<QWidget> visualization;
    std::unique_ptr<TForm6> effects;

private:
    FileDialogAnswerer previousAnswerer_;
};

} // namespace orvu::test
