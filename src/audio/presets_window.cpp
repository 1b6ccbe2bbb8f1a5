// Purpose: TForm5, the equalizer preset window.
#include "audio/presets_window.h"

namespace orvu {

TForm5::TForm5(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Load EQ Preset"));
    setFixedSize(designClientWidth, designClientHeight);
}

} // namespace orvu
