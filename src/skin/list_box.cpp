// Purpose: the skinned list box: one selection, and the selection is the item index (-1 for none).
#include "skin/list_box.h"

#include "core/string_list.h"
#include "skin/label.h"
#include "skin/panel.h"

#include <QHelpEvent>

namespace orvu {

ListBox::ListBox(QWidget* parent)
    : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true); // keeps long playlists fast to fill and scroll
}

void ListBox::setItemIndex(int index) {
    if (index < 0 || index >= count()) {
        setCurrentRow(-1);
        clearSelection();
        return;
    }
    setCurrentRow(index);
}

QString ListBox::itemText(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->text() : QString();
}

QString ListBox::checkedText(int index) const {
    if (index < 0 || index >= count())
        throwListIndexError(index);
    return item(index)->text();
}

void ListBox::insertText(int index, const QString& text) {
    if (index < 0 || index > count())
        throwListIndexError(index);
    insertItem(index, text);
}

void ListBox::removeItem(int index) {
    if (index < 0 || index >= count())
        throwListIndexError(index);
    delete takeItem(index);
}

void ListBox::exchange(int a, int b) {
    if (a < 0 || a >= count())
        throwListIndexError(a);
    if (b < 0 || b >= count())
        throwListIndexError(b);
    if (a == b)
        return;
    // Swapping the texts keeps the items in place, so an exchange costs the same in any list size.
    QListWidgetItem* first = item(a);
    QListWidgetItem* second = item(b);
    const QString text = first->text();
    first->setText(second->text());
    second->setText(text);
    const int selected = currentRow();
    if (selected == a)
        setCurrentRow(b);
    else if (selected == b)
        setCurrentRow(a);
}

void ListBox::systemCommand(int command) {
    switch (command) {
    case Panel::commandMaximize:
        if (!maximized_)
            normal_ = geometry();
        maximized_ = true;
        if (parentWidget())
            setGeometry(parentWidget()->rect());
        raise();
        break;
    case Panel::commandRestore:
        if (maximized_)
            setGeometry(normal_);
        maximized_ = false;
        break;
    default:
        break;
    }
}

bool ListBox::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        showPlainToolTip(static_cast<QHelpEvent*>(event), toolTip(), viewport());
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        QListWidget::viewportEvent(event);
        event->accept();
        return true;
    }
    return QListWidget::viewportEvent(event);
}

} // namespace orvu
