// Purpose: window effects of the skin: a fade-in when a window shows, and translucency while it moves.
#pragma once

#include <QObject>
#include <QPointer>

class QVariantAnimation;
class QTimer;
class QWidget;

namespace orvu {

// Watches one top-level window. Opacity is all it changes, so a window system that cannot show it (an
// X server without a compositor) simply shows the window opaque.
class WindowEffects : public QObject {
    Q_OBJECT

public:
    static constexpr int fadeMs = 250;
    static constexpr int movingOpacity = 200; // of 255, while blend on moving is on

    // Whether this platform can show window opacity at all (X11 or Wayland); elsewhere no effect is
    // attached.
    static bool platformSupportsOpacity();
    // Attaches the effects to window (once; later calls update the setting).
    static void attach(QWidget* window, bool blendOnMoving);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowEffects(QWidget* window);
    void fadeTo(qreal opacity);

    QPointer<QWidget> window_;
    QVariantAnimation* fade_;
    QTimer* moveSettled_;
    bool blendOnMoving_ = false;
};

} // namespace orvu
