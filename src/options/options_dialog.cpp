// Purpose: TForm4, the Options dialog.
#include "options/options_dialog.h"

namespace orvu {

TForm4::TForm4(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(designClientWidth, designClientHeight);
}

} // namespace orvu
