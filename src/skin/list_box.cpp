// Purpose: the skinned list box: one selection, and the selection is the item index (-1 for none).
#include "skin/list_box.h"

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

} // namespace orvu
