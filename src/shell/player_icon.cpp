// Purpose: the player's own icon (data/orvu.svg, built in), for its windows and its tray icon.
#include "shell/player_icon.h"

#include <QApplication>
#include <QStyle>

namespace orvu {

QIcon playerIcon() {
    // Without Qt's SVG icon engine the icon loads as an empty one.
    QIcon icon(QStringLiteral(":/orvu/orvu.svg"));
    if (icon.isNull() || icon.pixmap(32, 32).isNull())
        return QApplication::style()->standardIcon(QStyle::SP_MediaPlay);
    return icon;
}

} // namespace orvu
