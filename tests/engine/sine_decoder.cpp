// Purpose: a decoder of a generated sine, so engine tests know every sample the engine should play.
#include "engine/sine_decoder.h"

#include <algorithm>
#include <cmath>

namespace orvu::test {
namespace {

class SineDecoder final : public engine::Decoder {
public:
    explicit SineDecoder(SineSpec spec)
        : spec_(spec) {}

    int sampleRate() const override { return spec_.rate; }
    int channels() const override { return spec_.channels; }
    std::uint32_t ctype() const override { return engine::kCtypeStreamWavPcm; }
    std::uint32_t origres() const override { return 16; }
    std::int64_t lengthFrames() const override { return spec_.lengthFrames; }

    std::size_t read(float* out, std::size_t frames) override {
        const std::int64_t end = spec_.failAtFrame >= 0 ? spec_.failAtFrame : spec_.lengthFrames;
        const auto count = static_cast<std::size_t>(
            std::clamp<std::int64_t>(end - position_, 0, static_cast<std::int64_t>(frames)));
        for (std::size_t i = 0; i < count; ++i) {
            const float value = sineSample(spec_, position_ + static_cast<std::int64_t>(i));
            for (int c = 0; c < spec_.channels; ++c)
                out[i * static_cast<std::size_t>(spec_.channels) + static_cast<std::size_t>(c)] = value;
        }
        position_ += static_cast<std::int64_t>(count);
        return count;
    }

    bool seek(std::int64_t frame) override {
        if (frame < 0 || frame > spec_.lengthFrames)
            return false;
        position_ = frame;
        return true;
    }

private:
    SineSpec spec_;
    std::int64_t position_ = 0;
};

} // namespace

float sineSample(const SineSpec& spec, std::int64_t frame) {
    return spec.amplitude *
           static_cast<float>(std::sin(2.0 * M_PI * spec.frequency * static_cast<double>(frame) / spec.rate));
}

std::unique_ptr<engine::Decoder> makeSineDecoder(const SineSpec& spec) {
    return std::make_unique<SineDecoder>(spec);
}

} // namespace orvu::test
