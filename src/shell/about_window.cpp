// Purpose: TForm2, the About window.
#include "shell/about_window.h"

namespace orvu {

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("About ORVU"));
    setFixedSize(designClientWidth, designClientHeight);
}

} // namespace orvu
