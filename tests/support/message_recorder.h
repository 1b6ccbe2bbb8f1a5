// Purpose: test helper that records the player's message boxes instead of showing them.
#pragma once

#include "shell/error_box.h"

#include <QList>
#include <QStringList>

namespace orvu::test {

class MessageRecorder {
public:
    MessageRecorder() {
        previous_ = setMessagePresenter([this](const MessageBoxRequest& request) {
            boxes.append(request);
            return answer;
        });
    }
    ~MessageRecorder() { setMessagePresenter(std::move(previous_)); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QStringList texts() const {
        QStringList result;
        for (const MessageBoxRequest& box : boxes)
            result.append(box.text);
        return result;
    }

    QList<MessageBoxRequest> boxes;
    QMessageBox::StandardButton answer = QMessageBox::Ok; // what every box answers

private:
    MessagePresenter previous_;
};

} // namespace orvu::test
