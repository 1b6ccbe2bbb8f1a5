// Purpose: one effect on a channel as the engine and the effect chain see it: its handle, priority,
// parameter record and processing.
//
// Threading: construction, setParameters and getParameters run on the control thread; process and
// reset run on the output callback. A parameter record travels from one to the other through a
// sequence-numbered mailbox of atomic words that the callback reads at the start of each block;
// the callback never waits for the control thread.
#pragma once

#include "engine/engine_types.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

namespace orvu::engine::fx {

class ParamEq;

class Effect {
public:
    Effect(Handle handle, int priority)
        : handle_(handle)
        , priority_(priority) {}
    virtual ~Effect() = default;
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    Handle handle() const { return handle_; }
    int priority() const { return priority_; }

    // Control thread. Copies the effect's record from / to `record`; false (and nothing changed)
    // when a field is out of range.
    virtual bool setParameters(const void* record) = 0;
    virtual void getParameters(void* record) const = 0;

    // Output callback. Processes interleaved frames in place, with the channel count given at creation.
    virtual void process(float* samples, std::size_t frames) = 0;
    // Output callback. Clears delay lines and filter memories (after a seek or stop).
    virtual void reset() = 0;

    // Output callback. Takes a record posted since the last block, as process() does first; the
    // chain calls it before processing a run of equalizer bands in one pass.
    virtual void takeParameters() {}
    // The equalizer band behind the effect, so the chain can process adjacent bands in one pass;
    // null for any other kind.
    virtual ParamEq* band() { return nullptr; }

private:
    Handle handle_;
    int priority_;
};

// Carries the newest record of type R from the control thread to the output callback: a seqlock
// whose payload is atomic words, so a torn read is detected and retried at the next block.
template <class R>
class RecordMailbox {
    static_assert(std::is_trivially_copyable_v<R> && sizeof(R) % sizeof(std::uint32_t) == 0);
    static constexpr std::size_t words = sizeof(R) / sizeof(std::uint32_t);

public:
    // Control thread (a single writer).
    void post(const R& record) {
        std::array<std::uint32_t, words> raw{};
        std::memcpy(raw.data(), &record, sizeof(R));
        // Release stores of the payload: a reader that sees any new word also sees the odd serial.
        serial_.fetch_add(1, std::memory_order_acq_rel); // odd: write in progress
        for (std::size_t i = 0; i < words; ++i)
            payload_[i].store(raw[i], std::memory_order_release);
        serial_.fetch_add(1, std::memory_order_release);
    }

    // Output callback. True with the record when one was posted since the last successful take.
    bool take(R& record) {
        const std::uint32_t before = serial_.load(std::memory_order_acquire);
        if (before == seen_ || (before & 1u) != 0)
            return false;
        std::array<std::uint32_t, words> raw{};
        // Acquire loads keep the second serial read after the payload reads (no fences: they are not
        // modelled by ThreadSanitizer).
        for (std::size_t i = 0; i < words; ++i)
            raw[i] = payload_[i].load(std::memory_order_acquire);
        if (serial_.load(std::memory_order_relaxed) != before)
            return false; // caught a write half done: the next block takes it
        std::memcpy(static_cast<void*>(&record), raw.data(), sizeof(R));
        seen_ = before;
        return true;
    }

private:
    std::atomic<std::uint32_t> serial_{0};
    std::array<std::atomic<std::uint32_t>, words> payload_{};
    std::uint32_t seen_ = 0; // output callback only
};

// An Effect around a DSP unit `Dsp` that provides:
//   using Record; static bool accept(Record&, int rate) (validates, may adjust);
//   Dsp(int rate, int channels, const Record&); setParameters(const Record&); process; reset.
template <class Dsp>
class EffectOf final : public Effect {
public:
    using Record = typename Dsp::Record;

    EffectOf(Handle handle, int priority, int rate, int channels, Record initial)
        : Effect(handle, priority)
        , rate_(rate)
        , stored_(initial)
        , dsp_(rate, channels, initial) {}

    bool setParameters(const void* record) override {
        Record candidate;
        std::memcpy(static_cast<void*>(&candidate), record, sizeof(Record));
        if (!Dsp::accept(candidate, rate_))
            return false;
        stored_ = candidate;
        mailbox_.post(candidate);
        return true;
    }

    void getParameters(void* record) const override { std::memcpy(record, &stored_, sizeof(Record)); }

    void process(float* samples, std::size_t frames) override {
        takeParameters();
        dsp_.process(samples, frames);
    }

    void reset() override {
        takeParameters();
        dsp_.reset();
    }

    void takeParameters() override {
        Record record;
        if (mailbox_.take(record))
            dsp_.setParameters(record);
    }

    ParamEq* band() override {
        if constexpr (std::is_same_v<Dsp, ParamEq>)
            return &dsp_;
        else
            return nullptr;
    }

private:
    int rate_;
    Record stored_; // control thread: what the effect uses once the callback has taken it
    RecordMailbox<Record> mailbox_;
    Dsp dsp_; // output callback after construction
};

// A new effect of `type` (kFxDx8ParamEq, kFxDx8Echo, kFxDx8Reverb) with its starting parameters,
// for a channel of `rate` Hz and `channels` channels; null for any other type. Control thread: it
// allocates the effect's delay lines.
std::unique_ptr<Effect> makeEffect(std::uint32_t type, Handle handle, int priority, int rate, int channels);

} // namespace orvu::engine::fx
