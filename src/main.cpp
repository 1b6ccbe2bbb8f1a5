// Purpose: the entry point: the application object, the seven windows in order, the message loop; a
// start while a player runs hands its files over to it instead.
#include "audio/effects_window.h"
#include "audio/presets_window.h"
#include "core/app_locations.h"
#include "core/path_bytes.h"
#include "engine/engine.h"
#include "options/options_dialog.h"
#include "shell/about_window.h"
#include "shell/error_box.h"
#include "shell/main_window.h"
#include "shell/mpris.h"
#include "shell/player_icon.h"
#include "shell/single_instance.h"
#include "shell/termination.h"
#include "shell/web_links_window.h"
#include "skin/gauge.h"
#include "visualization/visualization_window.h"

#include <QApplication>
#include <QDBusConnection>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// --new-instance (before a "--") starts a player of its own even while one runs; it is no file.
bool takeNewInstanceOption(int& argc, char* argv[]) {
    bool found = false;
    std::vector<char*> kept;
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        if (!optionsEnded && i > 0 && std::strcmp(argv[i], "--new-instance") == 0) {
            found = true;
            continue;
        }
        optionsEnded = optionsEnded || std::strcmp(argv[i], "--") == 0;
        kept.push_back(argv[i]);
    }
    argc = static_cast<int>(kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i)
        argv[i] = kept[i];
    return found;
}

} // namespace

int main(int argc, char* argv[]) {
    const bool newInstance = takeNewInstanceOption(argc, argv);
    // Every argument is a file for the player, as the system gave its bytes. Qt sees none of them: it
    // would take a file named "-style" or "-reverse" as its own option and drop it. Qt's settings
    // come from its environment variables (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE ...).
    const QStringList files = orvu::commandLineFiles(argc, argv);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("ORVU"));
    QGuiApplication::setDesktopFileName(QStringLiteral("orvu"));
    QApplication::setWindowIcon(orvu::playerIcon());
    // Only closing the main window ends the player (its close step quits): with the main window hidden
    // through the tray icon, closing the last secondary window that shows must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    const QString executableDir = QApplication::applicationDirPath() + u'/';
    const orvu::AppLocations locations = orvu::appLocations(executableDir);

    // A player that runs already with these settings takes the files as dropped on its playlist, and
    // this start ends.
    orvu::SingleInstance instance(orvu::SingleInstance::socketPathFor(locations.settingsDir));
    if (!newInstance) {
        const auto handOver = instance.handOver(files);
        if (handOver == orvu::SingleInstance::HandOver::Delivered)
            return 0;
        if (handOver == orvu::SingleInstance::HandOver::Failed)
            std::fputs("orvu: the running player does not answer; starting another one\n", stderr);
    }

    orvu::prepareSettingsDir(locations, executableDir);

    orvu::engine::Engine engine;
    orvu::StartupContext context{locations.appDir, files, locations.settingsDir, locations.addOnDir};
    orvu::TForm1 form1(engine, context);
    // A termination request (a session ending, kill) closes the player as its close button does,
    // from the creation step on: its error boxes wait for the user too.
    orvu::closeOnTermination(&form1);
    if (!form1.FormCreate())
        return 1;
    orvu::TForm2 form2;
    // The visualization draws from the level meters' values, as they show them.
    orvu::TForm3 form3(form1.state, [&form1] {
        return orvu::VisLevels{form1.sg2->percentDone(), form1.sg3->percentDone(), form1.sg4->percentDone(),
                               form1.sg5->percentDone()};
    });
    orvu::TForm4 form4(form1.state, *form1.sknmngr1, orvu::mainWindowActions(form1));
    // After the creation step, which read PresetIndex: the preset window selects that entry.
    orvu::TForm5 form5(form1.state, form1.bandSliders);
    orvu::TForm6 form6(form1.session);
    orvu::TForm7 form7;
    form1.setVisualizationWindow(&form3);
    form1.setOptionsWindow(&form4);
    form1.setPresetsWindow(&form5);
    form1.setEffectsWindow(&form6);
    form1.setAboutWindow(&form2);
    form1.setWebLinksWindow(&form7);

    // Later starts hand their files to this player; a second player (--new-instance) takes none.
    if (!newInstance && instance.listen()) {
        QObject::connect(&instance, &orvu::SingleInstance::filesReceived, &form1,
                         [&form1](const QStringList& received) {
                             if (form1.closed())
                                 return;
                             form1.setWindowState(form1.windowState() & ~Qt::WindowMinimized);
                             form1.show();
                             form1.raise();
                             form1.activateWindow();
                             if (!received.isEmpty())
                                 orvu::runGuarded([&] { form1.WMDropFiles(received); });
                         });
    }
    // Media keys and desktop widgets reach the player over the session bus, where there is one.
    orvu::MprisService mpris(form1, QDBusConnection::sessionBus());

    // A close during the creation or the show step already saved everything; quitting before the
    // loop runs would be forgotten, so the loop is not entered at all.
    if (!form1.closed())
        form1.show();
    const int result = form1.closed() ? 0 : QApplication::exec();
    form1.FormDestroy();
    return result;
}
