// Purpose: tests of the CD door on a machine without the drive asked for.
#include "engine/cd/cd_door.h"
#include "engine/engine_types.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace orvu::engine {
namespace {

// With no drive node, every action fails, the door never reads as open, and a failed lock is not remembered.
TEST(CdDoor, MissingDriveAnswersFalseAndActionsFail) {
    for (const std::uint32_t drive : {25u, 26u, 1000u}) {
        SCOPED_TRACE(drive);
        if (drive < 26 && ::access(("/dev/sr" + std::to_string(drive)).c_str(), F_OK) == 0) {
            GTEST_SKIP() << "this machine has /dev/sr" << drive;
        }
        CdDoor door;
        EXPECT_FALSE(door.isOpen(drive));
        for (const std::uint32_t action : {kCdDoorClose, kCdDoorOpen, kCdDoorLock, kCdDoorUnlock}) {
            EXPECT_FALSE(door.act(drive, action)) << "action " << action;
        }
        EXPECT_FALSE(door.isLocked(drive));
    }
}

// An unknown action is refused before any device is touched.
TEST(CdDoor, UnknownActionFails) {
    CdDoor door;
    EXPECT_FALSE(door.act(0, kCdDoorUnlock + 1));
    EXPECT_FALSE(door.isLocked(0));
}

} // namespace
} // namespace orvu::engine
