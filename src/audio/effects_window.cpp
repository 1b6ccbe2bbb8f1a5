// Purpose: TForm6, the audio effects window.
#include "audio/effects_window.h"

namespace orvu {

TForm6::TForm6(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Audio Effects"));
    setFixedSize(designClientWidth, designClientHeight);
}

} // namespace orvu
