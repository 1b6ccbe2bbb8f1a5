// Purpose: the reverb: an eight-line feedback delay network whose low frequencies decay by the reverb
// time (RT60) and whose highest frequencies decay by that time times the high-frequency ratio.
#pragma once

#include "engine/effects/ramp.h"
#include "engine/engine_types.h"

#include <array>
#include <cstddef>
#include <vector>

namespace orvu::engine::fx {

class Reverb {
public:
    using Record = ReverbParameters;
    static constexpr std::size_t lineCount = 8;

    static bool accept(Record& record, int rate);

    // Allocates the delay lines and diffusers.
    Reverb(int rate, int channels, const Record& initial);

    // Gains and loop coefficients glide over a few ms; they are immediate when nothing has been
    // processed since creation or the last reset.
    void setParameters(const Record& record);
    void process(float* samples, std::size_t frames);
    void reset();

private:
    // A Schroeder allpass: spreads an impulse into a dense burst without colouring the spectrum.
    struct Diffuser {
        std::vector<float> buffer;
        std::size_t position = 0;
        float run(float x);
    };
    struct Line {
        std::vector<float> buffer; // a power of two long
        std::size_t delay = 0;     // frames
        float previous = 0.0f;     // the damping filter's memory
        Ramp gain;                 // low-frequency loss per pass
        Ramp damping;              // tap weight h of the damping filter (1-h) + h·z⁻¹
    };

    void aim(const Record& record, bool glide);

    double rate_;
    int channels_;
    std::array<Line, lineCount> lines_;
    std::array<Diffuser, 4> diffusers_; // two in series per side
    std::size_t write_ = 0;
    Ramp dry_, wet_;
    bool heard_ = false;
};

} // namespace orvu::engine::fx
