// Purpose: the effect chain's running order and reset, and the parameter mailbox, tested on probe
// effects that leave a trace in the signal.
#include "effects/buffer_decoder.h"
#include "engine/effect_chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

constexpr int rate = 44100;

// Block sizes that vary, including ones shorter than a run of bands, as the output callback may use.
constexpr std::size_t blockSizes[] = {1024, 7, 1, 300, 16, 2, 513, 9, 10, 11};

double largestDifference(const std::vector<float>& a, const std::vector<float>& b) {
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(static_cast<double>(a[i]) - b[i]));
    return worst;
}

// Adjacent stereo bands, processed together by the chain, give the samples the same bands give one
// after another, within float rounding: for runs of even and odd length, a 0 dB band that splits a
// run, blocks shorter than the run and longer than the chain takes at a time, and a glide of one
// band part-way through.
TEST(EffectChainTest, BandsTogetherSoundAsBandsOneByOne) {
    const std::vector<ParamEqParameters> runs[] = {
        {{100, 18, 3},
         {200, 18, -3},
         {400, 18, 3},
         {600, 18, -3},
         {1000, 18, 3},
         {3000, 18, -3},
         {6000, 18, 3},
         {12000, 18, -3},
         {14000, 18, 3},
         {14700, 18, -3}},
        {{150, 12, 6}, {900, 4, -9}, {5000, 30, 2}},
        {{250, 6, 9}, {2000, 24, -12}},
        {{85, 2, 12}, {500, 18, -4}, {4000, 8, 7}, {11000, 36, -10}},
        {{300, 12, 6}, {1200, 12, 0}, {2400, 12, -6}, {80, 1, 15}, {9000, 36, -15}},
    };
    const std::vector<float> input = orvu::test::whiteNoise(rate / 2, 2, 0.25f);
    for (const auto& bands : runs) {
        EffectChain chain;
        std::vector<fx::Effect*> together;
        std::vector<std::unique_ptr<fx::Effect>> alone;
        for (const ParamEqParameters& band : bands) {
            for (int copy = 0; copy < 2; ++copy) {
                std::unique_ptr<fx::Effect> effect = fx::makeEffect(kFxDx8ParamEq, 1, 0, rate, 2);
                ASSERT_TRUE(effect->setParameters(&band));
                if (copy == 0) {
                    together.push_back(effect.get());
                    ASSERT_TRUE(chain.add(std::move(effect)));
                } else {
                    alone.push_back(std::move(effect));
                }
            }
        }
        std::vector<float> fused = input;
        std::vector<float> plain = input;
        std::size_t done = 0;
        for (std::size_t block = 0; done < input.size() / 2; ++block) {
            if (block == 20) { // a glide on the second band, part-way through
                const ParamEqParameters moved{bands[1].fCenter * 1.5f, bands[1].fBandwidth, 5.0f};
                ASSERT_TRUE(together[1]->setParameters(&moved));
                ASSERT_TRUE(alone[1]->setParameters(&moved));
            }
            const std::size_t frames =
                std::min(blockSizes[block % std::size(blockSizes)], input.size() / 2 - done);
            chain.process(fused.data() + 2 * done, frames, 2);
            for (const auto& effect : alone)
                effect->process(plain.data() + 2 * done, frames);
            done += frames;
        }
        EXPECT_LT(largestDifference(fused, plain), 1e-6) << bands.size() << " bands";
        EXPECT_GT(largestDifference(fused, input), 1e-2) << "the bands must change the signal";
    }
}

// The reverb and the echo process steady stretches several frames at a time and frame by frame while
// a parameter glides; the two ways give the same samples. Posting the record in use again starts a
// glide that changes nothing, so only the way of processing differs.
TEST(EffectChainTest, DelayEffectsSoundTheSameWhileAGlideRuns) {
    const ReverbParameters reverb{0.0f, -10.0f, 1000.0f, 0.5f};
    const EchoParameters echoes[] = {{30.0f, 40.0f, 300.0f, 200.0f, 0}, {50.0f, 60.0f, 1.0f, 2.0f, 1}};
    struct Case {
        std::uint32_t type;
        const void* record;
    };
    const Case cases[] = {{kFxDx8Reverb, &reverb}, {kFxDx8Echo, &echoes[0]}, {kFxDx8Echo, &echoes[1]}};
    const std::vector<float> input = orvu::test::whiteNoise(rate / 2, 2, 0.25f);
    for (const Case& c : cases) {
        std::unique_ptr<fx::Effect> steady = fx::makeEffect(c.type, 1, 0, rate, 2);
        std::unique_ptr<fx::Effect> gliding = fx::makeEffect(c.type, 2, 0, rate, 2);
        ASSERT_TRUE(steady->setParameters(c.record));
        ASSERT_TRUE(gliding->setParameters(c.record));
        std::vector<float> a = input;
        std::vector<float> b = input;
        std::size_t done = 0;
        for (std::size_t block = 0; done < input.size() / 2; ++block) {
            if (block % 8 == 3) {
                ASSERT_TRUE(gliding->setParameters(c.record));
            }
            const std::size_t frames =
                std::min(blockSizes[block % std::size(blockSizes)], input.size() / 2 - done);
            steady->process(a.data() + 2 * done, frames);
            gliding->process(b.data() + 2 * done, frames);
            done += frames;
        }
        EXPECT_LT(largestDifference(a, b), 1e-6) << c.type;
        EXPECT_GT(largestDifference(a, input), 1e-2) << "the effect must change the signal";
    }
}

} // namespace
