// Purpose: the drawn pictures of the About and web links windows and the look of their link labels.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace orvu {

class LinkLabel;

// A picture of `size`: a vertical gradient from `top` to `bottom` with rings of sound and `caption`.
QPixmap drawnPicture(QSize size, const QColor& top, const QColor& bottom, const QString& caption = {});

// Gives a link label its text colour, and `normal` as its font but `hover` while the pointer is over it.
void styleLink(LinkLabel* link, const QColor& colour, const QFont& normal, const QFont& hover);

} // namespace orvu
