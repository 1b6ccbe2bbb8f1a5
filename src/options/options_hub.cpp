// Purpose: the main window's door to the Options dialog: its tool button opens it, and the main window
// stays disabled while it shows.
#include "options/options_dialog.h"
#include "shell/main_window.h"

namespace orvu {

OptionsActions mainWindowActions(TForm1& window) {
    return {
        [&window](const QString& mode) { window.ApplyPlayerMode(mode); },
        [&window] { window.cbb2Change(); },
        [&window] { return window.tagBarInterval(); },
        [&window](int milliseconds) { window.setTagBarInterval(milliseconds); },
    };
}

void TForm1::btn25Click() {
    showCentred(Form4);
}

void TForm1::setOptionsWindow(TForm4* window) {
    Form4 = window;
    connect(window, &TForm4::openChanged, this, [this](bool open) { setEnabled(!open); });
}

} // namespace orvu
