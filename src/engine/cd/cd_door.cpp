// Purpose: placeholder until the CD door lands.
#include "engine/cd/cd_door.h"

namespace orvu::engine {

bool CdDoor::isOpen(std::uint32_t) {
    return false;
}
bool CdDoor::isLocked(std::uint32_t) const {
    return false;
}
bool CdDoor::act(std::uint32_t, std::uint32_t) {
    return false;
}

} // namespace orvu::engine
