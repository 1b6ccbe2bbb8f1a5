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
    // The most bands one fused pass takes; longer runs are split.
    static constexpr std::size_t maxRun = 16;

    // Validates the record and lowers a centre above a third of `rate` to that limit.
    static bool accept(Record& record, int rate);

    ParamEq(int rate, int channels, const Record& initial);

    // Glides centre (on a log scale), bandwidth and gain to the record's values over a few ms; takes
    // them at once when nothing has been processed since creation or the last reset.
    void setParameters(const Record& record);
    void process(float* samples, std::size_t frames);
    void reset();

    // Output callback. Processes interleaved frames through `count` bands in order, with the same
    // result (within float rounding) as each band's process() in turn. Adjacent stereo bands that are
    // neither gliding nor passing through at 0 dB go through one fused pass over the samples; any
    // other band is processed on its own.
    static void processRun(ParamEq* const* bands, std::size_t count, float* samples, std::size_t frames);

private:
    struct Shape {
        double logCentre, bandwidth, gain; // ln(Hz), semitones, dB
    };
    struct Coefficients {
        double b0, b1, b2, a1, a2; // normalised by a0
    };
    struct Memory {
        double x1, x2, y1, y2;
    };

    static Shape shapeOf(const Record& record);
    Coefficients design(const Shape& shape) const;
    void filter(float* samples, std::size_t frames);
    bool transientGone() const;
    void passThrough(const float* samples, std::size_t frames);
    bool fusable() const;
    static void cascade(ParamEq* const* bands, std::size_t count, float* samples, std::size_t frames);

    double rate_;
    int channels_;
    int glideSteps_;            // coefficient updates over one glide
    Shape from_{}, to_{};       // the glide's ends
    int step_ = 0;              // updates made in the current glide; glideSteps_ when settled
    std::size_t untilStep_ = 0; // frames left before the next update
    Coefficients c_{};
    bool heard_ = false; // audio has passed since creation or reset
    std::array<Memory, maxChannels> memory_{};
};

} // namespace orvu::engine::fx
