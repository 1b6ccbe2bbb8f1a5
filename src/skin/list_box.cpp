// Purpose: the skinned list box: one selection, and the selection is the item index (-1 for none).
#include "skin/list_box.h"

#include "skin/label.h"
#include "skin/panel.h"

#include <QHelpEvent>

namespace orvu {

ListBox::ListBox(QWidget* parent)
    : QListView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true); // keeps long playlists fast to fill and scroll
}

int ListBox::itemIndex() const {
    if (!selectionModel())
        return -1;
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

int ListBox::count() const {
    return model() ? model()->rowCount() : 0;
}

void ListBox::setItemIndex(int index) {
    if (index < 0 || index >= count()) {
        setCurrentIndex({});
        clearSelection();
        return;
    }
    setCurrentIndex(model()->index(index, 0));
}

QString ListBox::itemText(int index) const {
    if (index < 0 || index >= count())
        return {};
    return model()->index(index, 0).data().toString();
}

void ListBox::followExchange(int a, int b) {
    const int selected = itemIndex();
    if (selected == a)
        setItemIndex(b);
    else if (selected == b)
        setItemIndex(a);
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
        QListView::viewportEvent(event);
        event->accept();
        return true;
    }
    return QListView::viewportEvent(event);
}

} // namespace orvu
