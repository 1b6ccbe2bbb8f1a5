// Purpose: fuzz harnesses of the player's own file formats: the settings file, playlists and presets.
#include "harness.h"

#include "core/player_error.h"
#include "core/playlist_file.h"
#include "core/preset_file.h"
#include "core/settings_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>
#include <vector>

#include <unistd.h>

namespace orvu::fuzz {
namespace {

// Inputs beyond this are cut: the contracts are about structure, which small inputs reach faster.
constexpr std::size_t maxInput = 256 * 1024;

QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(std::min(size, maxInput)));
}

// A scratch file of this process, in memory-backed /dev/shm when there is one.
QString scratchFile(const char* name) {
    const QString dir =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/orvu-fuzz-%2-%3").arg(dir).arg(::getpid()).arg(QString::fromLatin1(name));
}

void writeScratch(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        contractBroken("cannot write the scratch file " + path.toStdString());
}

// A name the writer can use as a section or key as it is: printable ASCII without the INI's own marks
// and without blanks at its ends.
bool plainName(const QString& name) {
    if (name.isEmpty() || name.size() > 64 || name.front() == u' ' || name.back() == u' ')
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() <= 0x7E && c != u'=' && c != u'[' && c != u']' &&
               c != u';' && c != u'"' && c != u'\'';
    });
}

struct Name {
    QString section, key;
    bool is(const QString& s, const QString& k) const {
        return section.compare(s, Qt::CaseInsensitive) == 0 && key.compare(k, Qt::CaseInsensitive) == 0;
    }
};

// The section and key names the text may hold, read loosely (whatever lies between [ and ], and before
// an =), so the check does not depend on the reader's own rules.
std::vector<Name> candidateNames(const QString& text) {
    std::vector<Name> names;
    QString section;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            section = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
        } else if (const qsizetype equals = line.indexOf(u'='); equals > 0) {
            names.push_back({section, line.left(equals).trimmed()});
        }
        if (names.size() >= 64)
            break;
    }
    return names;
}

QString show(const std::optional<QString>& value) {
    return value ? u'"' + *value + u'"' : QStringLiteral("(none)");
}

} // namespace

void iniRoundTrip(const std::uint8_t* data, std::size_t size) {
    const QByteArray text = bytesOf(data, size);
    const bool utf16 = text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF");
    IniDocument document = IniDocument::parse(text);
    const std::optional<QByteArray> unchanged = document.serialize();
    if (!utf16 && unchanged != text)
        contractBroken("an unchanged document is not written back byte for byte");
    if (!unchanged)
        return; // UTF-16 that does not survive decoding is never written
    if (IniDocument::parse(*unchanged).serialize() != unchanged)
        contractBroken("writing a written document again changes it");

    QString decoded;
    if (utf16) {
        QStringDecoder decoder(text.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                           : QStringConverter::Utf16BE);
        decoded = decoder(text.mid(2));
    } else {
        decoded = QString::fromLocal8Bit(text);
    }
    const std::vector<Name> names = candidateNames(decoded);
    std::vector<std::optional<QString>> before;
    for (const Name& name : names)
        before.push_back(document.value(name.section, name.key));

    // Three writes: a key the text may hold, a new key in its first section, a new section.
    const QString value = QStringLiteral("written value 1");
    std::vector<Name> written;
    if (!names.empty() && plainName(names.front().section) && plainName(names.front().key)) {
        written.push_back(names.front());
        written.push_back({names.front().section, QStringLiteral("FuzzNewKey")});
    }
    written.push_back({QStringLiteral("FuzzNewSection"), QStringLiteral("FuzzKey")});
    const bool newSectionIsNew = std::none_of(names.begin(), names.end(), [](const Name& n) {
        return n.section.compare(u"FuzzNewSection", Qt::CaseInsensitive) == 0;
    });
    for (const Name& name : written)
        document.setValue(name.section, name.key, value);

    const std::optional<QByteArray> changed = document.serialize();
    if (!changed)
        contractBroken("a document that was written once cannot be written after a change");
    const IniDocument reread = IniDocument::parse(*changed);
    for (const Name& name : written) {
        if (reread.value(name.section, name.key) != value)
            contractBroken(QStringLiteral("[%1] %2 reads %3 after it was written")
                               .arg(name.section, name.key, show(reread.value(name.section, name.key)))
                               .toStdString());
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Name& name = names[i];
        if (std::any_of(written.begin(), written.end(),
                        [&name](const Name& w) { return name.is(w.section, w.key); }))
            continue;
        const std::optional<QString> after = reread.value(name.section, name.key);
        if (after != before[i])
            contractBroken(QStringLiteral("[%1] %2 changed from %3 to %4 by writing other keys")
                               .arg(name.section, name.key, show(before[i]), show(after))
                               .toStdString());
    }
    // A new section goes at the end: everything before it is kept as it was, apart from a line end
    // that a last line without one needs.
    if (!utf16 && written.size() == 1 && newSectionIsNew && !changed->startsWith(text))
        contractBroken("adding a section changed the text before it");
}

