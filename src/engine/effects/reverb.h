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
    // Frames processed together: every line is longer, so a chunk's reads all precede its writes.
    static constexpr std::size_t maxChunk = 256;

    // A Schroeder allpass: spreads an impulse into a dense burst without colouring the spectrum.
    struct Diffuser {
        std::vector<float> buffer;
        std::size_t position = 0;
        void run(float* x, std::size_t frames); // in place
    };
    struct Line {
        std::vector<float> buffer; // a power of two long; the damping filter's memory is the
                                   // sample before the tap, still in the buffer
        std::size_t delay = 0;     // frames
        Ramp gain;                 // low-frequency loss per pass
        Ramp damping;              // tap weight h of the damping filter (1-h) + h·z⁻¹
    };

    void aim(const Record& record, bool glide);
    int glideLeft() const;
    // Fills left_ and right_ with the diffused sides of `frames` (at most chunk_) frames.
    void sides(const float* samples, std::size_t frames);
    // Both run at most chunk_ frames: the first with constant coefficients, over whole vectors of
    // frames; the second frame by frame while the coefficients glide.
    void processChunk(float* samples, std::size_t frames);
    void processGliding(float* samples, std::size_t frames);
    void mixOut(float* samples, std::size_t frames);

    double rate_;
    int channels_;
    std::array<Line, lineCount> lines_;
    std::array<Diffuser, 4> diffusers_; // two in series per side
    std::size_t write_ = 0;
    std::size_t chunk_ = maxChunk; // frames per chunk: at most the shortest line
    Ramp dry_, wet_;
    bool heard_ = false;
    // Scratch for one chunk (output callback only).
    std::array<float, maxChunk> left_{}, right_{}, sum_{}, wetLeft_{}, wetRight_{};
    std::array<float, maxChunk + 1> taps_{};
    std::array<std::array<float, maxChunk>, lineCount> out_{};
};

} // namespace orvu::engine::fx
