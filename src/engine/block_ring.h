// Purpose: the lock-free single-producer single-consumer ring of decoded blocks between a channel's
// decode thread and the output callback.
//
// Threading: exactly one producer (the decode thread) calls beginWrite/commitWrite and exactly one
// consumer (the output callback) calls front/popFront. Indices are atomics with acquire/release
// ordering; nothing here locks, allocates or blocks after construction.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvu::engine {

struct DecodedBlock {
    std::uint64_t generation = 0; // the seek/stop generation the decode thread worked for
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

    // Consumer: the oldest filled block, or nullptr when the ring is empty.
    DecodedBlock* front() {
        const std::uint64_t read = read_.load(std::memory_order_relaxed);
        if (read == write_.load(std::memory_order_acquire))
            return nullptr;
        return &blocks_[read % blocks_.size()];
    }
    void popFront() { read_.fetch_add(1, std::memory_order_release); }

    // Number of blocks ever committed; the producer notifies waiters on it.
    std::atomic<std::uint64_t>& committed() { return write_; }

private:
    std::vector<float> storage_;
    std::vector<DecodedBlock> blocks_;
    std::size_t blockFrames_;
    alignas(64) std::atomic<std::uint64_t> write_{0};
    alignas(64) std::atomic<std::uint64_t> read_{0};
};

} // namespace orvu::engine
