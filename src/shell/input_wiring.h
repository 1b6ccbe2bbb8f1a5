// Purpose: a window's input declared as tables of {control, signal or event, handler}: each row wires
// one control, and every handler runs inside the error guard.
#pragma once

#include "shell/error_box.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <initializer_list>
#include <span>
#include <vector>

namespace orvu {

// A click of a button or a trigger of a menu item runs a handler of the window.
template <class Window>
struct ClickRow {
    QObject* control; // a QAbstractButton or a QAction
    void (Window::*handler)();
};

// A checkable menu item's mark is its handler's to set: Qt flips the mark before it reports the
// trigger, so the mark is put back first and the handler reads the state it acts on.
template <class Window>
void wireClickTable(Window* window, std::span<const ClickRow<Window>> rows) {
    for (const ClickRow<Window>& row : rows) {
        const auto run = guarded([window, handler = row.handler] { (window->*handler)(); });
        if (auto* button = qobject_cast<QAbstractButton*>(row.control)) {
            QObject::connect(button, &QAbstractButton::clicked, window, run);
        } else if (auto* action = qobject_cast<QAction*>(row.control)) {
            QObject::connect(action, &QAction::triggered, window, [action, run](bool checked) {
                if (action->isCheckable())
                    action->setChecked(!checked);
                run();
            });
        }
    }
}

template <class Window>
void wireClicks(Window* window, std::initializer_list<ClickRow<Window>> rows) {
    wireClickTable(window, std::span<const ClickRow<Window>>(rows.begin(), rows.size()));
}

// An activation of a tray icon for one reason (click, double-click, context) runs a handler.
template <class Window>
struct TrayRow {
    QSystemTrayIcon::ActivationReason reason;
    void (Window::*handler)();
};

template <class Window>
void wireTray(Window* window, QSystemTrayIcon* tray, std::initializer_list<TrayRow<Window>> rows) {
    std::vector<TrayRow<Window>> table(rows);
    QObject::connect(tray, &QSystemTrayIcon::activated, window,
                     [window, table](QSystemTrayIcon::ActivationReason reason) {
                         for (const TrayRow<Window>& row : table)
                             if (row.reason == reason)
                                 runGuarded([&] { (window->*row.handler)(); });
                     });
}

// A timer's tick runs a handler of the window.
template <class Window>
struct TimerRow {
    QTimer* timer;
    void (Window::*handler)();
};

template <class Window>
void wireTimers(Window* window, std::initializer_list<TimerRow<Window>> rows) {
    for (const TimerRow<Window>& row : rows)
        QObject::connect(row.timer, &QTimer::timeout, window,
                         guarded([window, handler = row.handler] { (window->*handler)(); }));
}

// An event delivered to one control runs a handler; the handler's answer says whether the event was
// taken (the control then never sees it) or goes on to the control as usual.
struct EventRow {
    QObject* control;
    QEvent::Type type;
    std::function<bool(QEvent*)> handler;
};

// Routes each row's event on its control alone: a filter owned by the control, so nothing else in the
// application passes through it and nothing is handled twice.
void wireEvents(std::initializer_list<EventRow> rows);

} // namespace orvu
