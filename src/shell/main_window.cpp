// Purpose: TForm1, the main window and hub of the player: construction of the window and its controls.
#include "shell/main_window.h"

#include <QListWidget>

namespace orvu {

TForm1::TForm1(QWidget* parent)
    : QWidget(parent) {
    setWindowTitle(QStringLiteral("ORVU"));
    setFixedSize(designClientWidth, designClientHeight);
    createControls();
}

TForm1::~TForm1() = default;

void TForm1::createControls() {
    lst1 = new QListWidget(this);
    lst1->setObjectName(QStringLiteral("lst1"));
    lst1->setGeometry(24, 112, 457, 289);
    lst1->setUniformItemSizes(true); // keeps long playlists fast to fill and scroll
}

} // namespace orvu
