// Purpose: the settings file "ORVU.ini", read and written with the semantics of Windows INI files.
#include "core/settings_file.h"

#include "core/atomic_file.h"
#include "core/player_error.h"

#include <QStringDecoder>
#include <QStringEncoder>

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

// The section named by a header line "[Name]", or nothing when the line is no header.
std::optional<QString> sectionOf(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    return decode(trimmed.mid(1, close < 0 ? -1 : close - 1));
}

// The key of an entry line "Key=Value", or nothing for comments, headers and other lines.
std::optional<QString> keyOf(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    if (trimmed.startsWith(';') || trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype equals = trimmed.indexOf('=');
    if (equals <= 0)
        return std::nullopt;
    QString key = decode(trimmed.left(equals));
    if (key.isEmpty())
        return std::nullopt;
    return key;
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
    QByteArray text = bytes;
    const bool littleEndian = bytes.startsWith("\xFF\xFE");
    if (littleEndian || bytes.startsWith("\xFE\xFF")) {
        document.encoding_ = littleEndian ? Encoding::Utf16LE : Encoding::Utf16BE;
        QStringDecoder decoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        const QString decoded = decoder(bytes.mid(2));
        text = decoded.toLocal8Bit();
        QStringEncoder encoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        document.lossless_ =
            !decoder.hasError() && QByteArray(encoder(QString::fromLocal8Bit(text))) == bytes.mid(2);
    }
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf('\n', start);
        qsizetype end = newline < 0 ? text.size() : newline;
        const qsizetype next = newline < 0 ? text.size() : newline + 1;
        if (end > start && text[end - 1] == '\r')
            --end;
        document.lines_.push_back({text.mid(start, end - start), text.mid(end, next - end)});
        start = next;
    }
    return document;
}

std::optional<QByteArray> IniDocument::serialize() const {
    QByteArray text;
    for (const Line& line : lines_)
        text += line.text + line.end;
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

void IniDocument::insert(std::size_t at, QByteArray text) {
    if (at > 0 && lines_[at - 1].end.isEmpty()) // a last line without an end gets one to stay a line
        lines_[at - 1].end = "\r\n";
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), "\r\n"});
}

IniDocument::Location IniDocument::locate(const QString& section, const QString& key) const {
    Location found;
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = sectionOf(lines_[i].text)) {
            if (found.section) // only the first section of a name counts
                break;
            inside = sameName(*name, section);
            if (inside)
                found.section = i;
            continue;
        }
        if (!inside)
            continue;
        if (const auto name = keyOf(lines_[i].text)) {
            found.lastEntry = i;
            if (!found.key && sameName(*name, key))
                found.key = i;
        }
    }
    return found;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    const Location found = locate(section, key);
    if (!found.key)
        return std::nullopt;
    const QByteArray& line = lines_[*found.key].text;
    QString text = decode(line.mid(line.indexOf('=') + 1));
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
        lines_[*found.key] = {entry, "\r\n"};
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
    const FileReadResult file = readRegularFile(path_);
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
    const FileReadResult file = readRegularFile(path_);
    // A file that exists but cannot be read is not overwritten: its other entries would be lost.
    if (file.error != 0 && file.error != ENOENT)
        throw unableToWrite();
    IniDocument document = IniDocument::parse(file.data);
    for (const SettingValue& v : values)
        document.setValue(v.section, v.key, v.value);
    const std::optional<QByteArray> text = document.serialize();
    if (!text || !writeFileAtomically(path_, *text).isEmpty())
        throw unableToWrite();
}

} // namespace orvu
