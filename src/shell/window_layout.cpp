// Purpose: the main window's panel buttons, player modes, label tool-tips and the mouse wheel.
#include "shell/main_window.h"

#include "shell/error_box.h"
#include "skin/link_label.h"
#include "skin/list_box.h"
#include "skin/panel.h"
#include "skin/scroll_bar.h"

#include <QLabel>
#include <QWheelEvent>

namespace orvu {
namespace {

struct ModeSize {
    const char* mode;
    QSize outer;
};

// Compared exactly, letter case included, in this order. The sizes are the window's own: the skin's
// title bar and border lie inside it.
constexpr ModeSize modeSizes[] = {
    {"Simple", {512, 120}},
    {"Medium", {512, 506}},
    {"Normal", {832, 506}},
};

} // namespace

void TForm1::ApplyPlayerMode(const QString& mode) {
    for (const ModeSize& entry : modeSizes) {
        if (mode == QLatin1String(entry.mode)) {
            setFixedSize(entry.outer);
            return;
        }
    }
}

void TForm1::btn11Click() {
    spnl1->systemCommand(Panel::commandMaximize);
}
void TForm1::btn12Click() {
    spnl1->systemCommand(Panel::commandRestore);
}
void TForm1::btn13Click() {
    spnl1->systemCommand(Panel::commandMinimize);
}
void TForm1::btn14Click() {
    spnl3->systemCommand(Panel::commandMaximize);
}
void TForm1::btn15Click() {
    spnl3->systemCommand(Panel::commandRestore);
}
void TForm1::btn16Click() {
    spnl3->systemCommand(Panel::commandMinimize);
}

void TForm1::labelMouseEnter(QLabel* label) {
    if (label == lbl1)
        label->setToolTip(lbl27->text());
    else if (label == static_cast<QLabel*>(lbl28))
        label->setToolTip(lbl18->text() + QStringLiteral(" [Click Here to Find Artist via web]"));
    else
        label->setToolTip(label->text());
}

void TForm1::FormMouseWheelUp() {
    if (!lst1->hasFocus())
        scrlbr2->setPosition(scrlbr2->position() + 5);
}

void TForm1::FormMouseWheelDown() {
    if (!lst1->hasFocus())
        scrlbr2->setPosition(scrlbr2->position() - 5);
}

// Each wheel event reaches this once: the sliders and the list route theirs here, every other control
// leaves it to the window.
void TForm1::windowWheel(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta > 0)
        runGuarded([this] { FormMouseWheelUp(); });
    else if (delta < 0)
        runGuarded([this] { FormMouseWheelDown(); });
}

} // namespace orvu
