// Purpose: window effects of the skin: a fade-in when a window shows, and translucency while it moves.
#include "skin/window_effects.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

namespace orvu {

namespace {
const char* const effectsName = "orvu-window-effects";
// A window counts as dragged while move events keep coming; this long without one ends the drag.
constexpr int moveSettleMs = 300;
} // namespace

bool WindowEffects::platformSupportsOpacity() {
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform.startsWith(u"wayland");
}

void WindowEffects::attach(QWidget* window, bool blendOnMoving) {
    auto* effects =
        window->findChild<WindowEffects*>(QString::fromLatin1(effectsName), Qt::FindDirectChildrenOnly);
    if (!effects)
        effects = new WindowEffects(window);
    effects->blendOnMoving_ = blendOnMoving;
}

WindowEffects::WindowEffects(QWidget* window)
    : QObject(window)
    , window_(window)
    , fade_(new QVariantAnimation(this))
    , moveSettled_(new QTimer(this)) {
    setObjectName(QString::fromLatin1(effectsName));
    fade_->setDuration(fadeMs);
    connect(fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (window_)
            window_->setWindowOpacity(value.toReal());
    });
    moveSettled_->setSingleShot(true);
    moveSettled_->setInterval(moveSettleMs);
    connect(moveSettled_, &QTimer::timeout, this, [this] { fadeTo(1.0); });
    window->installEventFilter(this);
}

void WindowEffects::fadeTo(qreal opacity) {
    fade_->stop();
    fade_->setStartValue(window_->windowOpacity());
    fade_->setEndValue(opacity);
    fade_->start();
}

bool WindowEffects::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || !window_->isWindow())
        return false;
    switch (event->type()) {
    case QEvent::Show:
        // The window appears from nothing to full opacity over the fade time.
        fade_->stop();
        window_->setWindowOpacity(0.0);
        fadeTo(1.0);
        break;
    case QEvent::Move:
        if (blendOnMoving_ && window_->isVisible()) {
            if (!moveSettled_->isActive())
                fadeTo(movingOpacity / 255.0);
            moveSettled_->start();
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace orvu
