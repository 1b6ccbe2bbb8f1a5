// Purpose: the equalizer presets: the preset list, where a preset file is found, and its ten gain lines.
#include "core/preset_file.h"

#include "core/atomic_file.h"
#include "core/path_bytes.h"
#include "core/player_error.h"

#include <algorithm>
#include <limits>

#include <sys/stat.h>

namespace orvu {
namespace {

// Whether something other than a directory is at the path, following symbolic links: a preset that is
// there but cannot be read (no permission, a FIFO) is reported rather than taken for a missing one.
bool fileExists(const QString& path) {
    struct stat status {};
    return ::stat(pathToBytes(path).constData(), &status) == 0 && !S_ISDIR(status.st_mode);
}

} // namespace

const std::array<QString, presetCount>& presetNames() {
    static const std::array<QString, presetCount> names = {
        QStringLiteral("Flat"),    QStringLiteral("Blues"),  QStringLiteral("Rock"),
        QStringLiteral("Reggae"),  QStringLiteral("Pop"),    QStringLiteral("Classical"),
        QStringLiteral("Hip Hop"), QStringLiteral("Club"),   QStringLiteral("R&B"),
        QStringLiteral("Rap"),     QStringLiteral("Trance"), QStringLiteral("House"),
        QStringLiteral("Other"),
    };
    return names;
}

int presetIndexOf(const QString& text) {
    const auto& names = presetNames();
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (names[index].compare(text, Qt::CaseInsensitive) == 0)
            return static_cast<int>(index);
    }
    return -1;
}

QString findPresetFile(const QString& name, const QString& appDir) {
    const QString relative = QStringLiteral("presets/") + name + QStringLiteral(".dat");
    if (fileExists(relative))
        return relative;
    if (fileExists(appDir + relative))
        return appDir + relative;
    return {};
}

QStringList readPresetFile(const QString& path) {
    const FileReadResult file = readRegularFile(path);
    if (file.error != 0)
        throw PlayerError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(pathForDisplay(path), file.reason));
    const qsizetype nul = file.data.indexOf('\0');
    const QByteArrayView text = QByteArrayView(file.data).first(nul < 0 ? file.data.size() : nul);
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype stop = start;
        while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n')
            ++stop;
        lines.append(QString::fromLocal8Bit(text.sliced(start, stop - start)));
        if (stop + 1 < text.size() && text[stop] == '\r' && text[stop + 1] == '\n')
            ++stop;
        start = stop + 1;
    }
    return lines;
}

int presetGain(const QString& line) {
    QStringView digits(line);
    while (!digits.isEmpty() && (digits.front() == u' ' || digits.front() == u'\t'))
        digits = digits.mid(1);
    bool negative = false;
    if (!digits.isEmpty() && (digits.front() == u'-' || digits.front() == u'+')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    qint64 magnitude = 0;
    bool valid = !digits.isEmpty();
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9' || magnitude > std::numeric_limits<int>::max() + qint64(1)) {
            valid = false;
            break;
        }
        magnitude = magnitude * 10 + (c.unicode() - u'0');
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (!valid || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw PlayerError(QStringLiteral("'%1' is not a valid integer value").arg(line));
    return static_cast<int>(value);
}

int bandPositionForGain(int gain) {
    // In 64 bits: 15 minus the most negative 32-bit gain does not fit in 32.
    return static_cast<int>(std::clamp<qint64>(15 - qint64(gain), 0, 30));
}

} // namespace orvu
