// Purpose: tests of the tag format language (field keywords, functions, escapes and syntax errors).
#include "engine/tags/tags.h"

#include <gtest/gtest.h>

#include <string_view>

namespace orvu::engine {
namespace {

// Every field holds a distinct value, so a keyword mapped to the wrong field shows.
TagFields sampleFields() {
    TagFields f;
    f.title = "Song";
    f.artist = "Artist";
    f.album = ""; // absent, for the conditional functions
    f.genre = "Rock";
    f.year = "2004";
    f.comment = "  padded  ";
    f.track = "3/12";
    f.composer = "Zoë";
    f.copyright = "(c) Label";
    f.subtitle = "Sub";
    f.albumArtist = "Band";
    f.disc = "1/2";
    f.publisher = "Pub";
    return f;
}

struct FormatCase {
    std::string_view format;
    std::string_view expected;
};

// Each field keyword expands to its own field, and only that field.
TEST(TagFormat, FieldKeywordsExpandToTheirFields) {
    const FormatCase cases[] = {
        {"%TITL", "Song"},      {"%ARTI", "Artist"},     {"%ALBM", ""},     {"%GNRE", "Rock"},
        {"%YEAR", "2004"},      {"%CMNT", "  padded  "}, {"%TRCK", "3/12"}, {"%COMP", "Zoë"},
        {"%COPY", "(c) Label"}, {"%SUBT", "Sub"},        {"%AART", "Band"}, {"%DISC", "1/2"},
        {"%PUBL", "Pub"},
    };
    const TagFields fields = sampleFields();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(formatTags(fields, c.format), c.expected);
    }
}

// Functions, escapes, nesting and significant whitespace evaluate as the language defines them.
TEST(TagFormat, EvaluatesFunctionsEscapesAndNesting) {
    const FormatCase cases[] = {
        {"", ""},
        {"%ARTI - %TITL", "Artist - Song"},
        {"%TITL (live), take 2", "Song (live), take 2"}, // ( , ) are plain text outside a call
        {"a%ZZZZb", "ab"},                               // an unknown field is empty
        {"100%% %(x%) %,", "100% (x) ,"},
        {"%IFV1(%TITL,has title)", "has title"},
        {"%IFV1(%ALBM,has album)", ""},
        {"%IFV2(%ALBM,%ALBM,none)", "none"},
        {"%IFV2(sometext ,a,b)", "a"},
        {"%IFV2( ,a,b)", "a"}, // a lone space is a value
        {"%IFV2(,a,b)", "b"},
        {"%IFV2(%TITL, a , b )", " a "},
        {"%IFV2(%TITL,a%,b,c)", "a,b"},
        {"%IFV1(%TITL,%(x%))", "(x)"},
        {"%IUPC(%IFV2(%ALBM,x,%ARTI))", "ARTIST"},
        {"%IFV2(%ALBM,,%IFV2(%YEAR,[%YEAR],))", "[2004]"},
        {"%ITRM(%CMNT)", "padded"},
        {"%ITRM(   )", ""},
        {"%UTF8(%TITL)", "Song"},
        {"%IUPC(mixed Case 1)", "MIXED CASE 1"},
        {"%ILWC(MIXED Case 1)", "mixed case 1"},
        {"%ICAP(hello wORLD o'neil 3rd-party)", "Hello World O'Neil 3rd-Party"},
        {"%ICAP(élan vital)", "Élan Vital"},
        {"%IUPC(àéîÿ straße)", "ÀÉÎŸ STRAßE"}, // no one-to-many mappings
        {"%ILWC(ÀÉÎ ŁÓDŹ ΑΒΓ ДОМ)", "àéî łódź αβγ дом"},
        {"%IUPC(日本 abc)", "日本 ABC"},
        {"%IUPC(a\xFF"
         "b)",
         "A\xFF"
         "B"}, // a stray byte is kept, not swallowed
    };
    const TagFields fields = sampleFields();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(formatTags(fields, c.format), c.expected);
    }
}

// A malformed format string gives a diagnostic text instead of a partial result or a crash.
TEST(TagFormat, MalformedInputGivesAnErrorText) {
    const FormatCase cases[] = {
        {"%IUPC x", "<***( expected! ***"},           {"%IFV1(a)", "<***, expected! ***"},
        {"%IFV2(a,b,c,d)", "<***) expected! ***"},    {"%ITRM(a,b)", "<***) expected! ***"},
        {"%IUPC(abc", "< unexpected end-of-string."}, {"%IFV2(a,b", "< unexpected end-of-string."},
        {"%IUPC", "< unexpected end-of-string."},     {"%TIT", "< unexpected end-of-string."},
        {"abc%", "< unexpected end-of-string."},      {"%IFV1(%TITL,%IUPC(x)", "< unexpected end-of-string."},
    };
    const TagFields fields = sampleFields();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(formatTags(fields, c.format), c.expected);
    }
}

} // namespace
} // namespace orvu::engine
