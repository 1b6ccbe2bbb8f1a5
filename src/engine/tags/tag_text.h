// Purpose: text rules of the tag reader that need no TagLib: 8-bit text decoding, the ID3v1 genre table and
// the ID3v2 genre (TCON) conventions.
#pragma once

#include <string>
#include <string_view>

namespace orvu::engine::tags {

// Appends the UTF-8 encoding of code point `cp`.
void appendUtf8(std::string& out, char32_t cp);

// True when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or code points above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Text stored in an 8-bit field as UTF-8: bytes that already form valid UTF-8 are kept (many taggers write
// UTF-8 into Latin-1 fields); anything else is read as Windows-1252, so no byte is ever lost.
std::string eightBitToUtf8(std::string_view bytes);

// The name of ID3v1 genre `index` in the standard 192-entry table; empty outside it (255 means "unset").
std::string_view id3v1GenreName(unsigned index);

// Resolves an ID3v2 TCON text: "(17)" names a table genre, "(RX)" and "(CR)" mean Remix and Cover, text
// after a reference refines it ("(4)Eurodisco" gives "Disco/Eurodisco"), "((" escapes a literal "(".
// Any other text, a bare number included, is returned unchanged.
std::string id3v2GenreText(std::string_view tcon);

} // namespace orvu::engine::tags
