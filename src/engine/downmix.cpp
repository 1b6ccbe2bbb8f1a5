// Purpose: folding a multichannel signal to stereo with libswresample's standard matrix, and the
// standard speaker layout of a channel count.
#include "engine/downmix.h"

#include "engine/decoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace orvu::engine {

std::uint64_t standardChannelLayout(int channels) {
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, channels);
    return layout.order == AV_CHANNEL_ORDER_NATIVE ? layout.u.mask : 0;
}

StereoDownmix stereoDownmix(std::uint64_t layout, int channels) {
    StereoDownmix mix;
    channels = std::clamp(channels, 1, kMaxSourceChannels);
    if (std::popcount(layout) != channels)
        layout = standardChannelLayout(channels);

    AVChannelLayout in{};
    AVChannelLayout out{};
    // swr_build_matrix2 fills, and scales, a whole 64 by 64 matrix with a stride of 64 (libswresample's
    // own); a smaller one is overrun. Row 0 is the left output, row 1 the right.
    constexpr int swrMaxChannels = 64;
    std::vector<double> matrix(swrMaxChannels * swrMaxChannels);
    // swresample's defaults: centre and surround mix levels of -3 dB, no LFE, volume 1; the maximum of
    // 1.0 is what it uses for integer output.
    constexpr double minus3dB = M_SQRT1_2;
    if (layout != 0 && av_channel_layout_from_mask(&in, layout) == 0 &&
        av_channel_layout_from_mask(&out, AV_CH_LAYOUT_STEREO) == 0 &&
        swr_build_matrix2(&in, &out, minus3dB, minus3dB, 0.0, 1.0, 1.0, matrix.data(), swrMaxChannels,
                          AV_MATRIX_ENCODING_NONE, nullptr) == 0) {
        for (int c = 0; c < channels; ++c) {
            mix.left[c] = static_cast<float>(matrix[c]);
            mix.right[c] = static_cast<float>(matrix[swrMaxChannels + c]);
        }
        return mix;
    }
    for (int c = 0; c < channels; ++c)
        mix.left[c] = mix.right[c] = 1.0f / static_cast<float>(channels);
    return mix;
}

} // namespace orvu::engine
