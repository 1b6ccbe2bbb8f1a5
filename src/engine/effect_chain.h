// Purpose: the per-channel chain of effects that the output callback runs at the channel's own rate,
// higher priority first and, among equal priorities, in the order the effects were added.
//
// Threading: add() runs on the control thread; process() and reset() on the output callback.
// The chain owns its effects; the running order is an immutable array published through one atomic
// pointer, so the callback sees either the old order or the new one, never a mix. Effects are only
// ever added (they die with their channel), so every order ever published is kept until the chain
// is destroyed: at most `capacity` small arrays, and none is freed while the callback may read it.
// (Removing effects would need the engine's render-epoch retirement instead.) The channel, and so
// the chain, is destroyed only once the output thread can no longer be inside it.
#pragma once

#include "engine/effects/effect.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

namespace orvu::engine {

class EffectChain {
public:
    static constexpr std::size_t capacity = 32;

    EffectChain();
    ~EffectChain();
    EffectChain(const EffectChain&) = delete;
    EffectChain& operator=(const EffectChain&) = delete;

    // Control thread. Inserts after every effect of the same or higher priority; false when full.
    bool add(std::unique_ptr<fx::Effect> effect);

    // Output callback. Processes interleaved frames in place; each effect first takes any parameter
    // record posted since the last block. Adjacent equalizer bands on a stereo channel are processed
    // together in one pass over the samples.
    void process(float* samples, std::size_t frames, int channels);
    // Output callback. Clears every effect's state (delay lines, filter memories) after a seek or stop.
    void reset();

private:
    struct Order {
        std::array<fx::Effect*, capacity> effects{};
        std::size_t count = 0;
    };

    std::vector<std::unique_ptr<fx::Effect>> owned_; // control thread
    std::vector<std::unique_ptr<Order>> orders_;     // control thread: every order published
    std::atomic<const Order*> current_{nullptr};
};

} // namespace orvu::engine
