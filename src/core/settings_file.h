// Purpose: the settings file "ORVU.ini", read and written with the semantics of Windows INI files.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <span>
#include <vector>

namespace orvu {

// Parses a settings integer: decimal with an optional sign, or hexadecimal after 0x or 0X.
// Anything else ("", "12abc", "x", a value beyond 32 bits) has no value.
std::optional<int> parseIniInteger(QStringView text);

// The lines of an INI file in memory. Unknown sections, keys, comments and blank lines are kept byte
// for byte with the line ends they had; lines the player writes end in CR LF. A file that starts with
// a UTF-16 byte-order mark is read and written as UTF-16, as Windows does.
// Section and key names match without regard to case; the first of duplicates wins.
// The lines are spans of one copy of the text, so a document costs its text and a few bytes per line,
// and a look-up reads each line once without copying it.
class IniDocument {
public:
    static IniDocument parse(const QByteArray& text);
    // Nothing when the document cannot be written back without changing what it does not own (UTF-16
    // text that does not survive decoding).
    std::optional<QByteArray> serialize() const;

    // The key's value with the blanks around it trimmed and then one pair of matching quotes (" or ')
    // around the whole of it taken off: "Simple" reads as Simple, " 80 " as  80 .
    std::optional<QString> value(const QString& section, const QString& key) const;
    // Replaces the key's value in place; a new key goes after the last key of its section,
    // a new section at the end of the document.
    void setValue(const QString& section, const QString& key, const QString& value);

private:
    struct Location {
        std::optional<std::size_t> section;   // line of the section header
        std::optional<std::size_t> key;       // line of the key
        std::optional<std::size_t> lastEntry; // last key line of the section
    };
    enum class LineEnd : unsigned char { None, Lf, CrLf };
    // A line of text_, or of written_ once the player has written it; without its line end.
    struct Line {
        qsizetype start = 0;
        qsizetype length = 0;
        LineEnd end = LineEnd::None; // None only for a last line without one
        bool written = false;
    };
    enum class Encoding { Local8Bit, Utf16LE, Utf16BE };

    QByteArrayView textOf(const Line& line) const;
    Location locate(const QString& section, const QString& key) const;
    Line addWritten(const QByteArray& text);
    void insert(std::size_t at, const QByteArray& text);

    QByteArray text_;    // in the locale's 8-bit encoding
    QByteArray written_; // the lines the player wrote, one after another
    std::vector<Line> lines_;
    Encoding encoding_ = Encoding::Local8Bit;
    bool lossless_ = true; // the UTF-16 text decoded without loss
};

struct SettingValue {
    QString section;
    QString key;
    QString value;
};

// The settings file on disk. It caches nothing: every read reads the file and every write reaches
// the disk at once, atomically. A missing or unreadable file reads as empty, so every key takes its
// default. A failed write raises PlayerError "Unable to write to <path>" and leaves the file as it was.
// A file larger than maxFileSize (a thousand times what the player writes) is not read: every key
// reads as its default and every write fails as above, so the file stays whole for its owner to mend;
// a write that would take the file past the limit fails the same way.
class SettingsFile {
public:
    static constexpr qsizetype maxTextLength = 2047;
    static constexpr qsizetype maxFileSize = qsizetype{1} << 20;

    explicit SettingsFile(QString path);
    const QString& path() const { return path_; }

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    // Writes several values in order with one replacement of the file.
    void writeValues(std::span<const SettingValue> values);

private:
    std::optional<QString> rawValue(const QString& section, const QString& key) const;

    QString path_;
};

} // namespace orvu
