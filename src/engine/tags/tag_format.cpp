// Purpose: the tag format language: "%TITL"-style field keywords, "%IFV2(x,a,b)"-style functions, escapes.
#include "engine/tags/tag_text.h"
#include "engine/tags/tags.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvu::engine {

namespace {

// ---- UTF-8 aware case mapping -------------------------------------------------------------------------
// Covers ASCII, Latin-1, Latin Extended-A, basic Greek and Cyrillic: what tag text holds in practice.
// Characters outside those blocks, and bytes that are not valid UTF-8, pass through unchanged.

char32_t toUpper(char32_t c) {
    if (c >= 'a' && c <= 'z') {
        return c - 0x20;
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F)) {
        return c - 0x20;
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c >= 0x450 && c <= 0x45F) {
        return c - 0x50;
    }
    if ((c >= 0x100 && c <= 0x137 && c != 0x131) || (c >= 0x14A && c <= 0x177)) {
        return (c & 1) ? c - 1 : c;
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1) ? c : c - 1;
    }
    return c;
}

char32_t toLower(char32_t c) {
    if (c >= 'A' && c <= 'Z') {
        return c + 0x20;
    }
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F)) {
        return c + 0x20;
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    if ((c >= 0x100 && c <= 0x137 && c != 0x130) || (c >= 0x14A && c <= 0x177)) {
        return (c & 1) ? c : c + 1;
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1) ? c + 1 : c;
    }
    return c;
}

// A word character for %ICAP: ASCII letters and digits, and any letter-range code point beyond ASCII.
bool isWordChar(char32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == 0xAA ||
           c == 0xB5 || c == 0xBA || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

// Decodes one well-formed UTF-8 sequence at the front of `s`; nullopt for a stray byte.
std::optional<char32_t> decodeOne(std::string_view s, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(s[0]);
    length = 1;
    if (lead < 0x80) {
        return lead;
    }
    std::size_t need = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        need = 2, cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        need = 3, cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        need = 4, cp = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (s.size() < need) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < need; ++k) {
        const auto c = static_cast<unsigned char>(s[k]);
        if ((c & 0xC0) != 0x80) {
            return std::nullopt;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    // An overlong form, a surrogate or a value past U+10FFFF is not UTF-8: re-encoding it would change
    // the text's bytes (an overlong "*" would come out as a plain "*").
    constexpr char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < shortest[need] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
        return std::nullopt;
    }
    length = need;
    return cp;
}

enum class CaseMode { Upper, Lower, Capitalise };

std::string mapCase(std::string_view text, CaseMode mode) {
    std::string out;
    out.reserve(text.size());
    bool wordStart = true;
    while (!text.empty()) {
        std::size_t length = 1;
        const auto cp = decodeOne(text, length);
        if (!cp) {
            out += text.front();
            wordStart = true;
        } else {
            const bool word = isWordChar(*cp);
            char32_t mapped = *cp;
            if (mode == CaseMode::Upper || (mode == CaseMode::Capitalise && word && wordStart)) {
                mapped = toUpper(*cp);
            } else {
                mapped = toLower(*cp);
            }
            // A mapping that would change the encoded length is not done, so the text keeps its bytes.
            if (*cp < 0x80 || mapped >= 0x80) {
                tags::appendUtf8(out, mapped);
            } else {
                out.append(text.substr(0, length));
            }
            wordStart = !word;
        }
        text.remove_prefix(length);
    }
    return out;
}

std::string trimmed(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(kSpace) - first + 1));
}

// ---- the parser --------------------------------------------------------------------------------------
// Grammar: text := (literal | "%%" | "%(" | "%," | "%)" | "%" KEYW | "%" FUNC "(" text ("," text)* ")")*
// Keywords and function names are exactly four characters. Inside a function's arguments an unescaped
// "," or ")" ends the argument; at the top level they are plain text. Whitespace is never skipped.
// A syntax error replaces the whole result with a short diagnostic, so a bad format string shows up on
// screen instead of silently dropping text.

