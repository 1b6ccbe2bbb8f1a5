// Purpose: window effects of the skin: fading in and out, translucency while a window moves, and the
// minimizing animation.
#include "skin/window_effects.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>
#include <QWindowStateChangeEvent>

#if QT_CONFIG(xcb)
#include <X11/Xlib.h>
#endif

namespace orvu {

namespace {
const char* const effectsName = "orvu-window-effects";
// A window counts as dragged while move events keep coming; this long without one ends the drag.
constexpr int moveSettleMs = 300;

std::optional<bool>& compositingOverride() {
    static std::optional<bool> value;
    return value;
}

#if QT_CONFIG(xcb)
// An X11 compositing manager owns the selection _NET_WM_CM_S<screen> while it runs.
bool x11Compositing() {
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.constData(), False);
    return selection != None && XGetSelectionOwner(display, selection) != None;
}
#endif
} // namespace

bool WindowEffects::platformSupportsOpacity() {
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform.startsWith(u"wayland");
}

bool WindowEffects::compositing() {
    if (compositingOverride())
        return *compositingOverride();
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(u"wayland"))
        return true;
#if QT_CONFIG(xcb)
    if (platform == u"xcb")
        return x11Compositing();
#endif
    return false;
}

void WindowEffects::overrideCompositing(std::optional<bool> composited) {
    compositingOverride() = composited;
}

void WindowEffects::attach(QWidget* window, bool blendOnMoving, bool minimizing) {
    auto* effects =
        window->findChild<WindowEffects*>(QString::fromLatin1(effectsName), Qt::FindDirectChildrenOnly);
    if (!effects)
        effects = new WindowEffects(window);
    effects->blendOnMoving_ = blendOnMoving;
    effects->minimizing_ = minimizing;
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
    // Once the application is ending, windows are hidden as they are destroyed: there is nothing left
    // to fade for, and a window half destroyed must not be painted.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { ending_ = true; });
    window->installEventFilter(this);
}

void WindowEffects::fadeTo(qreal opacity) {
    fade_->stop();
    fade_->setStartValue(window_->windowOpacity());
    fade_->setEndValue(opacity);
    fade_->start();
}

void WindowEffects::leaveGhost(bool shrink) {
    if (ending_ || !compositing())
        return;
    const QRect from = window_->geometry();
    if (from.isEmpty())
        return;
    // The picture is taken from the widgets, which still paint while their window is hidden.
    auto* ghost = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                                          Qt::WindowDoesNotAcceptFocus);
    ghost->setObjectName(QStringLiteral("orvu-window-ghost"));
    ghost->setAttribute(Qt::WA_ShowWithoutActivating);
    ghost->setAttribute(Qt::WA_DeleteOnClose);
    ghost->setScaledContents(true);
    ghost->setPixmap(window_->grab());
    ghost->setGeometry(from);
    ghost->setWindowOpacity(1.0);
    ghost->show();
    QRect to = from;
    if (shrink) {
        const QScreen* screen = window_->screen();
        const QRect area = screen ? screen->geometry() : from;
        to = QRect(0, 0, std::max(1, from.width() / 8), std::max(1, from.height() / 8));
        to.moveCenter(QPoint(area.center().x(), area.bottom()));
    }
    auto* animation = new QVariantAnimation(ghost);
    animation->setDuration(fadeMs);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    connect(animation, &QVariantAnimation::valueChanged, ghost, [ghost, from, to](const QVariant& value) {
        const qreal t = value.toReal();
        ghost->setWindowOpacity(1.0 - t);
        const auto at = [t](int a, int b) { return a + qRound((b - a) * t); };
        ghost->setGeometry(QRect(QPoint(at(from.left(), to.left()), at(from.top(), to.top())),
                                 QPoint(at(from.right(), to.right()), at(from.bottom(), to.bottom()))));
    });
    connect(animation, &QVariantAnimation::finished, ghost, &QWidget::close);
    // The application may end before the ghost has faded: it goes with it.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, ghost, &QObject::deleteLater);
    animation->start();
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
    case QEvent::Hide:
        // Hidden or closed by the program (a minimize hides it spontaneously, by the window system):
        // the window's picture fades out where it was.
        if (!event->spontaneous() && !window_->isMinimized()) {
            fade_->stop();
            moveSettled_->stop();
            leaveGhost(false);
        }
        break;
    case QEvent::WindowStateChange: {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if (minimizing_ && window_->isMinimized() && !(change->oldState() & Qt::WindowMinimized))
            leaveGhost(true);
        break;
    }
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
