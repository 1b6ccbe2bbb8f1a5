// Purpose: the skinned list box: a view of a list model with one selection, and the highlighted entry
// is the item index (-1 for none).
#pragma once

#include <QListView>
#include <QRect>

namespace orvu {

class ListBox : public QListView {
    Q_OBJECT

public:
    explicit ListBox(QWidget* parent = nullptr);

    int count() const;
    // The highlighted entry, -1 when none is: the list's current row alone (the focus frame a click
    // below the items, a Ctrl-click or Tab leaves behind) selects nothing.
    int itemIndex() const;
    // -1 clears the selection; an index outside the list clears it too.
    void setItemIndex(int index);
    QString itemText(int index) const; // empty outside the list

    // Two entries of the model traded places: a selection on a moves to b, one on b moves to a, so a
    // selected entry stays selected wherever it goes.
    void followExchange(int a, int b);

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
