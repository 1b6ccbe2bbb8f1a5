// Purpose: folding a multichannel signal to stereo with libswresample's standard matrix, the one
// `ffmpeg -ac 2` applies, and the standard speaker layout of a channel count.
#pragma once

#include <array>
#include <cstdint>

namespace orvu::engine {

inline constexpr int kMaxSourceChannels = 8;

// The weight of each source channel in the left and in the right output.
struct StereoDownmix {
    std::array<float, kMaxSourceChannels> left{};
    std::array<float, kMaxSourceChannels> right{};
};

// The downmix of `channels` channels whose speakers are `layout` (a speaker mask, see
// Decoder::channelLayout): libswresample's standard matrix with the centre and the surrounds at -3 dB
// and the LFE left out, scaled so that no output can exceed full scale, as `ffmpeg -ac 2` mixes into
// 16-bit audio. A layout that does not name `channels` speakers is replaced by the standard one for the
// count; where libswresample knows no matrix, every channel goes to both sides in an equal share.
StereoDownmix stereoDownmix(std::uint64_t layout, int channels);

} // namespace orvu::engine
