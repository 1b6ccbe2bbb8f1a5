// Purpose: the skinned gauge: a bar that clamps its progress into its range and gives its percent done.
#include "skin/gauge.h"

#include "core/gauge_percent.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace orvu {

Gauge::Gauge(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent)
    , orientation_(orientation) {}

void Gauge::setMaxValue(int maximum) {
    setRange(minimum_, maximum);
}

void Gauge::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(maximum, minimum);
    progress_ = std::clamp(progress_, minimum_, maximum_);
    update();
}

void Gauge::setProgress(int progress) {
    progress = std::clamp(progress, minimum_, maximum_);
    if (progress == progress_)
        return;
    const int shown = percentDone();
    progress_ = progress;
    if (percentDone() != shown) // the bar is drawn by its percent: repaint only when that moves
        update();
}

int Gauge::percentDone() const {
    return gaugePercent(progress_, minimum_, maximum_);
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const int percent = percentDone();
    QRect filled = rect();
    if (orientation_ == Qt::Horizontal)
        filled.setWidth(width() * percent / 100);
    else
        filled.setTop(height() - height() * percent / 100);
    // The bar takes the skin's highlight as a gradient across its thickness, bright edge first, so a
    // level meter reads as a lit bar in every skin.
    const QColor lit = palette().color(QPalette::Highlight);
    QLinearGradient shine(QPointF(0, 0),
                          orientation_ == Qt::Horizontal ? QPointF(0, height()) : QPointF(width(), 0));
    shine.setColorAt(0, lit.lighter(130));
    shine.setColorAt(1, lit.darker(125));
    painter.fillRect(filled, shine);
    painter.setPen(palette().mid().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace orvu
