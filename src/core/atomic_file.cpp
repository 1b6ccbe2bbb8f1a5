// Purpose: whole-file reads that never block on special files, and writes that replace a file atomically.
#include "core/atomic_file.h"

#include "core/path_bytes.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvu {
namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int close() {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

std::atomic<int> injectedWriteError{0};

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Symbolic links are followed, so the link stays and its target is replaced.
QByteArray resolvedTarget(const QString& path) {
    const QByteArray bytes = pathToBytes(path);
    struct stat link {};
    if (::lstat(bytes.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(bytes.constData(), nullptr),
                                                             &std::free);
        if (resolved)
            return QByteArray(resolved.get());
    }
    return bytes;
}

// The directory part and the name part of a path's bytes.
std::pair<QByteArray, QByteArray> splitDirectory(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArray("."), path};
    return {slash == 0 ? QByteArray("/") : path.left(slash), path.mid(slash + 1)};
}

QByteArray temporaryNameFor(const QByteArray& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".tmp-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(counter++);
}

bool processRuns(qint64 pid) {
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void syncDirectoryOf(const QByteArray& target) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray directory = slash < 0    ? QByteArray(".")
                                 : slash == 0 ? QByteArray("/")
                                              : target.left(slash);
    FileDescriptor fd(::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

} // namespace

FileReadResult readRegularFile(const QString& path) {
    FileReadResult result;
    const auto fail = [&result](int error, QString reason) {
        result.data.clear();
        result.error = error;
        result.reason = std::move(reason);
        return result;
    };

    // O_NONBLOCK keeps open() from waiting for a writer when the path is a FIFO.
    FileDescriptor fd(::open(pathToBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return fail(errno, systemReason(errno));
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return fail(errno, systemReason(errno));
    if (S_ISDIR(status.st_mode))
        return fail(EISDIR, systemReason(EISDIR));
    if (!S_ISREG(status.st_mode))
        return fail(EINVAL, QStringLiteral("Not a regular file"));

    result.data.reserve(static_cast<qsizetype>(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno, systemReason(errno));
        }
        if (got == 0)
            break;
        result.data.append(buffer, got);
    }
    return result;
}

QString writeFileAtomically(const QString& path, const QByteArray& data) {
    const QByteArray target = resolvedTarget(path);

    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode))
            return systemReason(EISDIR);
        if (!S_ISREG(old.st_mode))
            return QStringLiteral("Not a regular file");
        // A file without any write bit is read-only even for a user whom the system would let write it.
        if ((old.st_mode & 0222) == 0 || ::access(target.constData(), W_OK) != 0)
            return systemReason(EACCES);
    }

    QByteArray temporary;
    int fdNumber = -1;
    for (int attempt = 0; attempt < 100 && fdNumber < 0; ++attempt) {
        temporary = temporaryNameFor(target);
        fdNumber = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fdNumber < 0 && errno != EEXIST)
            return systemReason(errno);
    }
    if (fdNumber < 0)
        return systemReason(EEXIST);
    FileDescriptor fd(fdNumber);

    const auto fail = [&temporary](int error) {
        ::unlink(temporary.constData());
        return systemReason(error);
    };
    if (exists && ::fchmod(fd.get(), old.st_mode & 07777) != 0)
        return fail(errno);
    if (const int injected = injectedWriteError.load(std::memory_order_relaxed); injected != 0) {
        // As a disk that fills up midway: part of the data is on disk when the write fails.
        writeAll(fd.get(), data.constData(), data.size() / 2);
        return fail(injected);
    }
    if (!writeAll(fd.get(), data.constData(), data.size()))
        return fail(errno);
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (fd.close() != 0)
        return fail(errno);
    if (::rename(temporary.constData(), target.constData()) != 0)
        return fail(errno);
    syncDirectoryOf(target);
    return {};
}

int failFileWritesWith(int error) {
    return injectedWriteError.exchange(error);
}

void removeStaleTemporaries(const QString& path) {
    // Names are compared as bytes, so a directory or file name that is not UTF-8 is handled alike.
    const auto [directory, name] = splitDirectory(resolvedTarget(path));
    const QByteArray prefix = name + ".tmp-";
    struct CloseDirectory {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, CloseDirectory> listing(::opendir(directory.constData()));
    if (!listing)
        return;
    std::vector<QByteArray> stale;
    while (const dirent* entry = ::readdir(listing.get())) {
        const QByteArray candidate(entry->d_name);
        if (!candidate.startsWith(prefix))
            continue;
        // <name>.tmp-<pid>-<counter>, both decimal
        const QList<QByteArray> numbers = candidate.mid(prefix.size()).split('-');
        const auto decimal = [](const QByteArray& text) {
            return !text.isEmpty() &&
                   std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        if (numbers.size() == 2 && decimal(numbers[0]) && decimal(numbers[1]) &&
            !processRuns(numbers[0].toLongLong()))
            stale.push_back(directory + '/' + candidate);
    }
    for (const QByteArray& file : stale) {
        struct stat status {};
        if (::lstat(file.constData(), &status) == 0 && S_ISREG(status.st_mode))
            ::unlink(file.constData());
    }
}

} // namespace orvu
