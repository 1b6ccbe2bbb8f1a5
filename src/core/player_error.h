// Purpose: the error that player operations raise and the event-handler guard turns into the error box.
#pragma once

#include <QString>

#include <stdexcept>

namespace orvu {

// An error the player reports to the user in its own words; the message is shown exactly as given.
class PlayerError : public std::runtime_error {
public:
    explicit PlayerError(const QString& message)
        : std::runtime_error(message.toStdString())
        , message_(message) {}

    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

} // namespace orvu
