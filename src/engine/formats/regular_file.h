// Purpose: reading a whole local regular file without ever blocking on a FIFO or a device.
// Header-only so that add-ons, which are built apart from the engine, can use it too.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvu::engine {

// The file's bytes; empty when the path is not a regular file, is empty or larger than maxBytes.
// O_NONBLOCK keeps a FIFO from blocking the open.
inline std::vector<char> readRegularFile(const std::string& path, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::vector<char> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        static_cast<std::size_t>(info.st_size) <= maxBytes) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
    }
    ::close(fd);
    return bytes;
}

} // namespace orvu::engine
