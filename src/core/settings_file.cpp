// Purpose: the settings file "ORVU.ini", read and written with the semantics of Windows INI files.
#include "core/settings_file.h"

#include "core/atomic_file.h"
#include "core/path_bytes.h"
#include "core/player_error.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <sys/stat.h>

#include <cerrno>
#include <limits>

namespace orvu {
namespace {

QString decode(QByteArrayView bytes) {
    return QString::fromLocal8Bit(bytes).trimmed();
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isAscii(QByteArrayView bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) > 127)
            return false;
    return true;
}

bool isAscii(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 127)
            return false;
    return true;
}

// A name asked for, compared with the names in the file. ASCII names on both sides compare byte by
// byte, without decoding; any other pair goes through Unicode case folding (which makes, for one, the
// Kelvin sign the same letter as k).
class NameMatcher {
public:
    explicit NameMatcher(const QString& name)
        : name_(name)
        , ascii_(isAscii(name))
        , latin1_(ascii_ ? name.toLatin1() : QByteArray()) {}

    // 1 for the same name, 0 for another, -1 for a name that is empty once trimmed.
    int compare(QByteArrayView raw) const {
        if (ascii_ && isAscii(raw)) {
            const QByteArrayView trimmed = raw.trimmed();
            if (trimmed.isEmpty())
                return -1;
            return trimmed.compare(latin1_, Qt::CaseInsensitive) == 0 ? 1 : 0;
        }
        const QString decoded = decode(raw);
        if (decoded.isEmpty())
            return -1;
        return sameName(decoded, name_) ? 1 : 0;
    }

private:
    QString name_;
    bool ascii_;
    QByteArray latin1_;
};

// The name bytes of a section header line "[Name]", or nothing when the line is no header.
std::optional<QByteArrayView> sectionNameOf(QByteArrayView line) {
    const QByteArrayView trimmed = line.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    return trimmed.sliced(1, (close < 0 ? trimmed.size() : close) - 1);
}

// The key bytes of an entry line "Key=Value", or nothing for comments, headers and other lines.
std::optional<QByteArrayView> keyNameOf(QByteArrayView line) {
    const QByteArrayView trimmed = line.trimmed();
    if (trimmed.startsWith(';') || trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype equals = trimmed.indexOf('=');
    if (equals <= 0)
        return std::nullopt;
    return trimmed.first(equals);
}

// The settings file's bytes. A file beyond the size limit is not read and fails with EFBIG.
FileReadResult readSettingsText(const QString& path) {
    struct stat status {};
    const bool tooLarge = ::stat(pathToBytes(path).constData(), &status) == 0 && S_ISREG(status.st_mode) &&
                          status.st_size > SettingsFile::maxFileSize;
    FileReadResult file = tooLarge ? FileReadResult{} : readRegularFile(path);
    // The size is checked again after reading: the file may have grown in between.
    if (tooLarge || file.data.size() > SettingsFile::maxFileSize)
        return FileReadResult{{}, EFBIG, QStringLiteral("File too large")};
    return file;
}

QByteArray entryLine(const QString& key, const QString& value) {
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' '); // a line break would split the entry
    return key.toLocal8Bit() + '=' + oneLine.toLocal8Bit();
}

} // namespace

std::optional<int> parseIniInteger(QStringView text) {
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text = text.mid(2);
    }
    if (text.isEmpty())
        return std::nullopt;
    qint64 magnitude = 0;
    for (const QChar c : text) {
        const int digit = base == 16 && c.isLetter() ? (c.toLower().unicode() - u'a' + 10) : c.digitValue();
        if (c.unicode() > 127 || digit < 0 || digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFLL)
            return std::nullopt;
    }
    if (base == 16) // hexadecimal spells the 32 bits, so 0xFFFFFFFF is -1
        magnitude = static_cast<qint32>(static_cast<quint32>(magnitude));
    const qint64 value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

IniDocument IniDocument::parse(const QByteArray& bytes) {
    IniDocument document;
    document.text_ = bytes;
    const bool littleEndian = bytes.startsWith("\xFF\xFE");
    if (littleEndian || bytes.startsWith("\xFE\xFF")) {
        document.encoding_ = littleEndian ? Encoding::Utf16LE : Encoding::Utf16BE;
        QStringDecoder decoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        const QString decoded = decoder(QByteArrayView(bytes).sliced(2));
        document.text_ = decoded.toLocal8Bit();
        QStringEncoder encoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        document.lossless_ =
            !decoder.hasError() &&
            QByteArray(encoder(QString::fromLocal8Bit(document.text_))) == QByteArrayView(bytes).sliced(2);
    }
    const QByteArray& text = document.text_;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf('\n', start);
        Line line{start, (newline < 0 ? text.size() : newline) - start, LineEnd::None, false};
        if (newline >= 0) {
            const bool cr = line.length > 0 && text[newline - 1] == '\r';
            line.length -= cr ? 1 : 0;
            line.end = cr ? LineEnd::CrLf : LineEnd::Lf;
        }
        document.lines_.push_back(line);
        start = newline < 0 ? text.size() : newline + 1;
    }
    return document;
}