void playlistRoundTrip(const std::uint8_t* data, std::size_t size) {
    const QByteArray text = bytesOf(data, size);
    const QStringList paths = parsePlaylist(text);
    const QByteArray written = serializePlaylist(paths);
    if (parsePlaylist(written) != paths)
        contractBroken("a written playlist reads back different entries");
    // Text that is already in the written form (CR LF after every line, no NUL) is written unchanged.
    const bool canonical = !text.contains('\0') && text.count("\r\n") == text.count('\r') &&
                           text.count("\r\n") == text.count('\n') &&
                           (text.isEmpty() || text.endsWith("\r\n"));
    if (canonical && written != text)
        contractBroken("a playlist in the written form is not written back byte for byte");
    const QString file = scratchFile("playlist.orvl");
    writePlaylistFile(file, paths);
    if (readPlaylistFile(file) != paths)
        contractBroken("a playlist file reads back different entries");
}

void presetRead(const std::uint8_t* data, std::size_t size) {
    const QByteArray text = bytesOf(data, size);
    const QString file = scratchFile("preset.dat");
    writeScratch(file, text);
    const QStringList lines = readPresetFile(file);
    // Presets and playlists split lines by the same rule.
    if (lines.size() != parsePlaylist(text).size())
        contractBroken("a preset file splits into " + std::to_string(lines.size()) + " lines, not " +
                       std::to_string(parsePlaylist(text).size()));
    for (const QString& line : lines) {
        // Decimal digits with an optional sign after leading spaces always parse.
        QString digits = line;
        while (digits.startsWith(u' '))
            digits.remove(0, 1);
        bool strictOk = !digits.isEmpty();
        for (qsizetype i = 0; i < digits.size(); ++i) {
            const QChar c = digits[i];
            const bool digit = c >= u'0' && c <= u'9';
            const bool sign = i == 0 && digits.size() > 1 && (c == u'-' || c == u'+');
            if (!digit && !sign)
                strictOk = false;
        }
        bool numberOk = false;
        const qlonglong number = digits.toLongLong(&numberOk, 10);
        strictOk = strictOk && numberOk && number >= INT_MIN && number <= INT_MAX;
        try {
            const int gain = presetGain(line);
            bool ok = false;
            if (line.trimmed().toInt(&ok, 10) != gain || !ok)
                contractBroken("'" + line.toStdString() + "' gives the gain " + std::to_string(gain));
            const int position = bandPositionForGain(gain);
            if (position < 0 || position > 30)
                contractBroken("gain " + std::to_string(gain) + " gives the slider position " +
                               std::to_string(position));
        } catch (const PlayerError& error) {
            if (error.message() != QStringLiteral("'%1' is not a valid integer value").arg(line))
                contractBroken("the gain error reads " + error.message().toStdString());
            if (strictOk)
                contractBroken("'" + line.toStdString() + "' is refused as a gain");
        }
    }
}

} // namespace orvu::fuzz
