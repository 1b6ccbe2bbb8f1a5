// Purpose: the skin's own frame for frameless windows: a title bar with caption, drop-down menu button,
// minimize and close, a border around the window, and moving and resizing through the window system.
#pragma once

#include <QMargins>
#include <QMenu>
#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace orvu {

// Laid out from the left: the caption, then (right-aligned) the menu button, a 16-pixel spacer, and the
// minimize and close buttons. There is no maximize button. Pressing on the bar's free area hands the
// move to the window system (QWindow::startSystemMove), which works on X11 and Wayland alike.
class TitleBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int barHeight = 30;

    // menuText/menuHint: the menu button's caption and tool-tip; menuSize: its size, or an empty size
    // for one that fits its caption. The menu may be given later (setMenu).
    TitleBar(QWidget* window, const QString& menuText, const QString& menuHint, QMenu* menu,
             QSize menuSize = {});

    QPushButton* menuButton() const { return menuButton_; }
    QPushButton* minimizeButton() const { return minimize_; }
    QPushButton* closeButton() const { return close_; }
    void setMenu(QMenu* menu) { menu_ = menu; }
    // The window's title at the bar's left, or nothing.
    void setCaptionShown(bool shown);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget* window_;
    QPointer<QMenu> menu_;
    QLabel* caption_;
    QPushButton* menuButton_;
    QPushButton* minimize_;
    QPushButton* close_;
};

// Makes a top-level window frameless and gives it the skin's frame instead: the title bar across its
// top, a border on the other three sides, and the client area inside, which holds the window's own
// controls at their places. The window's size is its outer size: client area plus frameSize. A
// resizable frame hands presses on its border to the window system (QWindow::startSystemResize).
class WindowFrame : public QWidget {
    Q_OBJECT

public:
    static constexpr int border = 4;
    static constexpr QMargins margins{border, TitleBar::barHeight, border, border};
    static constexpr QSize frameSize{2 * border, TitleBar::barHeight + border};

    enum class Sizing { Fixed, Resizable };

    WindowFrame(QWidget* window, Sizing sizing, const QString& menuText, const QString& menuHint,
                QMenu* menu = nullptr, QSize menuSize = {});

    TitleBar* titleBar() const { return titleBar_; }
    QWidget* client() const { return client_; }

    // The window edges a point of the window lies on, within the border; none inside it.
    static Qt::Edges edgesAt(const QSize& window, const QPoint& point);

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void place();

    QWidget* window_;
    Sizing sizing_;
    TitleBar* titleBar_;
    QWidget* client_;
};

} // namespace orvu
