// Purpose: the table of audio families the engine knows: which FFmpeg demuxers and codecs each one
// admits and the channel type it reports.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace orvu::engine::formats {

struct Family {
    std::string_view name;     // the family name add-ons list ("aac", "flac" ...)
    bool core;                 // enabled without any add-on
    std::string_view demuxers; // comma-separated FFmpeg demuxer names; empty when FFmpeg has none
    std::string_view codecs;   // comma-separated FFmpeg codec names admitted
    std::uint32_t ctype;       // channel type reported for streams of this family
};

std::span<const Family> families();

// Index of a family in families(), or -1 when the name is unknown.
int familyIndex(std::string_view name);

// Whether `name` is one of the comma-separated entries of `list`.
bool listContains(std::string_view list, std::string_view name);

} // namespace orvu::engine::formats
