// Purpose: a decoder of a generated sine, so engine tests know every sample the engine should play.
#include "engine/sine_decoder.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace orvu::test {
namespace {

class SineDecoder final : public engine::Decoder {
public:
    explicit SineDecoder(SineSpec sine)
        : sine_(sine) {}

    int sampleRate() const override { return sine_.rate; }
    int channels() const override { return sine_.channels; }
    std::uint32_t ctype() const override { return engine::kCtypeStreamWavPcm; }
    std::uint32_t origres() const override { return 16; }
    std::int64_t lengthFrames() const override { return sine_.lengthFrames; }

    std::size_t read(float* out, std::size_t frames) override {
        while (sine_.held && sine_.held->load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::int64_t end = sine_.failAtFrame >= 0 ? sine_.failAtFrame : sine_.lengthFrames;
        const auto count = static_cast<std::size_t>(
            std::clamp<std::int64_t>(end - position_, 0, static_cast<std::int64_t>(frames)));
        for (std::size_t i = 0; i < count; ++i) {
            const float value = sineSample(sine_, position_ + static_cast<std::int64_t>(i));
            for (int c = 0; c < sine_.channels; ++c)
                out[i * static_cast<std::size_t>(sine_.channels) + static_cast<std::size_t>(c)] = value;
        }
        position_ += static_cast<std::int64_t>(count);
        if (sine_.framesRead)
            sine_.framesRead->fetch_add(static_cast<std::int64_t>(count));
        return count;
    }

    bool seek(std::int64_t frame) override {
        if (frame < 0 || frame > sine_.lengthFrames)
            return false;
        position_ = frame;
        return true;
    }

private:
    SineSpec sine_;
    std::int64_t position_ = 0;
};

} // namespace

float sineSample(const SineSpec& sine, std::int64_t frame) {
    return sine.amplitude *
           static_cast<float>(
               std::sin(2.0 * M_PI * sine.frequency * static_cast<double>(frame + sine.offset) / sine.rate));
}

std::unique_ptr<engine::Decoder> makeSineDecoder(const SineSpec& sine) {
    return std::make_unique<SineDecoder>(sine);
}

} // namespace orvu::test
