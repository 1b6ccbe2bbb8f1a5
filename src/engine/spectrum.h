// Purpose: the 256-point spectrum of what a channel is playing: Hann window, real FFT, 128 magnitudes.
#pragma once

#include <cstddef>
#include <memory>

struct AVTXContext;

namespace orvu::engine {

class Spectrum {
public:
    static constexpr std::size_t size = 256;
    static constexpr std::size_t bins = size / 2;
    // Magnitudes are |X[k]| / size: a full-scale sine centred on a bin reads 0.25 through the window.
    static constexpr float scale = 1.0f / static_cast<float>(size);

    Spectrum();
    ~Spectrum();
    Spectrum(const Spectrum&) = delete;
    Spectrum& operator=(const Spectrum&) = delete;

    // `samples` holds `size` mono samples, oldest first; writes `bins` magnitudes.
    void magnitudes(const float* samples, float* out);

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

} // namespace orvu::engine
