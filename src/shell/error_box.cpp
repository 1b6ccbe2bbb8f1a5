// Purpose: the player's message boxes: the one error box, the other boxes captioned "ORVU", and the
// guard that runs every event handler.
#include "shell/error_box.h"

namespace orvu {
namespace {

QMessageBox::StandardButton showModalBox(const MessageBoxRequest& request) {
    QMessageBox box(request.icon, request.caption, request.text, request.buttons);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return box.standardButton(box.clickedButton());
}

MessagePresenter& presenter() {
    static MessagePresenter current;
    return current;
}

} // namespace

QMessageBox::StandardButton askMessageBox(const QString& text, QMessageBox::Icon icon,
                                          QMessageBox::StandardButtons buttons, const QString& caption) {
    const MessageBoxRequest request{text, caption, icon, buttons};
    return presenter() ? presenter()(request) : showModalBox(request);
}

void showMessageBox(const QString& text, QMessageBox::Icon icon, const QString& caption) {
    askMessageBox(text, icon, QMessageBox::Ok, caption);
}

QString errorBoxText(const QString& message) {
    if (message.endsWith(u'.'))
        return message;
    return message + u'.';
}

void showErrorBox(const QString& message) {
    showMessageBox(errorBoxText(message), QMessageBox::Critical);
}

MessagePresenter setMessagePresenter(MessagePresenter replacement) {
    return std::exchange(presenter(), std::move(replacement));
}

} // namespace orvu
