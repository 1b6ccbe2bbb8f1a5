// Purpose: window effects of the skin: fading in and out, translucency while a window moves, and the
// minimizing animation.
#pragma once

#include <QObject>
#include <QPointer>

#include <optional>

class QVariantAnimation;
class QTimer;
class QWidget;

namespace orvu {

// Watches one top-level window. A window system that cannot show opacity (an X server without a
// compositor) shows the window opaque, and the effects that only opacity can draw (the fade-out and
// the minimizing animation) are left out there.
class WindowEffects : public QObject {
    Q_OBJECT

public:
    static constexpr int fadeMs = 250;
    static constexpr int movingOpacity = 200; // of 255, while blend on moving is on

    // Whether this platform can show window opacity at all (X11 or Wayland); elsewhere no effect is
    // attached.
    static bool platformSupportsOpacity();
    // Whether windows are composited now: a compositing manager runs on X11; always on Wayland.
    static bool compositing();
    // Tests stand in for a compositor (true), for its absence (false), or give the question back to
    // the window system (nullopt).
    static void overrideCompositing(std::optional<bool> composited);

    // Attaches the effects to window (once; later calls update the settings).
    static void attach(QWidget* window, bool blendOnMoving, bool minimizing = true);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowEffects(QWidget* window);
    void fadeTo(qreal opacity);
    // A picture of the window, left where the window was, that fades out (and with `shrink`, flies to
    // the bottom of the screen as into a task bar) and then goes away.
    void leaveGhost(bool shrink);

    QPointer<QWidget> window_;
    QVariantAnimation* fade_;
    QTimer* moveSettled_;
    bool blendOnMoving_ = false;
    bool minimizing_ = true;
    bool ending_ = false; // the application is quitting
};

} // namespace orvu
