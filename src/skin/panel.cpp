// Purpose: the skinned panel: a frame that can be maximized over its window, restored, or minimized to a
// small strip that keeps its restore button.
#include "skin/panel.h"

namespace orvu {

Panel::Panel(QWidget* parent)
    : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
}

void Panel::setNormalGeometry(const QRect& geometry) {
    normal_ = geometry;
    if (state_ == State::Normal)
        setGeometry(geometry);
}

void Panel::systemCommand(int command) {
    switch (command) {
    case commandMaximize:
        state_ = State::Maximized;
        if (parentWidget())
            setGeometry(parentWidget()->rect());
        raise();
        break;
    case commandRestore:
        state_ = State::Normal;
        setGeometry(normal_);
        break;
    case commandMinimize:
        state_ = State::Minimized;
        setGeometry(QRect(normal_.topLeft(), minimizedSize));
        raise();
        break;
    default:
        break;
    }
}

} // namespace orvu
