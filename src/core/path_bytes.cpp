// Purpose: file paths as the bytes the system gave, carried losslessly in a QString.
#include "core/path_bytes.h"

#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace orvu {
namespace {

constexpr char16_t escapeBase = 0xDC00;
constexpr char16_t firstEscape = 0xDC80;
constexpr char16_t lastEscape = 0xDCFF;

bool isContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence at the start of bytes (Unicode's table of well-formed
// byte sequences: no overlong forms, no surrogates, nothing beyond U+10FFFF), or 0 when there is none.
qsizetype sequenceLength(const unsigned char* bytes, qsizetype available) {
    const unsigned char lead = bytes[0];
    if (lead < 0x80)
        return 1;
    // The range of the second byte depends on the lead; the others are plain continuations.
    qsizetype length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (available < length || !isContinuation(bytes[1], low, high))
        return 0;
    for (qsizetype i = 2; i < length; ++i)
        if (!isContinuation(bytes[i]))
            return 0;
    return length;
}

char32_t decodeSequence(const unsigned char* bytes, qsizetype length) {
    static constexpr unsigned char leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = bytes[0] & leadMask[length];
    for (qsizetype i = 1; i < length; ++i)
        code = (code << 6) | (bytes[i] & 0x3F);
    return code;
}

void appendUtf8(QByteArray& out, char32_t code) {
    if (code < 0x80) {
        out.append(static_cast<char>(code));
    } else if (code < 0x800) {
        out.append(static_cast<char>(0xC0 | (code >> 6)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.append(static_cast<char>(0xE0 | (code >> 12)));
        out.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.append(static_cast<char>(0xF0 | (code >> 18)));
        out.append(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool isEscape(char16_t unit) {
    return unit >= firstEscape && unit <= lastEscape;
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, reporting whether the close succeeded (a delayed write error shows here).
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

bool writeAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool copyContents(int from, int to) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!writeAll(to, buffer, got))
            return false;
    }
}

} // namespace

QString pathFromBytes(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    QString path;
    path.reserve(size);
    for (qsizetype i = 0; i < size;) {
        const qsizetype length = sequenceLength(data + i, size - i);
        if (length == 0) {
            path.append(QChar(static_cast<char16_t>(escapeBase + data[i])));
            ++i;
            continue;
        }
        const char32_t code = decodeSequence(data + i, length);
        if (code < 0x10000) {
            path.append(QChar(static_cast<char16_t>(code)));
        } else {
            path.append(QChar(QChar::highSurrogate(code)));
            path.append(QChar(QChar::lowSurrogate(code)));
        }
        i += length;
    }
    return path;
}

QByteArray pathToBytes(QStringView path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < path.size() && path[i + 1].isLowSurrogate()) {
            appendUtf8(bytes, QChar::surrogateToUcs4(unit, path[i + 1].unicode()));
            ++i;
        } else if (isEscape(unit)) {
            bytes.append(static_cast<char>(unit - escapeBase));
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(bytes, QChar::ReplacementCharacter);
        } else {
            appendUtf8(bytes, unit);
        }
    }
    return bytes;
}

QString pathForDisplay(QStringView path) {
    QString text = path.toString();
    for (QChar& c : text)
        if (isEscape(c.unicode()))
            c = QChar(QChar::ReplacementCharacter);
    return text;
}

QString pathFromUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
    // The fully encoded path keeps every byte that is not UTF-8 as its percent-escape.
    QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (const QString host = url.host(); !host.isEmpty()) // a network share, as QUrl::toLocalFile gives it
        bytes = "//" + host.toUtf8() + bytes;
    return pathFromBytes(bytes);
}

QStringList commandLineFiles(int argc, const char* const* argv) {
    QStringList files;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        files.append(pathFromBytes(argument));
    }
    return files;
}

bool isRegularFile(QStringView path) {
    struct stat status {};
    return ::stat(pathToBytes(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

bool removeFile(QStringView path) {
    return ::unlink(pathToBytes(path).constData()) == 0;
}

bool copyFile(QStringView source, QStringView target) {
    // O_NONBLOCK keeps a FIFO from hanging the open; it is refused below like every special file.
    Descriptor from(::open(pathToBytes(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (from.get() < 0 || ::fstat(from.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    const QByteArray targetBytes = pathToBytes(target);
    Descriptor to(
        ::open(targetBytes.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, status.st_mode & 07777));
    if (to.get() < 0)
        return false;
    if (copyContents(from.get(), to.get()) && to.close())
        return true;
    ::unlink(targetBytes.constData());
    return false;
}

} // namespace orvu
