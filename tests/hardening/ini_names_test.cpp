// Purpose: the settings reader finds section and key names by the same rules whether they are plain
// ASCII, which it compares without decoding, or any other text, which it compares by case folding.
#include "core/settings_file.h"

#include <gtest/gtest.h>

using namespace orvu;
using namespace Qt::StringLiterals;

// Each document is looked up for section "Sec" or key "Key" as the case gives them; the value found
// (or none) shows which line matched, and a write of the same name must land on that same line.
TEST(IniNames, AsciiAndUnicodeNamesMatchAlike) {
    struct Case {
        const char* name;
        QByteArray text;
        QString section;
        QString key;
        std::optional<QString> value;
        QByteArray afterWrite; // the text once the key is set to "w"
    };
    const Case cases[] = {
        {"case and blanks", "[ sEc ]\r\n  kEY =1\r\n", u"Sec"_s, u"key"_s, u"1"_s, "[ sEc ]\r\nkey=w\r\n"},
        {"Kelvin sign in the file",
         "[Sec]\n\xE2\x84\xAA"
         "ey=1\n",
         u"Sec"_s, u"key"_s, u"1"_s, "[Sec]\nkey=w\r\n"},
        {"Kelvin sign asked for", "[Sec]\nKEY=1\n", u"Sec"_s, u"\u212Aey"_s, u"1"_s,
         "[Sec]\n\xE2\x84\xAA"
         "ey=w\r\n"},
        {"accented, other case",
         "[S\xC3\xA9"
         "c]\nK\xC3\xA9Y=1\n",
         u"S\u00C9C"_s, u"k\u00E9y"_s, u"1"_s,
         "[S\xC3\xA9"
         "c]\nk\xC3\xA9y=w\r\n"},
        {"no-break space trimmed", "[Sec]\n\xC2\xA0Key\xC2\xA0=1\n", u"Sec"_s, u"Key"_s, u"1"_s,
         "[Sec]\nKey=w\r\n"},
        {"a name of blanks is no key", "[Sec]\nK=1\n\xC2\xA0=2\n", u"Sec"_s, u"Key"_s, std::nullopt,
         "[Sec]\nK=1\nKey=w\r\n\xC2\xA0=2\n"},
        {"empty section name", "[ ]\nKey=1\n", QString(), u"Key"_s, u"1"_s, "[ ]\nKey=w\r\n"},
        {"first section of a name wins", "[Sec]\nA=1\n[SEC]\nKey=2\n", u"Sec"_s, u"Key"_s, std::nullopt,
         "[Sec]\nA=1\nKey=w\r\n[SEC]\nKey=2\n"},
        {"prefix is not the name", "[Sec]\nKeys=1\nKe=2\n", u"Sec"_s, u"Key"_s, std::nullopt,
         "[Sec]\nKeys=1\nKe=2\nKey=w\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IniDocument document = IniDocument::parse(c.text);
        EXPECT_EQ(document.value(c.section, c.key), c.value);
        document.setValue(c.section, c.key, u"w"_s);
        EXPECT_EQ(document.serialize(), std::optional<QByteArray>(c.afterWrite));
        EXPECT_EQ(document.value(c.section, c.key), std::optional<QString>(u"w"_s));
    }
}
