// Purpose: TForm3, the visualization window.
#include "visualization/visualization_window.h"

namespace orvu {

TForm3::TForm3(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Visualization"));
    resize(designClientWidth, designClientHeight);
}

} // namespace orvu
