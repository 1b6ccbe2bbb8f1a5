// Purpose: the skinned scroll bar: a position set by the program clamps and reports a change only when
// it really changes; scroll events come only from the user and end with an end-of-scroll event. The
// wheel over it is its own: it never passes on to the window underneath.
#pragma once

#include <QScrollBar>

namespace orvu {

class ScrollBar : public QScrollBar {
    Q_OBJECT

public:
    // Scroll codes, in the order and with the values the handlers expect.
    enum ScrollCode { LineUp = 0, LineDown, PageUp, PageDown, Position, Track, Top, Bottom, EndScroll };

    explicit ScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    int position() const { return value(); }
    // Clamps into the range; emits changed() only when the position changes.
    void setPosition(int position) { setValue(position); }

Q_SIGNALS:
    // Any change of position, by the program or the user.
    void changed();
    // User interaction only: each step, then EndScroll when the user lets go.
    void scrolled(int code, int position);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void onAction(int action);
    bool userScrolling_ = false;
};

} // namespace orvu
