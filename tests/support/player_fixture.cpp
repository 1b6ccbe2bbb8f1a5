// Purpose: test helper that builds the real main window in a temporary application directory, with its
// own engine, message boxes recorded and file dialogs answered.
#include "support/player_fixture.h"

#include <QFile>

namespace orvu::test {

PlayerFixture::PlayerFixture()
    : engine(std::make_unique<engine::Engine>()) {
    // The add-ons beside the "executable", as an installed player has them.
    QFile::link(QStringLiteral(ORVU_PLUGIN_DIR), dir.file(QStringLiteral("plugins")));
    previousAnswerer_ = setFileDialogAnswerer([this](const FileDialogRequest& request) {
        dialogs.append(request);
        return dialogAnswer;
    });
}

PlayerFixture::~PlayerFixture() {
    if (window)
        close();
    setFileDialogAnswerer(std::move(previousAnswerer_));
}

TForm1& PlayerFixture::build(const QStringList& arguments) {
    window = std::make_unique<TForm1>(*engine, StartupContext{dir.path() + u'/', arguments});
    visualization = std::make_unique<QWidget>();
    window->setVisualizationWindow(visualization.get());
    effects = std::make_unique<TForm6>(window->session);
    window->setEffectsWindow(effects.get());
    return *window;
}

TForm1& PlayerFixture::start(const QStringList& arguments) {
    build(arguments);
    if (window->FormCreate())
        window->show();
    return *window;
}

void PlayerFixture::close() {
    if (!window)
        return;
    window->close();
    window->FormDestroy();
    effects.reset();
    window.reset();
    visualization.reset();
}

} // namespace orvu::test
