// Purpose: the CD drive's door: open, close, lock and unlock, and its state, through Linux ioctls.
#pragma once

#include <cstdint>

namespace orvu::engine {

// Drive n is /dev/sr<n>. With no such drive the queries answer false and the actions fail, silently.
// Called from the UI thread only.
class CdDoor {
public:
    bool isOpen(std::uint32_t drive);
    bool isLocked(std::uint32_t drive) const;
    bool act(std::uint32_t drive, std::uint32_t action); // kCdDoorClose, Open, Lock, Unlock

private:
    bool locked_[26] = {}; // the kernel cannot report a lock, so the last lock we set is remembered
};

} // namespace orvu::engine
