// Purpose: opening and reading local regular files without ever blocking on a FIFO or a device.
// Header-only so that add-ons, which are built apart from the engine, can use it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvu::engine {

// A file descriptor, closed by its owner.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept
        : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

// A non-empty local regular file, open for reading.
struct RegularFile {
    UniqueFd fd;
    std::int64_t size = 0;
};

// Opens the path when it names a non-empty regular file; an empty fd otherwise. O_NONBLOCK keeps a FIFO
// from blocking the open, and fstat of the opened file refuses FIFOs, devices, sockets and directories,
// so the file checked is the file read: whoever reads goes through this descriptor, never the path.
inline RegularFile openRegularFile(const std::string& path) {
    RegularFile file{UniqueFd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))};
    struct stat info {};
    if (!file.fd || ::fstat(file.fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return {};
    file.size = info.st_size;
    return file;
}

// Up to `count` bytes of an open file from `offset`; fewer at its end or on an error.
inline std::size_t readAt(int fd, void* out, std::size_t count, std::int64_t offset) {
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd, static_cast<char*>(out) + got, count - got,
                                  static_cast<off_t>(offset + static_cast<std::int64_t>(got)));
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

// The whole of an open file of `size` bytes (what there is, should it have shrunk); empty when it is
// larger than maxBytes.
template <class Byte = char>
std::vector<Byte> readWhole(int fd, std::int64_t size, std::size_t maxBytes) {
    static_assert(sizeof(Byte) == 1);
    if (size <= 0 || static_cast<std::uint64_t>(size) > maxBytes)
        return {};
    std::vector<Byte> bytes(static_cast<std::size_t>(size));
    bytes.resize(readAt(fd, bytes.data(), bytes.size(), 0));
    return bytes;
}

// The bytes of the file at path; empty when it is not a regular file, is empty or is larger than
// maxBytes.
inline std::vector<char> readRegularFile(const std::string& path, std::size_t maxBytes) {
    const RegularFile file = openRegularFile(path);
    return file.fd ? readWhole(file.fd.get(), file.size, maxBytes) : std::vector<char>{};
}

} // namespace orvu::engine
