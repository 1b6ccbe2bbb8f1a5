// Purpose: the per-channel chain of effects that the output callback runs at the channel's own rate,
// higher priority first and, among equal priorities, in the order the effects were added.
#include "engine/effect_chain.h"

#include "engine/effects/param_eq.h"

#include <algorithm>

namespace orvu::engine {

EffectChain::EffectChain() {
    owned_.reserve(capacity);
    orders_.reserve(capacity);
}

EffectChain::~EffectChain() = default;

bool EffectChain::add(std::unique_ptr<fx::Effect> effect) {
    if (!effect || owned_.size() == capacity)
        return false;
    auto next = std::make_unique<Order>();
    if (const Order* now = current_.load(std::memory_order_relaxed))
        *next = *now;
    fx::Effect** begin = next->effects.data();
    fx::Effect** end = begin + next->count;
    const int priority = effect->priority();
    fx::Effect** at = std::find_if(begin, end, [&](const fx::Effect* e) { return e->priority() < priority; });
    std::move_backward(at, end, end + 1);
    *at = effect.get();
    ++next->count;

    owned_.push_back(std::move(effect));
    const Order* published = next.get();
    orders_.push_back(std::move(next));
    current_.store(published, std::memory_order_release);
    return true;
}

void EffectChain::process(float* samples, std::size_t frames, int channels) {
    const Order* order = current_.load(std::memory_order_acquire);
    if (order == nullptr)
        return;
    for (std::size_t i = 0; i < order->count;) {
        fx::Effect* effect = order->effects[i];
        if (channels != 2 || effect->band() == nullptr) {
            effect->process(samples, frames);
            ++i;
            continue;
        }
        // A run of adjacent equalizer bands: one pass over the samples for all of them (a band on
        // its own, or one gliding, is processed as before).
        std::array<fx::ParamEq*, capacity> bands{};
        std::size_t count = 0;
        for (; i < order->count && order->effects[i]->band() != nullptr; ++i) {
            order->effects[i]->takeParameters();
            bands[count++] = order->effects[i]->band();
        }
        fx::ParamEq::processRun(bands.data(), count, samples, frames);
    }
}

void EffectChain::reset() {
    const Order* order = current_.load(std::memory_order_acquire);
    if (order == nullptr)
        return;
    for (std::size_t i = 0; i < order->count; ++i)
        order->effects[i]->reset();
}

} // namespace orvu::engine
