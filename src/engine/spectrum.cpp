// Purpose: the 256-point spectrum of what a channel is playing: Hann window, real FFT, 128 magnitudes.
#include "engine/spectrum.h"

extern "C" {
#include <libavutil/tx.h>
}

#include <array>
#include <cmath>

namespace orvu::engine {

struct Spectrum::Context {
    AVTXContext* tx = nullptr;
    av_tx_fn transform = nullptr;
    std::array<float, size> window{};
    alignas(64) std::array<float, size> input{};
    alignas(64) std::array<AVComplexFloat, bins + 1> output{};

    ~Context() { av_tx_uninit(&tx); }
};

Spectrum::Spectrum()
    : context_(std::make_unique<Context>()) {
    const float unit = 1.0f;
    if (av_tx_init(&context_->tx, &context_->transform, AV_TX_FLOAT_RDFT, 0, size, &unit, 0) < 0)
        context_->tx = nullptr;
    for (std::size_t n = 0; n < size; ++n) // periodic Hann window
        context_->window[n] = 0.5f - 0.5f * std::cos(2.0f * static_cast<float>(M_PI) * n / size);
}

Spectrum::~Spectrum() = default;

void Spectrum::magnitudes(const float* samples, float* out) {
    Context& c = *context_;
    if (c.tx == nullptr) {
        std::fill(out, out + bins, 0.0f);
        return;
    }
    for (std::size_t n = 0; n < size; ++n)
        c.input[n] = samples[n] * c.window[n];
    c.transform(c.tx, c.output.data(), c.input.data(), sizeof(float));
    for (std::size_t k = 0; k < bins; ++k)
        out[k] = std::hypot(c.output[k].re, c.output[k].im) * scale;
}

} // namespace orvu::engine
