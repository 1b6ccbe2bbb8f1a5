// Purpose: the decode ring hands blocks over in order across wrap-around, never overfilling.
#include "engine/block_ring.h"

#include <gtest/gtest.h>

#include <thread>

using orvu::engine::BlockRing;

namespace {

// A producer and a consumer on two threads pass 10,000 stamped blocks through a 4-block ring in order.
TEST(BlockRing, PassesBlocksInOrderAcrossThreads) {
    BlockRing ring(4, 8, 2);
    constexpr std::int64_t total = 10000;
    std::thread producer([&] {
        for (std::int64_t i = 0; i < total;) {
            if (auto* block = ring.beginWrite()) {
                block->startFrame = i;
                block->samples[0] = static_cast<float>(i % 1000);
                ring.commitWrite();
                ++i;
            } else {
                std::this_thread::yield();
            }
        }
    });
    std::int64_t expected = 0;
    while (expected < total) {
        if (auto* block = ring.front()) {
            ASSERT_EQ(block->startFrame, expected);
            ASSERT_EQ(block->samples[0], static_cast<float>(expected % 1000));
            ring.popFront();
            ++expected;
        } else {
            std::this_thread::yield();
        }
    }
    producer.join();
    EXPECT_EQ(ring.front(), nullptr);
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
