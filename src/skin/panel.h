// Purpose: the skinned panel: a frame that can be maximized over its window, restored, or minimized to a
// small strip that keeps its restore button.
#pragma once

#include <QFrame>
#include <QIcon>
#include <QRect>

namespace orvu {

class Panel : public QFrame {
    Q_OBJECT

public:
    // The window-system commands the panel buttons send.
    static constexpr int commandMaximize = 0xF030;
    static constexpr int commandRestore = 0xF120;
    static constexpr int commandMinimize = 0xF020;
    static constexpr QSize minimizedSize{120, 15};

    explicit Panel(QWidget* parent = nullptr);

    // Sets the panel's normal place and size.
    void setNormalGeometry(const QRect& geometry);
    void systemCommand(int command);
    // The picture of the button that sends a command: a window outline for maximize, two for
    // restore, a bar for minimize; drawn for the screen's pixel ratio in the palette's text colour.
    static QIcon commandIcon(int command, const QPalette& palette, qreal devicePixelRatio);

    enum class State { Normal, Maximized, Minimized };
    State state() const { return state_; }

private:
    QRect normal_;
    State state_ = State::Normal;
};

} // namespace orvu
