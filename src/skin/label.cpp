// Purpose: the skinned label: its caption and its tool-tip are always shown as plain text.
#include "skin/label.h"

#include <QHelpEvent>
#include <QToolTip>

namespace orvu {

void showPlainToolTip(const QHelpEvent* help, const QString& text, QWidget* owner) {
    if (text.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    // A tool-tip decides by the text whether it is markup; escaped text inside a paragraph that keeps
    // its spaces and lines reads exactly as the plain text does.
    QToolTip::showText(
        help->globalPos(),
        QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>"), owner);
}

Label::Label(const QString& caption, QWidget* parent)
    : QLabel(caption, parent) {
    setTextFormat(Qt::PlainText);
}

bool Label::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        showPlainToolTip(static_cast<QHelpEvent*>(event), toolTip(), this);
        return true;
    }
    return QLabel::event(event);
}

} // namespace orvu
