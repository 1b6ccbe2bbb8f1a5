// Purpose: input the way the window system delivers it, for what QTest cannot send in this Qt version.
#include "support/user_input.h"

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>

// Qt's window system interface: exported by QtGui for platform plugins and for QTest's own key and
// mouse input; its header is not installed without Qt's private development files.
class QWindowSystemInterface {
public:
    static bool handleWheelEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                 QPoint pixelDelta, QPoint angleDelta, Qt::KeyboardModifiers modifiers,
                                 Qt::ScrollPhase phase, Qt::MouseEventSource source);
};

namespace orvu::test {

void wheelOver(QWidget* target, int delta) {
    QWidget* window = target->window();
    const QPointF local = target->mapTo(window, QPointF(target->width() / 2.0, target->height() / 2.0));
    QWindowSystemInterface::handleWheelEvent(window->windowHandle(), local, window->mapToGlobal(local),
                                             QPoint(), QPoint(0, delta), Qt::NoModifier, Qt::NoScrollPhase,
                                             Qt::MouseEventNotSynthesized);
    QCoreApplication::processEvents();
}

} // namespace orvu::test
