// Purpose: which audio families can be opened (the core's and those the loaded add-ons add), and opening
// them.
#pragma once

#include "engine/decoder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvu::engine {

// Channel types of the add-on families (ChannelInfo::ctype); the core families use the kCtypeStream*
// constants of engine_types.h.
inline constexpr std::uint32_t kCtypeStreamWavFloat = 0x50003;
inline constexpr std::uint32_t kCtypeStreamWma = 0x10300;
inline constexpr std::uint32_t kCtypeStreamWavPack = 0x10500;
inline constexpr std::uint32_t kCtypeStreamOfr = 0x10600;
inline constexpr std::uint32_t kCtypeStreamApe = 0x10700;
inline constexpr std::uint32_t kCtypeStreamFlac = 0x10900;
inline constexpr std::uint32_t kCtypeStreamFlacOgg = 0x10901;
inline constexpr std::uint32_t kCtypeStreamMpc = 0x10a00;
inline constexpr std::uint32_t kCtypeStreamAac = 0x10b00;
inline constexpr std::uint32_t kCtypeStreamMp4 = 0x10b01;
inline constexpr std::uint32_t kCtypeStreamSpeex = 0x10c00;
inline constexpr std::uint32_t kCtypeStreamMidi = 0x10d00;
inline constexpr std::uint32_t kCtypeStreamAlac = 0x10e00;
inline constexpr std::uint32_t kCtypeStreamTta = 0x10f00;
inline constexpr std::uint32_t kCtypeStreamAc3 = 0x11000;
inline constexpr std::uint32_t kCtypeStreamOpus = 0x11200;
inline constexpr std::uint32_t kCtypeStreamAdx = 0x1f000;
inline constexpr std::uint32_t kCtypeStreamAix = 0x1f001;

// The set of families the engine may open: the core families (MP3, MP2, MP1, Ogg Vorbis, WAV, AIFF)
// from the start, and whatever each loaded add-on adds. Copies are cheap and share the loaded add-ons,
// so an open running on a worker thread works on its own snapshot.
//
// Family names: core "mp3", "mp2", "mp1", "vorbis", "wav", "aiff"; add-ons "aac", "ac3", "adx", "aix",
// "alac", "ape", "mpc", "ofr", "speex", "tta", "flac", "midi", "opus", "wavpack", "wma".
class FormatRegistry {
public:
    FormatRegistry();
    ~FormatRegistry();
    FormatRegistry(const FormatRegistry&);
    FormatRegistry& operator=(const FormatRegistry&);

    // Loads an add-on shared library and enables its families. False when the file is missing,
    // is not an ORVU add-on, or was loaded already.
    bool loadPlugin(const std::string& path);

    // Whether a family (by the names above) may be opened.
    bool hasFamily(std::string_view family) const;

    // The names of the loaded add-ons ("bass_aac" ...), in load order.
    std::vector<std::string> pluginNames() const;

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
