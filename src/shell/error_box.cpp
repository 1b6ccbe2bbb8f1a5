// Purpose: the player's message boxes: the one error box, the other boxes captioned "ORVU", and the
// guard that runs every event handler.
#include "shell/error_box.h"

namespace orvu {
namespace {

void showModalBox(const MessageBoxRequest& request) {
    QMessageBox box(request.icon, request.caption, request.text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

MessagePresenter& presenter() {
    static MessagePresenter current;
    return current;
}

} // namespace

void showMessageBox(const QString& text, QMessageBox::Icon icon, const QString& caption) {
    const MessageBoxRequest request{text, caption, icon};
    if (presenter())
        presenter()(request);
    else
        showModalBox(request);
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