QByteArrayView IniDocument::textOf(const Line& line) const {
    return QByteArrayView(line.written ? written_ : text_).sliced(line.start, line.length);
}

std::optional<QByteArray> IniDocument::serialize() const {
    QByteArray text;
    text.reserve(text_.size() + written_.size() + 2 * static_cast<qsizetype>(lines_.size()));
    for (const Line& line : lines_) {
        text += textOf(line);
        if (line.end != LineEnd::None)
            text += line.end == LineEnd::CrLf ? QByteArrayView("\r\n") : QByteArrayView("\n");
    }
    switch (encoding_) {
    case Encoding::Local8Bit:
        return text;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        if (!lossless_)
            return std::nullopt;
        const bool littleEndian = encoding_ == Encoding::Utf16LE;
        QStringEncoder encoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return QByteArray(littleEndian ? "\xFF\xFE" : "\xFE\xFF") +
               QByteArray(encoder(QString::fromLocal8Bit(text)));
    }
    }
    return std::nullopt;
}

IniDocument::Line IniDocument::addWritten(const QByteArray& text) {
    const Line line{written_.size(), text.size(), LineEnd::CrLf, true};
    written_ += text;
    return line;
}

void IniDocument::insert(std::size_t at, const QByteArray& text) {
    if (at > 0 && lines_[at - 1].end == LineEnd::None) // a last line without an end gets one to stay a line
        lines_[at - 1].end = LineEnd::CrLf;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), addWritten(text));
}

IniDocument::Location IniDocument::locate(const QString& section, const QString& key) const {
    const NameMatcher sectionName(section);
    const NameMatcher keyName(key);
    Location found;
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const QByteArrayView line = textOf(lines_[i]);
        if (const auto name = sectionNameOf(line)) {
            if (found.section) // only the first section of a name counts
                break;
            const int match = sectionName.compare(*name);
            inside = match == 1 || (match == -1 && section.isEmpty());
            if (inside)
                found.section = i;
            continue;
        }
        if (!inside)
            continue;
        if (const auto name = keyNameOf(line)) {
            const int match = keyName.compare(*name);
            if (match == -1)
                continue;
            found.lastEntry = i;
            if (!found.key && match == 1)
                found.key = i;
        }
    }
    return found;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    const Location found = locate(section, key);
    if (!found.key)
        return std::nullopt;
    const QByteArrayView line = textOf(lines_[*found.key]);
    QString text = decode(line.sliced(line.indexOf('=') + 1));
    // One pair of quotes around the whole value is the INI way to keep blanks at its ends; the value
    // is what lies between them, kept as it is.
    if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front())
        text = text.mid(1, text.size() - 2);
    return text;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    const Location found = locate(section, key);
    const QByteArray entry = entryLine(key, value);
    if (found.key) {
        lines_[*found.key] = addWritten(entry);
    } else if (found.section) {
        insert(found.lastEntry.value_or(*found.section) + 1, entry);
    } else {
        insert(lines_.size(), '[' + section.toLocal8Bit() + ']');
        insert(lines_.size(), entry);
    }
}

SettingsFile::SettingsFile(QString path)
    : path_(std::move(path)) {}

std::optional<QString> SettingsFile::rawValue(const QString& section, const QString& key) const {
    const FileReadResult file = readSettingsText(path_);
    if (file.error != 0)
        return std::nullopt;
    return IniDocument::parse(file.data).value(section, key);
}

QString SettingsFile::readString(const QString& section, const QString& key,
                                 const QString& defaultValue) const {
    const std::optional<QString> value = rawValue(section, key);
    if (!value)
        return defaultValue.left(maxTextLength);
    return value->left(maxTextLength);
}

int SettingsFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    const std::optional<QString> value = rawValue(section, key);
    return value ? parseIniInteger(*value).value_or(defaultValue) : defaultValue;
}

bool SettingsFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void SettingsFile::writeString(const QString& section, const QString& key, const QString& value) {
    const SettingValue one{section, key, value};
    writeValues({&one, 1});
}

void SettingsFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void SettingsFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsFile::writeValues(std::span<const SettingValue> values) {
    const auto unableToWrite = [this] {
        return PlayerError(QStringLiteral("Unable to write to %1").arg(path_));
    };
    const FileReadResult file = readSettingsText(path_);
    // A file that exists but cannot be read (or is too large to read) is not overwritten: its other
    // entries would be lost.
    if (file.error != 0 && file.error != ENOENT)
        throw unableToWrite();
    IniDocument document = IniDocument::parse(file.data);
    for (const SettingValue& v : values)
        document.setValue(v.section, v.key, v.value);
    const std::optional<QByteArray> text = document.serialize();
    // A file past the size limit could not be read back, so it is not written either.
    if (!text || text->size() > maxFileSize || !writeFileAtomically(path_, *text).isEmpty())
        throw unableToWrite();
}

} // namespace orvu
