// Purpose: a channel attribute (volume, pan, rate) that can be set at once or slid over time.
//
// Threading: the control thread writes (set, slideTo); the output callback reads (valueAt) without
// locking: a sequence counter tells a reader to retry when it caught a write half done.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace orvu::engine {

class SlidingValue {
public:
    explicit SlidingValue(float initial) { set(initial, 0); }

    // Sets the value at once; any slide ends.
    void set(float value, std::int64_t nowFrame) { write(value, value, nowFrame, 0); }

    // Moves from the current value to `target` over `durationFrames` of the device clock.
    void slideTo(float target, std::int64_t nowFrame, std::int64_t durationFrames) {
        write(valueAt(nowFrame), target, nowFrame, durationFrames);
    }

    float valueAt(std::int64_t frame) const {
        // A writer is never preempted for long, but the output callback must not spin on it:
        // after a few tries it takes the target, which is at worst one block early.
        for (int attempt = 0; attempt < 64; ++attempt) {
            const std::uint32_t before = serial_.load(std::memory_order_acquire);
            if (before & 1u)
                continue;
            // Acquire loads keep the second serial read after them (fences would do, but
            // ThreadSanitizer does not model them).
            const float from = from_.load(std::memory_order_acquire);
            const float to = to_.load(std::memory_order_acquire);
            const std::int64_t start = start_.load(std::memory_order_acquire);
            const std::int64_t duration = duration_.load(std::memory_order_acquire);
            if (serial_.load(std::memory_order_relaxed) != before)
                continue;
            if (duration <= 0 || frame >= start + duration)
                return to;
            const float t =
                static_cast<float>(std::max<std::int64_t>(frame - start, 0)) / static_cast<float>(duration);
            return from + (to - from) * t;
        }
        return to_.load(std::memory_order_relaxed);
    }

    float target() const { return to_.load(std::memory_order_relaxed); }

    // True once a slide (or a set) has reached its target at `frame`.
    bool settledAt(std::int64_t frame) const {
        return frame >= start_.load(std::memory_order_relaxed) + duration_.load(std::memory_order_relaxed);
    }

private:
    void write(float from, float to, std::int64_t start, std::int64_t duration) {
        // Release stores: a reader that sees any new field also sees the odd serial and retries.
        serial_.fetch_add(1, std::memory_order_acq_rel); // odd: write in progress
        from_.store(from, std::memory_order_release);
        to_.store(to, std::memory_order_release);
        start_.store(start, std::memory_order_release);
        duration_.store(duration, std::memory_order_release);
        serial_.fetch_add(1, std::memory_order_release);
    }

    std::atomic<std::uint32_t> serial_{0};
    std::atomic<float> from_{0.0f};
    std::atomic<float> to_{0.0f};
    std::atomic<std::int64_t> start_{0};
    std::atomic<std::int64_t> duration_{0};
};

} // namespace orvu::engine
