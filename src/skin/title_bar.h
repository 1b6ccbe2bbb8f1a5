// Purpose: the skinned title bar of a frameless window: caption, a drop-down menu button, minimize and
// close, and moving the window through the window system.
#pragma once

#include <QWidget>

class QLabel;
class QMenu;
class QPushButton;

namespace orvu {

// Laid out from the left: the caption, then (right-aligned) the menu button, a 16-pixel spacer, and the
// minimize and close buttons. There is no maximize button. Pressing on the bar's free area hands the
// move to the window system (QWindow::startSystemMove), which works on X11 and Wayland alike.
class TitleBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int barHeight = 26;

    // menuText/menuHint: the menu button's caption and tool-tip; menuSize: its size, or an empty size
    // for one that fits its caption.
    TitleBar(QWidget* window, const QString& menuText, const QString& menuHint, QMenu* menu,
             QSize menuSize = {});

    QPushButton* menuButton() const { return menuButton_; }
    QPushButton* minimizeButton() const { return minimize_; }
    QPushButton* closeButton() const { return close_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget* window_;
    QMenu* menu_;
    QLabel* caption_;
    QPushButton* menuButton_;
    QPushButton* minimize_;
    QPushButton* close_;
};

} // namespace orvu