struct Function {
    std::string_view name;
    int arity;
};
constexpr Function kFunctions[] = {
    {"IFV1", 2}, {"IFV2", 3}, {"IUPC", 1}, {"ILWC", 1}, {"ICAP", 1}, {"ITRM", 1}, {"UTF8", 1},
};

class FormatParser {
public:
    FormatParser(const TagFields& fields, std::string_view format)
        : fields_(fields)
        , in_(format) {}

    std::string run() {
        std::string out = text(false);
        return error_.empty() ? out : error_;
    }

private:
    bool failed() const { return !error_.empty(); }
    void fail(std::string message) {
        if (error_.empty()) {
            error_ = std::move(message);
        }
    }

    // Reads text up to the end, or inside an argument up to (not past) an unescaped ',' or ')'.
    std::string text(bool inArgument) {
        std::string out;
        while (pos_ < in_.size() && !failed()) {
            const char c = in_[pos_];
            if (inArgument && (c == ',' || c == ')')) {
                break;
            }
            if (c != '%') {
                out += c;
                ++pos_;
                continue;
            }
            ++pos_;
            if (pos_ < in_.size() &&
                (in_[pos_] == '%' || in_[pos_] == '(' || in_[pos_] == ',' || in_[pos_] == ')')) {
                out += in_[pos_++];
                continue;
            }
            if (in_.size() - pos_ < 4) {
                fail("< unexpected end-of-string.");
                break;
            }
            const std::string_view keyword = in_.substr(pos_, 4);
            pos_ += 4;
            out += expand(keyword);
        }
        return out;
    }

    std::string expand(std::string_view keyword) {
        for (const auto& function : kFunctions) {
            if (function.name == keyword) {
                return call(function);
            }
        }
        return field(keyword);
    }

    std::string call(const Function& function) {
        if (!expect('(')) {
            return {};
        }
        std::string args[3];
        for (int i = 0; i < function.arity; ++i) {
            if (i > 0 && !expect(',')) {
                return {};
            }
            args[i] = text(true);
            if (failed()) {
                return {};
            }
        }
        if (!expect(')')) {
            return {};
        }
        const std::string_view name = function.name;
        if (name == "IFV1") {
            return args[0].empty() ? std::string() : args[1];
        }
        if (name == "IFV2") {
            return args[0].empty() ? args[2] : args[1];
        }
        if (name == "IUPC") {
            return mapCase(args[0], CaseMode::Upper);
        }
        if (name == "ILWC") {
            return mapCase(args[0], CaseMode::Lower);
        }
        if (name == "ICAP") {
            return mapCase(args[0], CaseMode::Capitalise);
        }
        if (name == "ITRM") {
            return trimmed(args[0]);
        }
        return args[0]; // UTF8: text is always UTF-8 here
    }

    bool expect(char c) {
        if (pos_ >= in_.size()) {
            fail("< unexpected end-of-string.");
            return false;
        }
        if (in_[pos_] != c) {
            fail(std::string("<***") + c + " expected! ***");
            return false;
        }
        ++pos_;
        return true;
    }

    std::string field(std::string_view keyword) const {
        const std::pair<std::string_view, const std::string*> table[] = {
            {"TITL", &fields_.title},     {"ARTI", &fields_.artist},      {"ALBM", &fields_.album},
            {"GNRE", &fields_.genre},     {"YEAR", &fields_.year},        {"CMNT", &fields_.comment},
            {"TRCK", &fields_.track},     {"COMP", &fields_.composer},    {"COPY", &fields_.copyright},
            {"SUBT", &fields_.subtitle},  {"AART", &fields_.albumArtist}, {"DISC", &fields_.disc},
            {"PUBL", &fields_.publisher},
        };
        for (const auto& [name, value] : table) {
            if (name == keyword) {
                return *value;
            }
        }
        return {}; // an unknown field is simply absent
    }

    const TagFields& fields_;
    std::string_view in_;
    std::size_t pos_ = 0;
    std::string error_;
};

} // namespace

std::string formatTags(const TagFields& fields, std::string_view format) {
    return FormatParser(fields, format).run();
}

} // namespace orvu::engine
