// Purpose: test helper that runs an operation and returns the PlayerError message it raised.
#pragma once

#include "core/player_error.h"

#include <QString>

namespace orvu::test {

// The message of the PlayerError the operation raised; empty when it raised none.
template <class Operation>
QString errorMessageOf(Operation&& operation) {
    try {
        operation();
    } catch (const PlayerError& error) {
        return error.message();
    }
    return {};
}

} // namespace orvu::test
