// Purpose: the entry point: the application object, the seven windows in order, the message loop.
#include "audio/effects_window.h"
#include "audio/presets_window.h"
#include "core/path_bytes.h"
#include "engine/engine.h"
#include "options/options_dialog.h"
#include "shell/about_window.h"
#include "shell/main_window.h"
#include "shell/termination.h"
#include "shell/web_links_window.h"
#include "skin/gauge.h"
#include "visualization/visualization_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // Every argument is a file for the player, as the system gave its bytes. Qt sees none of them: it
    // would take a file named "-style" or "-reverse" as its own option and drop it. Qt's settings
    // come from its environment variables (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE ...).
    const QStringList files = orvu::commandLineFiles(argc, argv);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("ORVU"));
    // Only closing the main window ends the player (its close step quits): with the main window hidden
    // through the tray icon, closing the last secondary window that shows must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    orvu::engine::Engine engine;
    orvu::StartupContext context{QApplication::applicationDirPath() + u'/', files};
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

    // A close during the creation or the show step already saved everything; quitting before the
    // loop runs would be forgotten, so the loop is not entered at all.
    if (!form1.closed())
        form1.show();
    const int result = form1.closed() ? 0 : QApplication::exec();
    form1.FormDestroy();
    return result;
}
