// Purpose: the lock-free single-producer single-consumer ring of decoded blocks between a channel's
// decode thread and the output callback.
//
// Threading: exactly one producer (the decode thread) calls beginWrite/commitWrite/waitForWake and
// exactly one consumer (the output callback) calls front/popFront; wakeProducer may be called from any
// thread. Indices are atomics with acquire/release ordering; nothing here locks or allocates after
// construction, and only waitForWake blocks.
//
// Waking the producer: it sleeps while the ring is full, and the consumer wakes it once the ring has
// drained to half, not on every block it takes (a futex wake and a thread switch per block otherwise).
// The producer takes its wake ticket before it looks for room, so a wake-up between the two is never
// lost: the ticket has moved on and the wait returns at once. A producer that found the ring full is
// woken by the pop that brings the ring down to half, since that pop comes after the one it saw, and
// the consumer's view of the write index is never newer than the producer's, so it sees the ring no
// fuller than it is and wakes early rather than late.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvu::engine {

struct DecodedBlock {
    std::uint64_t generation = 0; // the seek/stop generation the decode thread worked for
    std::uint32_t pass = 0;       // passes through the source completed before this block (loops)
    std::int64_t startFrame = 0;  // source frame of the block's first frame
    std::size_t frames = 0;       // frames held
    float* samples = nullptr;     // interleaved, capacity blockFrames * channels
};

class BlockRing {
public:
    BlockRing(std::size_t blockCount, std::size_t blockFrames, int channels)
        : storage_(blockCount * blockFrames * static_cast<std::size_t>(channels))
        , blocks_(blockCount)
        , blockFrames_(blockFrames) {
        for (std::size_t i = 0; i < blockCount; ++i)
            blocks_[i].samples = storage_.data() + i * blockFrames * static_cast<std::size_t>(channels);
    }

    std::size_t blockFrames() const { return blockFrames_; }
    std::size_t capacity() const { return blocks_.size(); }

    // Producer: the next free block, or nullptr when the ring is full.
    DecodedBlock* beginWrite() {
        const std::uint64_t write = write_.load(std::memory_order_relaxed);
        if (write - read_.load(std::memory_order_acquire) >= blocks_.size())
            return nullptr;
        return &blocks_[write % blocks_.size()];
    }
    void commitWrite() { write_.fetch_add(1, std::memory_order_release); }
    // Producer: the ticket to wait on, taken before beginWrite; waitForWake returns once the ring has
    // drained to half or wakeProducer has been called since the ticket was taken.
    std::uint32_t wakeTicket() const { return wake_.load(std::memory_order_acquire); }
    void waitForWake(std::uint32_t ticket) const { wake_.wait(ticket, std::memory_order_acquire); }
    // Any thread: wakes the producer whatever the ring holds (a seek, a stop, a shutdown).
    void wakeProducer() {
        wake_.fetch_add(1, std::memory_order_release);
        wake_.notify_one();
    }

    // Consumer: the oldest filled block, or nullptr when the ring is empty.
    DecodedBlock* front() {
        const std::uint64_t read = read_.load(std::memory_order_relaxed);
        if (read == write_.load(std::memory_order_acquire))
            return nullptr;
        return &blocks_[read % blocks_.size()];
    }
    void popFront() {
        const std::uint64_t read = read_.fetch_add(1, std::memory_order_release) + 1;
        if (write_.load(std::memory_order_acquire) - read <= blocks_.size() / 2)
            wakeProducer();
    }

private:
    std::vector<float> storage_;
    std::vector<DecodedBlock> blocks_;
    std::size_t blockFrames_;
    alignas(64) std::atomic<std::uint64_t> write_{0};
    alignas(64) std::atomic<std::uint64_t> read_{0};
    alignas(64) std::atomic<std::uint32_t> wake_{0}; // bumped to wake the producer
};

} // namespace orvu::engine
