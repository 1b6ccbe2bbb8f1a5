// Purpose: the decode ring hands blocks over in order across wrap-around, never overfilling, and wakes
// its producer when it has drained to half.
#include "engine/block_ring.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using orvu::engine::BlockRing;

namespace {

// A producer and a consumer on two threads pass 10,000 stamped blocks through a 4-block ring in order.
// The producer sleeps whenever the ring is full, as the decode thread does, and only the consumer's
// pops wake it: a lost wake-up stalls the run, which the consumer reports instead of hanging.
TEST(BlockRing, PassesBlocksInOrderAcrossThreads) {
    BlockRing ring(4, 8, 2);
    constexpr std::int64_t total = 10000;
    std::atomic<bool> quit{false};
    std::thread producer([&] {
        for (std::int64_t i = 0; i < total && !quit;) {
            const std::uint32_t ticket = ring.wakeTicket();
            if (auto* block = ring.beginWrite()) {
                block->startFrame = i;
                block->samples[0] = static_cast<float>(i % 1000);
                ring.commitWrite();
                ++i;
            } else {
                ring.waitForWake(ticket);
            }
        }
    });
    std::int64_t expected = 0;
    auto lastProgress = std::chrono::steady_clock::now();
    while (expected < total) {
        if (auto* block = ring.front()) {
            ASSERT_EQ(block->startFrame, expected);
            ASSERT_EQ(block->samples[0], static_cast<float>(expected % 1000));
            ring.popFront();
            ++expected;
            lastProgress = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - lastProgress > std::chrono::seconds(10)) {
            break;
        } else {
            std::this_thread::yield();
        }
    }
    EXPECT_EQ(expected, total) << "the producer slept through the room the consumer made";
    quit = true;
    ring.wakeProducer();
    producer.join();
    EXPECT_EQ(ring.front(), nullptr);
}

// The consumer wakes the producer once the ring has drained to half, not for every block it takes;
// wakeProducer wakes it whatever the ring holds.
TEST(BlockRing, WakesTheProducerOnceDrainedToHalf) {
    BlockRing ring(8, 4, 1);
    for (int i = 0; i < 8; ++i) {
        ASSERT_NE(ring.beginWrite(), nullptr);
        ring.commitWrite();
    }
    const std::uint32_t full = ring.wakeTicket();
    for (int held = 7; held > 4; --held) {
        ring.popFront();
        EXPECT_EQ(ring.wakeTicket(), full) << held << " blocks held";
    }
    ring.popFront(); // 4 of 8 held
    const std::uint32_t half = ring.wakeTicket();
    EXPECT_NE(half, full);
    ring.waitForWake(full); // returns at once: the wake-up came before the wait
    ring.wakeProducer();
    EXPECT_NE(ring.wakeTicket(), half);
}

// A full ring refuses another block until the consumer frees one.
TEST(BlockRing, RefusesWritesWhenFull) {
    BlockRing ring(2, 4, 1);
    ASSERT_NE(ring.beginWrite(), nullptr);
    ring.commitWrite();
    ASSERT_NE(ring.beginWrite(), nullptr);
    ring.commitWrite();
    EXPECT_EQ(ring.beginWrite(), nullptr);
    ring.popFront();
    EXPECT_NE(ring.beginWrite(), nullptr);
}

} // namespace
