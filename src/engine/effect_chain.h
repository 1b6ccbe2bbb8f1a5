// Purpose: the per-channel chain of effects that the output callback runs at the channel's own rate.
//
// Threading: process() and reset() run on the output callback only.
#pragma once

#include <cstddef>

namespace orvu::engine {

class EffectChain {
public:
    // Processes interleaved frames in place.
    void process(float* /*samples*/, std::size_t /*frames*/, int /*channels*/) {}
    // Clears every effect's state (delay lines, filter memories) after a seek or stop.
    void reset() {}
};

} // namespace orvu::engine
