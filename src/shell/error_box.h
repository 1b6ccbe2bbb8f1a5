// Purpose: the player's message boxes: the one error box, the other boxes captioned "ORVU", and the
// guard that runs every event handler.
#pragma once

#include "core/player_error.h"

#include <QMessageBox>
#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace orvu {

struct MessageBoxRequest {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

// Shows a modal box with an OK button; the text is plain text (never rich text).
void showMessageBox(const QString& text, QMessageBox::Icon icon,
                    const QString& caption = QStringLiteral("ORVU"));

// Asks a question in a modal box with the given buttons; returns the button chosen.
QMessageBox::StandardButton askMessageBox(const QString& text, QMessageBox::Icon icon,
                                          QMessageBox::StandardButtons buttons,
                                          const QString& caption = QStringLiteral("ORVU"));

// The text the error box shows: the message with a period added when it ends without one.
QString errorBoxText(const QString& message);

// Shows the error box: caption "ORVU", error icon, OK button.
void showErrorBox(const QString& message);

// Replaces how boxes are shown (tests record them and answer instead of opening modal boxes).
// Returns the previous presenter; an empty function restores the real boxes.
using MessagePresenter = std::function<QMessageBox::StandardButton(const MessageBoxRequest&)>;
MessagePresenter setMessagePresenter(MessagePresenter presenter);

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

// Wraps a handler that takes no arguments for connect(): the slot runs it inside runGuarded.
template <class Handler>
auto guarded(Handler handler) {
    return [handler = std::move(handler)] { runGuarded(handler); };
}

} // namespace orvu
