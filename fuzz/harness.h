// Purpose: the fuzz harnesses: each takes one input, runs a reader or the engine over it and checks a
// contract (round trips, exact error texts, finite output), not only that nothing crashes. The same
// functions serve the libFuzzer targets and the replay of seeds and regression inputs in the test run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvu::fuzz {

using Harness = void (*)(const std::uint8_t* data, std::size_t size);

// INI text: parse then write gives the same bytes; a written key reads back and every other key keeps
// its value.
void iniRoundTrip(const std::uint8_t* data, std::size_t size);
// Playlist text: parse, write and parse again gives the same entries, through memory and through a file.
void playlistRoundTrip(const std::uint8_t* data, std::size_t size);
// Preset file: its lines split as the file format says, and each gain either parses as a decimal
// integer or raises the exact conversion error.
void presetRead(const std::uint8_t* data, std::size_t size);
// Tag format language: a format string and field values (NUL-separated); escaped text comes back
// unchanged and the case functions keep the byte length.
void tagFormat(const std::uint8_t* data, std::size_t size);
// The engine over a file: the first byte picks the file name's extension, the rest is the file. Open,
// render 1 s, seek, render, read tags, free: finite output, and a freed handle is refused.
void engineFile(const std::uint8_t* data, std::size_t size);

struct NamedHarness {
    const char* name; // the seed and regression directories' name
    Harness run;
};
inline constexpr NamedHarness harnesses[] = {
    {"ini", iniRoundTrip},     {"playlist", playlistRoundTrip}, {"preset", presetRead},
    {"tag_format", tagFormat}, {"engine", engineFile},
};

// Reports a broken contract; defined by the program that runs the harnesses (the fuzz target aborts,
// the replay test throws so the failure names the input). Never returns.
[[noreturn]] void contractBroken(const std::string& what);

// The file name extensions the engine harness picks from with an input's first byte.
inline constexpr const char* engineExtensions[] = {
    "wav", "aiff", "mp3",  "mp2", "ogg", "flac", "m4a", "aac", "ac3", "adx", "aix", "ape", "mpc", "ofr",
    "spx", "tta",  "opus", "wv",  "wma", "mid",  "mod", "xm",  "s3m", "it",  "mtm", "umx", "mo3", "3gp",
};

} // namespace orvu::fuzz
