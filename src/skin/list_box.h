// Purpose: the skinned list box: one selection, and the selection is the item index (-1 for none).
#pragma once

#include <QListWidget>
#include <QRect>

namespace orvu {

class ListBox : public QListWidget {
    Q_OBJECT

public:
    explicit ListBox(QWidget* parent = nullptr);

    int itemIndex() const { return currentRow(); }
    // -1 clears the selection; an index outside the list clears it too.
    void setItemIndex(int index);
    QString itemText(int index) const;

    // The checked forms below refuse an index outside the list with the player's list error
    // "List index out of bounds (<index>)" before anything changes.
    QString checkedText(int index) const;
    void insertText(int index, const QString& text); // index 0..count
    void removeItem(int index);
    // Trades the texts at a and b (a is checked first). A selection on a moves to b, one on b moves
    // to a, so a selected entry stays selected wherever it goes.
    void exchange(int a, int b);

    // Panel::commandMaximize fills the parent's area (above its siblings); Panel::commandRestore
    // returns to the place and size held before the first maximize. Other commands do nothing.
    void systemCommand(int command);
    bool isMaximized() const { return maximized_; }

protected:
    // The list's own hint (toolTip()) is what it shows on hover, whatever item is under the pointer.
    // The wheel over the list is its own, also when it cannot scroll further.
    bool viewportEvent(QEvent* event) override;

private:
    QRect normal_;
    bool maximized_ = false;
};

} // namespace orvu
