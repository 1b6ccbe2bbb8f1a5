// Purpose: the skinned link label: pressing it opens its address (http and https only) in the browser.
#include "skin/link_label.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace orvu {

LinkLabel::LinkLabel(QWidget* parent)
    : Label({}, parent) {
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    Label::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // The address is built from tags and file names: only web addresses are ever opened.
    const QUrl address = QUrl::fromUserInput(url_);
    if (address.isValid() && (address.scheme() == u"http" || address.scheme() == u"https") &&
        (url_.startsWith(u"http://", Qt::CaseInsensitive) ||
         url_.startsWith(u"https://", Qt::CaseInsensitive)))
        QDesktopServices::openUrl(address);
}

} // namespace orvu
