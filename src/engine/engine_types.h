// Purpose: the audio engine's plain records and handle type, shared by the engine and its callers.
#pragma once

#include <cstdint>

namespace orvu::engine {

// Channels, effects and add-ons are named by 32-bit handles; 0 is never a valid handle.
using Handle = std::uint32_t;

// Facts about a channel, in the engine's published field order.
struct ChannelInfo {
    std::uint32_t freq = 0;  // sample rate in Hz
    std::uint32_t chans = 0; // channel count
    std::uint32_t flags = 0;
    std::uint32_t ctype = 0;   // kind of channel (stream family or music format)
    std::uint32_t origres = 0; // resolution of the source in bits, 0 when not known
    Handle plugin = 0;         // the add-on that opened it, 0 for the core
    Handle sample = 0;
    const char* filename = nullptr;
};

// Parameters of one parametric-equalizer band, in the engine's published field order.
struct ParamEqParameters {
    float fCenter = 0.0f;    // centre frequency, Hz
    float fBandwidth = 0.0f; // bandwidth, semitones
    float fGain = 0.0f;      // gain, dB
};

} // namespace orvu::engine
