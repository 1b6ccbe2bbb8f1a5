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

// The lines of an INI file in memory. Unknown sections, keys, comments and blank lines are kept as
// they are; section and key names match without regard to case; the first of duplicates wins.
class IniDocument {
public:
    static IniDocument parse(const QByteArray& text);
    QByteArray serialize() const; // every line followed by CR LF

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
    Location locate(const QString& section, const QString& key) const;

    std::vector<QByteArray> lines_;
};

struct SettingValue {
    QString section;
    QString key;
    QString value;
};

// The settings file on disk. It caches nothing: every read reads the file and every write reaches
// the disk at once, atomically. A missing or unreadable file reads as empty, so every key takes its
// default. A failed write raises PlayerError "Unable to write to <path>" and leaves the file as it was.
class SettingsFile {
public:
    static constexpr qsizetype maxTextLength = 2047;

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
