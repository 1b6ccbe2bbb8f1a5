// Purpose: the skinned panel: a frame that can be maximized over its window, restored, or minimized to a
// small strip that keeps its restore button.
#include "skin/panel.h"

#include <QPixmap>

#include <QPainter>

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

QIcon Panel::commandIcon(int command, const QPalette& palette, qreal devicePixelRatio) {
    constexpr int side = 9;
    QPixmap picture(QSize(side, side) * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QPen(palette.color(QPalette::ButtonText), 1.0));
    switch (command) {
    case commandMaximize:
        painter.drawRect(QRectF(1.5, 1.5, 6, 6));
        painter.drawLine(QPointF(1.5, 2.5), QPointF(7.5, 2.5));
        break;
    case commandRestore:
        painter.drawRect(QRectF(3.5, 1.5, 4, 4));
        painter.fillRect(QRectF(1, 3, 5, 5), palette.color(QPalette::Button));
        painter.drawRect(QRectF(1.5, 3.5, 4, 4));
        break;
    case commandMinimize:
        painter.drawLine(QPointF(1.5, 7.5), QPointF(7.5, 7.5));
        break;
    default:
        break;
    }
    return QIcon(picture);
}

} // namespace orvu
