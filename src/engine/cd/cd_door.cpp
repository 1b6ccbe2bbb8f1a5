// Purpose: the CD drive's door through the Linux CD-ROM ioctls on a short-lived device descriptor.
#include "engine/cd/cd_door.h"

#include "engine/engine_types.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <climits> // CDSL_CURRENT is INT_MAX
#include <iterator>
#include <string>

namespace orvu::engine {

namespace {

// An open descriptor on /dev/sr<drive>, closed when it leaves scope. O_NONBLOCK lets the open succeed with
// no disc or an open tray, and does not make the kernel lock the tray while we hold it; the descriptor is
// kept only for one call so that it never keeps the drive busy (an eject fails while others hold it).
class DriveFd {
public:
    explicit DriveFd(std::uint32_t drive)
        : fd_(::open(("/dev/sr" + std::to_string(drive)).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~DriveFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    DriveFd(const DriveFd&) = delete;
    DriveFd& operator=(const DriveFd&) = delete;

    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

bool CdDoor::isOpen(std::uint32_t drive) {
    if (drive >= std::size(locked_)) {
        return false;
    }
    const DriveFd fd(drive);
    return fd.get() >= 0 && ::ioctl(fd.get(), CDROM_DRIVE_STATUS, CDSL_CURRENT) == CDS_TRAY_OPEN;
}

bool CdDoor::isLocked(std::uint32_t drive) const {
    return drive < std::size(locked_) && locked_[drive];
}

bool CdDoor::act(std::uint32_t drive, std::uint32_t action) {
    if (drive >= std::size(locked_) || action > kCdDoorUnlock) {
        return false;
    }
    const DriveFd fd(drive);
    if (fd.get() < 0) {
        return false;
    }
    int result = -1;
    switch (action) {
    case kCdDoorClose:
        result = ::ioctl(fd.get(), CDROMCLOSETRAY, 0);
        break;
    case kCdDoorOpen:
        result = ::ioctl(fd.get(), CDROMEJECT, 0);
        break;
    case kCdDoorLock:
    case kCdDoorUnlock:
        result = ::ioctl(fd.get(), CDROM_LOCKDOOR, action == kCdDoorLock ? 1 : 0);
        if (result == 0) {
            locked_[drive] = action == kCdDoorLock;
        }
        break;
    }
    // EBUSY (door locked or drive held elsewhere), EPERM and ENOSYS all end here as a plain failure.
    return result == 0;
}

} // namespace orvu::engine
