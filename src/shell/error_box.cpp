// Purpose: the player's one error box, and the guard that runs every event handler.
#include "shell/error_box.h"

#include <QMessageBox>

namespace orvu {
namespace {

void showModalBox(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ORVU"), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

ErrorPresenter& presenter() {
    static ErrorPresenter current;
    return current;
}

} // namespace

QString errorBoxText(const QString& message) {
    if (message.endsWith(u'.'))
        return message;
    return message + u'.';
}

void showErrorBox(const QString& message) {
    const QString text = errorBoxText(message);
    if (presenter())
        presenter()(text);
    else
        showModalBox(text);
}

ErrorPresenter setErrorPresenter(ErrorPresenter replacement) {
    return std::exchange(presenter(), std::move(replacement));
}

} // namespace orvu
