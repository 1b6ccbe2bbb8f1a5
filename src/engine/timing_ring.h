// Purpose: what a channel's output callback rendered when, so the control thread can tell which source
// frame is being heard and how many passes have been heard to their end.
//
// Threading: one writer (the output callback) appends; readers on the control thread look up. Nothing
// locks or allocates. A timing segment is guarded by a sequence counter that is odd while it is written;
// a reader that catches a segment mid-write (the ring has come round to it) skips it, which only happens
// to segments far older than anything still to be heard.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace orvu::engine {

// A stretch of output in which the source advanced linearly: device frames [deviceStart, deviceStart +
// frames) played source frames from sourceStart on, `ratio` source frames for each device frame.
struct TimingSegment {
    std::int64_t deviceStart = 0;
    double sourceStart = 0.0;
    double ratio = 1.0;
    std::int64_t frames = 0;
    std::uint64_t generation = 0; // the seek generation the audio belonged to
};

class TimingRing {
public:
    static constexpr std::size_t capacity = 64;

    // Writer.
    void append(const TimingSegment& segment) {
        const std::uint64_t index = written_.load(std::memory_order_relaxed);
        Slot& slot = slots_[index % capacity];
        slot.serial.fetch_add(1, std::memory_order_acq_rel); // odd: being written
        slot.deviceStart.store(segment.deviceStart, std::memory_order_release);
        slot.sourceStart.store(segment.sourceStart, std::memory_order_release);
        slot.ratio.store(segment.ratio, std::memory_order_release);
        slot.frames.store(segment.frames, std::memory_order_release);
        slot.generation.store(segment.generation, std::memory_order_release);
        slot.serial.fetch_add(1, std::memory_order_release);
        written_.store(index + 1, std::memory_order_release);
    }

    // Reader: the source frame heard at device frame `heard` in `generation`, or nothing when no audio
    // of that generation has been heard yet. Past the end of the newest segment (paused, stopped, ended)
    // it is where that segment ended.
    std::optional<double> sourceAt(std::int64_t heard, std::uint64_t generation) const {
        const std::uint64_t written = written_.load(std::memory_order_acquire);
        const std::uint64_t oldest = written > capacity ? written - capacity : 0;
        for (std::uint64_t index = written; index-- > oldest;) {
            const std::optional<TimingSegment> segment = read(slots_[index % capacity]);
            if (!segment || segment->generation != generation || segment->deviceStart > heard)
                continue;
            const std::int64_t into = std::min(heard - segment->deviceStart, segment->frames);
            return segment->sourceStart + segment->ratio * static_cast<double>(into);
        }
        return std::nullopt;
    }

private:
    struct Slot {
        std::atomic<std::uint32_t> serial{0};
        std::atomic<std::int64_t> deviceStart{0};
        std::atomic<double> sourceStart{0.0};
        std::atomic<double> ratio{0.0};
        std::atomic<std::int64_t> frames{0};
        std::atomic<std::uint64_t> generation{~0ull};
    };

    static std::optional<TimingSegment> read(const Slot& slot) {
        const std::uint32_t before = slot.serial.load(std::memory_order_acquire);
        if (before & 1u)
            return std::nullopt;
        // Acquire loads keep the second serial read after them (ThreadSanitizer does not model fences).
        TimingSegment segment{
            slot.deviceStart.load(std::memory_order_acquire),
            slot.sourceStart.load(std::memory_order_acquire), slot.ratio.load(std::memory_order_acquire),
            slot.frames.load(std::memory_order_acquire), slot.generation.load(std::memory_order_acquire)};
        if (slot.serial.load(std::memory_order_relaxed) != before)
            return std::nullopt;
        return segment;
    }

    std::array<Slot, capacity> slots_{};
    std::atomic<std::uint64_t> written_{0};
};

// The device frames at which passes of a channel ended (a loop's wrap, the final end), in the order they
// were rendered. One writer (the output callback), readers on the control thread.
class PassLog {
public:
    static constexpr std::size_t capacity = 32;

    void append(std::int64_t deviceFrame) {
        const std::uint64_t count = count_.load(std::memory_order_relaxed);
        ends_[count % capacity].store(deviceFrame, std::memory_order_relaxed);
        count_.store(count + 1, std::memory_order_release);
    }

    // How many pass ends lie at or before device frame `heard`. The newest ends are the unheard ones;
    // more than `capacity` of them unheard at once counts the oldest of those as heard.
    std::uint64_t heardBy(std::int64_t heard) const {
        const std::uint64_t count = count_.load(std::memory_order_acquire);
        const std::uint64_t oldest = count > capacity ? count - capacity : 0;
        std::uint64_t index = count;
        while (index > oldest && ends_[(index - 1) % capacity].load(std::memory_order_relaxed) > heard)
            --index;
        return index;
    }

private:
    std::array<std::atomic<std::int64_t>, capacity> ends_{};
    std::atomic<std::uint64_t> count_{0};
};

} // namespace orvu::engine
