// Purpose: which audio families can be opened (the core's and those the loaded add-ons add), and opening
// them.
#pragma once

#include "engine/decoder.h"

#include <cstdint>
#include <memory>
#include <string>

namespace orvu::engine {

// The set of families the engine may open: the core families (MP3, MP2, MP1, Ogg Vorbis, WAV, AIFF)
// from the start, and whatever each loaded add-on adds. Copies are cheap and share the loaded add-ons,
// so an open running on a worker thread works on its own snapshot.
class FormatRegistry {
public:
    FormatRegistry();
    ~FormatRegistry();
    FormatRegistry(const FormatRegistry&);
    FormatRegistry& operator=(const FormatRegistry&);

    // Loads an add-on shared library and enables its families. False when the file is missing,
    // is not an ORVU add-on, or was loaded already.
    bool loadPlugin(const std::string& path);

private:
    friend std::unique_ptr<Decoder> openStreamDecoder(const std::string&, const FormatRegistry&);
    struct State;
    std::shared_ptr<const State> state_;
};

// Opens a local regular file as a stream of one of the enabled families; nullptr when it cannot.
// Never blocks on FIFOs or devices, never follows references inside a file, bounded probing.
std::unique_ptr<Decoder> openStreamDecoder(const std::string& path, const FormatRegistry& formats);

// Opens a tracker module (MOD, XM, S3M, IT, MTM, UMX, MO3); nullptr when it cannot. `flags` are the
// music-load flags (kMusicRamp, kMusicRamps, kSampleLoop ...). The length is always known.
std::unique_ptr<Decoder> openMusicDecoder(const std::string& path, std::uint32_t flags);

} // namespace orvu::engine
