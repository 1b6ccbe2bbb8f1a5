// Purpose: playlist files and dropped files.
#include "shell/main_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>

namespace orvu {

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    QWidget::dragEnterEvent(event);
}
void TForm1::dropEvent(QDropEvent* event) {
    QWidget::dropEvent(event);
}

} // namespace orvu
