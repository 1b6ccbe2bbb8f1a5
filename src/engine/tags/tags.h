// Purpose: reading a file's tags and formatting them with the tag format language ("%TITL", "%IFV2(...)").
#pragma once

#include <string>
#include <string_view>

namespace orvu::engine {

// The tag values of one file, each the first non-empty value across the file's tag types.
struct TagFields {
    std::string title, artist, album, genre, year, comment, track, composer, copyright, subtitle, albumArtist,
        disc, publisher;
};

// Title and artist a tracker module carries itself (the decoder's metadata).
struct MusicTags {
    std::string title, artist;
};

// Reads every tag type of the file (UTF-8 text). `music` adds a module's own title and artist last.
TagFields readTagFields(const std::string& path, const MusicTags* music = nullptr);

// Evaluates a format string such as "%ARTI - %TITL" or "%IFV2(%ALBM,%ALBM,none)" on the fields.
std::string formatTags(const TagFields& fields, std::string_view format);

} // namespace orvu::engine
