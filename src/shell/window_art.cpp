// Purpose: the drawn pictures of the About and web links windows and the look of their link labels.
#include "shell/window_art.h"

#include "shell/input_wiring.h"
#include "skin/link_label.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace orvu {

QPixmap drawnPicture(QSize size, const QColor& top, const QColor& bottom, const QString& caption) {
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(picture.rect(), gradient);
    // Rings spreading from the lower left, as sound from a speaker.
    const QPointF source(size.width() * 0.15, size.height() * 0.85);
    for (int ring = 1; ring <= 6; ++ring) {
        QColor colour = Qt::white;
        colour.setAlphaF(0.28f - 0.04f * static_cast<float>(ring));
        painter.setPen(QPen(colour, 2));
        const qreal radius = ring * size.height() / 5.0;
        painter.drawEllipse(source, radius, radius);
    }
    if (!caption.isEmpty()) {
        QFont font(QStringLiteral("Trebuchet MS"));
        font.setPixelSize(std::max(12, size.height() / 6));
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(picture.rect().adjusted(8, 8, -8, -8), Qt::AlignRight | Qt::AlignTop, caption);
    }
    return picture;
}

void styleLink(LinkLabel* link, const QColor& colour, const QFont& normal, const QFont& hover) {
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, colour);
    link->setPalette(palette);
    link->setFont(normal);
    // Sized for the hover font, so the wider text is never cut while the pointer is over it.
    const QFontMetrics metrics(hover);
    link->resize(std::max(link->width(), metrics.horizontalAdvance(link->text()) + 2),
                 std::max(link->height(), metrics.height()));
    wireEvents({
        {link, QEvent::Enter, [link, hover](QEvent*) { return link->setFont(hover), false; }},
        {link, QEvent::Leave, [link, normal](QEvent*) { return link->setFont(normal), false; }},
    });
}

} // namespace orvu
