// Purpose: the echo: a feedback delay per channel with an energy-normalised input and a wet/dry
// crossfade; with pan delay the channels feed each other, so echoes alternate sides.
#pragma once

#include "engine/effects/ramp.h"
#include "engine/engine_types.h"

#include <array>
#include <cstddef>
#include <vector>

namespace orvu::engine::fx {

class Echo {
public:
    using Record = EchoParameters;
    static constexpr int maxChannels = 8;
    static constexpr double maxDelayMs = 2000.0;

    static bool accept(Record& record, int rate);

    // Allocates the delay lines (2 s per channel).
    Echo(int rate, int channels, const Record& initial);

    // Gains glide and a moved delay tap crossfades over a few ms; both are immediate when nothing has
    // been processed since creation or the last reset.
    void setParameters(const Record& record);
    void process(float* samples, std::size_t frames);
    void reset();

private:
    struct Tap {
        std::size_t line;  // the line this output channel reads and feeds back from
        std::size_t delay; // frames
    };

    void aim(const Record& record, bool glide);
    // Each processes up to `frames` frames and returns how many it did: the first with constant gains
    // and taps, a stretch at a time; the second frame by frame while gains glide or taps crossfade.
    std::size_t processSteady(float* samples, std::size_t frames);
    std::size_t processGliding(float* samples, std::size_t frames);

    double rate_;
    std::size_t channels_;
    std::size_t size_; // frames per line, a power of two
    std::vector<float> lines_;
    std::size_t write_ = 0;
    std::array<Tap, maxChannels> taps_{};
    std::array<Tap, maxChannels> oldTaps_{}; // read while the crossfade to taps_ runs
    Ramp fade_{1.0f};                        // 0: old taps, 1: new taps
    Ramp wet_, feedback_, inputGain_;
    bool heard_ = false;
};

} // namespace orvu::engine::fx
