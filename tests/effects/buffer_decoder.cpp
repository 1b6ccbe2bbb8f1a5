// Purpose: a decoder over samples held in memory (impulses, tone bursts, noise), so effect tests know
// exactly what enters the chain.
#include "effects/buffer_decoder.h"

#include "engine/engine_types.h"

#include <algorithm>
#include <cstring>

namespace orvu::test {
namespace {

class BufferDecoder final : public engine::Decoder {
public:
    BufferDecoder(std::vector<float> samples, int channels, int rate)
        : samples_(std::move(samples))
        , channels_(channels)
        , rate_(rate) {}

    int sampleRate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::uint32_t ctype() const override { return engine::kCtypeStreamWavPcm; }
    std::int64_t lengthFrames() const override {
        return static_cast<std::int64_t>(samples_.size()) / channels_;
    }

    std::size_t read(float* out, std::size_t frames) override {
        const auto width = static_cast<std::size_t>(channels_);
        const std::size_t count = std::min(frames, static_cast<std::size_t>(lengthFrames() - position_));
        std::memcpy(out, samples_.data() + static_cast<std::size_t>(position_) * width,
                    count * width * sizeof(float));
        position_ += static_cast<std::int64_t>(count);
        return count;
    }

    bool seek(std::int64_t frame) override {
        if (frame < 0 || frame > lengthFrames())
            return false;
        position_ = frame;
        return true;
    }

private:
    std::vector<float> samples_;
    int channels_;
    int rate_;
    std::int64_t position_ = 0;
};

} // namespace

std::unique_ptr<engine::Decoder> makeBufferDecoder(std::vector<float> interleaved, int channels, int rate) {
    return std::make_unique<BufferDecoder>(std::move(interleaved), channels, rate);
}

std::vector<float> impulse(std::size_t frames, int channels, std::size_t at, float value, int channel) {
    std::vector<float> out(frames * static_cast<std::size_t>(channels), 0.0f);
    for (int ch = 0; ch < channels; ++ch)
        if (channel < 0 || ch == channel)
            out[at * static_cast<std::size_t>(channels) + static_cast<std::size_t>(ch)] = value;
    return out;
}

std::vector<float> whiteNoise(std::size_t frames, int channels, float amplitude, std::uint32_t seed) {
    std::vector<float> out(frames * static_cast<std::size_t>(channels));
    std::uint32_t state = seed;
    for (float& sample : out) {
        state = state * 1664525u + 1013904223u; // a linear congruential generator: cheap and repeatable
        sample = amplitude * (static_cast<float>(state >> 8) / 8388608.0f - 1.0f);
    }
    return out;
}

} // namespace orvu::test
