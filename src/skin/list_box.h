// Purpose: the skinned list box: one selection, and the selection is the item index (-1 for none).
#pragma once

#include <QListWidget>

namespace orvu {

class ListBox : public QListWidget {
    Q_OBJECT

public:
    explicit ListBox(QWidget* parent = nullptr);

    int itemIndex() const { return currentRow(); }
    // -1 clears the selection; an index outside the list clears it too.
    void setItemIndex(int index);
    QString itemText(int index) const;
};

} // namespace orvu
