// Purpose: the effect chain's running order and reset, and the parameter mailbox, tested on probe
// effects that leave a trace in the signal.
#include "engine/effect_chain.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace orvu::engine;

namespace {

// Appends its digit to the sample (x → 10·x + digit), so the output spells the running order.
class DigitEffect final : public fx::Effect {
public:
    DigitEffect(int digit, int priority, int* resets = nullptr)
        : Effect(static_cast<Handle>(digit), priority)
        , digit_(digit)
        , resets_(resets) {}
    bool setParameters(const void*) override { return true; }
    void getParameters(void*) const override {}
    void process(float* samples, std::size_t frames) override {
        for (std::size_t i = 0; i < frames; ++i)
            samples[i] = 10.0f * samples[i] + static_cast<float>(digit_);
    }
    void reset() override {
        if (resets_)
            ++*resets_;
    }

private:
    int digit_;
    int* resets_;
};

struct OrderCase {
    std::vector<int> priorities; // of effects 1, 2, 3… in the order they are added
    float trace;                 // their digits in the order they must run
};

// Higher priorities run first; equal priorities run in the order the effects were added.
TEST(EffectChainTest, RunsByPriorityThenByOrderOfAddition) {
    const OrderCase cases[] = {
        {{1, 2}, 21.0f},       {{2, 1}, 12.0f},         {{0, 0}, 12.0f},         {{0, 0, 0}, 123.0f},
        {{-5, 10, 3}, 231.0f}, {{5, 7, 5, 7}, 2413.0f}, {{0, 1, 0, 1}, 2413.0f},
    };
    for (const OrderCase& c : cases) {
        EffectChain chain;
        for (std::size_t i = 0; i < c.priorities.size(); ++i)
            ASSERT_TRUE(chain.add(std::make_unique<DigitEffect>(static_cast<int>(i) + 1, c.priorities[i])));
        float sample = 0.0f;
        chain.process(&sample, 1, 1);
        EXPECT_EQ(sample, c.trace) << ::testing::PrintToString(c.priorities);
    }
}

// Reset reaches every effect, and a full chain refuses more.
TEST(EffectChainTest, ResetReachesEveryEffectAndCapacityIsKept) {
    EffectChain chain;
    int resets = 0;
    for (std::size_t i = 0; i < EffectChain::capacity; ++i)
        ASSERT_TRUE(chain.add(std::make_unique<DigitEffect>(0, 0, &resets)));
    EXPECT_FALSE(chain.add(std::make_unique<DigitEffect>(0, 0, &resets)));
    chain.reset();
    EXPECT_EQ(resets, static_cast<int>(EffectChain::capacity));
}

// The callback takes each posted record once, whole, and only the newest when several were posted.
TEST(RecordMailboxTest, DeliversTheNewestRecordOnce) {
    fx::RecordMailbox<EchoParameters> mailbox;
    EchoParameters got{};
    EXPECT_FALSE(mailbox.take(got));
    mailbox.post({10.0f, 20.0f, 30.0f, 40.0f, 1});
    mailbox.post({11.0f, 21.0f, 31.0f, 41.0f, 0});
    ASSERT_TRUE(mailbox.take(got));
    EXPECT_EQ(got.fWetDryMix, 11.0f);
    EXPECT_EQ(got.fFeedback, 21.0f);
    EXPECT_EQ(got.fLeftDelay, 31.0f);
    EXPECT_EQ(got.fRightDelay, 41.0f);
    EXPECT_EQ(got.lPanDelay, 0);
    EXPECT_FALSE(mailbox.take(got));
}

} // namespace
