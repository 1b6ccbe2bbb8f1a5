// Purpose: one parametric-equalizer band: a peaking biquad (cookbook design), bandwidth in semitones.
#pragma once

#include "engine/engine_types.h"

#include <array>
#include <cstddef>

namespace orvu::engine::fx {

class ParamEq {
public:
    using Record = ParamEqParameters;
    static constexpr int maxChannels = 8;

    // Validates the record and lowers a centre above a third of `rate` to that limit.
    static bool accept(Record& record, int rate);

    ParamEq(int rate, int channels, const Record& initial);

    // Glides centre (on a log scale), bandwidth and gain to the record's values over a few ms; takes
    // them at once when nothing has been processed since creation or the last reset.
    void setParameters(const Record& record);
    void process(float* samples, std::size_t frames);
    void reset();

    // Output callback. Processes interleaved frames through `count` bands in order, with the same
    // result (within float rounding) as each band's process() in turn. A run of adjacent stereo bands
    // that are neither gliding nor passing through at 0 dB is processed two bands at a time with the
    // signal kept in double between them; any other band is processed on its own.
    static void processRun(ParamEq* const* bands, std::size_t count, float* samples, std::size_t frames);

private:
    struct Shape {
        double logCentre, bandwidth, gain; // ln(Hz), semitones, dB
    };
    // The peaking biquad written as the input plus a resonance: y = x + w with
    //   w[n] = g·(x[n] - x[n-2]) - a1·w[n-1] - a2·w[n-2].
    // The cookbook's numerator differs from its denominator only by g·(1 - z⁻²) (b1 = a1,
    // b0 - 1 = a2 - b2 = g), so this is direct form I rearranged: the same output from the same past
    // inputs and outputs, up to rounding, even while the coefficients glide; three multiplications
    // instead of five; and g = 0 exactly at 0 dB.
    struct Coefficients {
        double g, a1, a2; // normalised by a0
    };
    // Each channel's last two inputs and last two values of w, the channels side by side so the
    // stereo passes load both sides as one vector.
    struct Memory {
        alignas(16) std::array<double, maxChannels> x1, x2, w1, w2;
    };

    static Shape shapeOf(const Record& record);
    Coefficients design(const Shape& shape) const;
    void filter(float* samples, std::size_t frames);
    bool transientGone() const;
    void passThrough(const float* samples, std::size_t frames);
    bool fusable() const;
    static void cascade(ParamEq* const* bands, std::size_t count, float* samples, std::size_t frames);
    template <std::size_t Bands, class In, class Out>
    static void stereoPass(ParamEq* const* bands, const In* in, Out* out, std::size_t frames);

    double rate_;
    int channels_;
    int glideSteps_;            // coefficient updates over one glide
    Shape from_{}, to_{};       // the glide's ends
    int step_ = 0;              // updates made in the current glide; glideSteps_ when settled
    std::size_t untilStep_ = 0; // frames left before the next update
    Coefficients c_{};
    bool heard_ = false; // audio has passed since creation or reset
    Memory memory_{};
};

} // namespace orvu::engine::fx
