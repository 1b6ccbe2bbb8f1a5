// Purpose: the skinned scroll bar: a position set by the program clamps and reports a change only when
// it really changes; scroll events come only from the user and end with an end-of-scroll event.
#include "skin/scroll_bar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace orvu {

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    // Qt's scroll bars invert their controls, which turns the left and right arrow keys of a horizontal
    // bar around; the up and down keys of a vertical one are right as they are.
    if (orientation == Qt::Horizontal)
        setInvertedControls(false);
    connect(this, &QScrollBar::valueChanged, this, &ScrollBar::changed);
    connect(this, &QAbstractSlider::actionTriggered, this, &ScrollBar::onAction);
}

void ScrollBar::onAction(int action) {
    // actionTriggered comes before the value moves; sliderPosition() already holds the new place.
    ScrollCode code = Position;
    switch (action) {
    case SliderSingleStepSub:
        code = LineUp;
        break;
    case SliderSingleStepAdd:
        code = LineDown;
        break;
    case SliderPageStepSub:
        code = PageUp;
        break;
    case SliderPageStepAdd:
        code = PageDown;
        break;
    case SliderToMinimum:
        code = Top;
        break;
    case SliderToMaximum:
        code = Bottom;
        break;
    case SliderMove:
        code = Track;
        break;
    default:
        code = Position;
        break;
    }
    userScrolling_ = true;
    Q_EMIT scrolled(code, sliderPosition());
}

void ScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    QScrollBar::mouseReleaseEvent(event);
    if (std::exchange(userScrolling_, false))
        Q_EMIT scrolled(EndScroll, value());
}

void ScrollBar::keyReleaseEvent(QKeyEvent* event) {
    QScrollBar::keyReleaseEvent(event);
    if (!event->isAutoRepeat() && std::exchange(userScrolling_, false))
        Q_EMIT scrolled(EndScroll, value());
}

void ScrollBar::wheelEvent(QWheelEvent* event) {
    QScrollBar::wheelEvent(event);
    if (std::exchange(userScrolling_, false))
        Q_EMIT scrolled(EndScroll, value());
    event->accept(); // a wheel over a scroll bar is its own, also at the end of its range
}

} // namespace orvu
