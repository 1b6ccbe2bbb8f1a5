// Purpose: the player's one error box, and the guard that runs every event handler.
#pragma once

#include "shell/player_error.h"

#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace orvu {

// The text the box shows: the message with a period added when it ends without one.
QString errorBoxText(const QString& message);

// Shows the error box: caption "ORVU", error icon, OK button, the text as plain text (never rich text).
void showErrorBox(const QString& message);

// Replaces how the box is shown (tests record the text instead of opening a modal box).
// Returns the previous presenter; an empty function restores the real box.
using ErrorPresenter = std::function<void(const QString& text)>;
ErrorPresenter setErrorPresenter(ErrorPresenter presenter);

// Runs an event handler; an error it raises ends the handler and shows the error box, so no
// exception ever reaches Qt's event loop.
template <class Handler>
void runGuarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (const PlayerError& error) {
        showErrorBox(error.message());
    } catch (const std::exception& error) {
        showErrorBox(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showErrorBox(QStringLiteral("Unknown error"));
    }
}

// Wraps a handler for connect(): the slot runs it inside runGuarded.
template <class Handler>
auto guarded(Handler handler) {
    return [handler = std::move(handler)](auto&&... args) {
        runGuarded([&] { handler(std::forward<decltype(args)>(args)...); });
    };
}

} // namespace orvu
