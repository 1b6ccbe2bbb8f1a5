// Purpose: TForm7, the web links window.
#include "shell/web_links_window.h"

namespace orvu {

TForm7::TForm7(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Dodu DU3 Vavo"));
    setFixedSize(designClientWidth, designClientHeight);
}

} // namespace orvu
