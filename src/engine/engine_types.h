// Purpose: the audio engine's plain records and handle type, shared by the engine and its callers.
#pragma once

#include <cstdint>
#include <string>

namespace orvu::engine {

// Channels, effects and add-ons are named by 32-bit handles; 0 is never a valid handle.
using Handle = std::uint32_t;

// Facts about a channel, in the engine's published field order. The record owns its text, so a copy
// stays valid after its channel is freed.
struct ChannelInfo {
    std::uint32_t freq = 0;  // sample rate in Hz
    std::uint32_t chans = 0; // channel count
    std::uint32_t flags = 0;
    std::uint32_t ctype = 0;   // kind of channel (stream family or music format)
    std::uint32_t origres = 0; // resolution of the source in bits, 0 when not known
    Handle plugin = 0;         // the add-on that opened it, 0 for the core
    Handle sample = 0;
    std::string filename; // the path the channel was opened from
};

// Parameters of one parametric-equalizer band, in the engine's published field order.
struct ParamEqParameters {
    float fCenter = 0.0f;    // centre frequency, Hz
    float fBandwidth = 0.0f; // bandwidth, semitones
    float fGain = 0.0f;      // gain, dB
};

// Parameters of the reverb, in the engine's published field order.
struct ReverbParameters {
    float fInGain = 0.0f;          // input gain, dB (-96..0)
    float fReverbMix = 0.0f;       // reverb mix, dB (-96..0); 0 is all reverb, no direct signal
    float fReverbTime = 0.0f;      // reverb time (RT60), ms (0.001..3000)
    float fHighFreqRTRatio = 0.0f; // high-frequency decay time as a fraction of fReverbTime (0.001..0.999)
};

// Parameters of the echo, in the engine's published field order.
struct EchoParameters {
    float fWetDryMix = 0.0f;    // share of the delayed signal in the output, % (0..100)
    float fFeedback = 0.0f;     // share of each echo fed back into its line, % (0..100)
    float fLeftDelay = 0.0f;    // ms (1..2000)
    float fRightDelay = 0.0f;   // ms (1..2000)
    std::int32_t lPanDelay = 0; // 1: left and right delays swap with each successive echo
};

} // namespace orvu::engine

namespace orvu::engine {

// Numeric values of the engine interface's flags, options and constants.
inline constexpr std::uint32_t kVersion = 0x02040000; // interface version 2.4 in the high 16 bits

inline constexpr int kDeviceDefault = -1; // the system's default output
inline constexpr int kDeviceNoSound = 0;  // no output: a real-time clock consumes the mix

inline constexpr std::uint32_t kConfigBuffer = 0; // decode-ahead buffer length, ms

inline constexpr std::uint32_t kSampleLoop = 0x4;
inline constexpr std::uint32_t kSampleFx = 0x80;
inline constexpr std::uint32_t kMusicRamp = 0x200;
inline constexpr std::uint32_t kMusicRamps = 0x400;
inline constexpr std::uint32_t kMusicPrescan = 0x20000;

inline constexpr std::uint32_t kActiveStopped = 0;
inline constexpr std::uint32_t kActivePlaying = 1;
inline constexpr std::uint32_t kActiveStalled = 2;
inline constexpr std::uint32_t kActivePaused = 3;

inline constexpr std::uint32_t kPosByte = 0;

inline constexpr std::uint32_t kAttribFreq = 1;
inline constexpr std::uint32_t kAttribVol = 2;
inline constexpr std::uint32_t kAttribPan = 3;

inline constexpr std::uint32_t kDataFft256 = 0x80000000;

inline constexpr std::uint32_t kFxDx8Echo = 3;
inline constexpr std::uint32_t kFxDx8ParamEq = 7;
inline constexpr std::uint32_t kFxDx8Reverb = 8;

inline constexpr std::uint32_t kCdDoorClose = 0;
inline constexpr std::uint32_t kCdDoorOpen = 1;
inline constexpr std::uint32_t kCdDoorLock = 2;
inline constexpr std::uint32_t kCdDoorUnlock = 3;

// Channel types (ChannelInfo::ctype).
inline constexpr std::uint32_t kCtypeStream = 0x10000;
inline constexpr std::uint32_t kCtypeStreamVorbis = 0x10002;
inline constexpr std::uint32_t kCtypeStreamMp1 = 0x10003;
inline constexpr std::uint32_t kCtypeStreamMp2 = 0x10004;
inline constexpr std::uint32_t kCtypeStreamMp3 = 0x10005;
inline constexpr std::uint32_t kCtypeStreamAiff = 0x10006;
inline constexpr std::uint32_t kCtypeStreamWav = 0x40000;
inline constexpr std::uint32_t kCtypeStreamWavPcm = 0x50001;
inline constexpr std::uint32_t kCtypeMusicMod = 0x20000;
inline constexpr std::uint32_t kCtypeMusicMtm = 0x20001;
inline constexpr std::uint32_t kCtypeMusicS3m = 0x20002;
inline constexpr std::uint32_t kCtypeMusicXm = 0x20003;
inline constexpr std::uint32_t kCtypeMusicIt = 0x20004;
inline constexpr std::uint32_t kCtypeMusicMo3 = 0x00100; // flag added to the music type

} // namespace orvu::engine
