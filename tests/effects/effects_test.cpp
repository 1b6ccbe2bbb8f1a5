// Purpose: the engine's effects measured on rendered output: equalizer response and transparency,
// echo timing and levels, reverb decay and mix, parameter handling, glides, resets and handles.
#include "effects/buffer_decoder.h"
#include "engine/engine.h"
#include "engine/sine_decoder.h"
#include "support/signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

using namespace orvu::engine;
using orvu::test::channelOf;
using orvu::test::impulse;
using orvu::test::largestStep;
using orvu::test::makeBufferDecoder;
using orvu::test::makeSineDecoder;
using orvu::test::SineSpec;
using orvu::test::toneAmplitude;
using orvu::test::whiteNoise;

namespace {

constexpr int rate = 44100;
constexpr std::size_t deviceBuffer = 1024;

double toDb(double ratio) {
    return 20.0 * std::log10(ratio);
}

// The cookbook peaking filter's magnitude at `frequency`, computed directly from its formulas.
double peakingResponseDb(double centre, double semitones, double gainDb, double frequency, double fs) {
    const double w0 = 2.0 * M_PI * centre / fs;
    const double a = std::pow(10.0, gainDb / 40.0);
    const double alpha =
        std::sin(w0) * std::sinh(std::log(2.0) / 2.0 * (semitones / 12.0) * w0 / std::sin(w0));
    const std::complex<double> z1 = std::polar(1.0, -2.0 * M_PI * frequency / fs);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (1.0 + alpha * a - 2.0 * std::cos(w0) * z1 + (1.0 - alpha * a) * z2) /
                                   (1.0 + alpha / a - 2.0 * std::cos(w0) * z1 + (1.0 - alpha / a) * z2);
    return toDb(std::abs(h));
}

// Reverberation time from the energy decay curve (backward-integrated squared signal): the slope of
// a straight-line fit between -5 and -35 dB, extended to 60 dB.
double decayTimeSeconds(const std::vector<float>& signal, double fs) {
    std::vector<double> curve(signal.size());
    double energy = 0.0;
    for (std::size_t n = signal.size(); n-- > 0;) {
        energy += static_cast<double>(signal[n]) * signal[n];
        curve[n] = energy;
    }
    double sx = 0, sy = 0, sxx = 0, sxy = 0, count = 0;
    for (std::size_t n = 0; n < curve.size(); ++n) {
        const double db = 10.0 * std::log10(std::max(curve[n] / curve[0], 1e-30));
        if (db > -5.0)
            continue;
        if (db < -35.0)
            break;
        const double t = static_cast<double>(n) / fs;
        sx += t;
        sy += db;
        sxx += t * t;
        sxy += t * db;
        ++count;
    }
    const double slope = (count * sxy - sx * sy) / (count * sxx - sx * sx);
    return -60.0 / slope;
}

class EffectsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.initManual(rate)); }

    Handle play(std::vector<float> samples, int channels = 2) {
        const Handle h =
            engine.streamCreateDecoder(makeBufferDecoder(std::move(samples), channels, rate), 0, "b");
        EXPECT_NE(h, 0u);
        return h;
    }

    Handle sine(double frequency, float amplitude, int channels = 2) {
        return engine.streamCreateDecoder(makeSineDecoder({.channels = channels,
                                                           .lengthFrames = 10 * rate,
                                                           .frequency = frequency,
                                                           .amplitude = amplitude}),
                                          kSampleLoop, "sine");
    }

    // Renders `frames` stereo frames in device-sized calls.
    std::vector<float> render(std::size_t frames) {
        std::vector<float> out(2 * frames);
        for (std::size_t done = 0; done < frames; done += deviceBuffer)
            engine.render(out.data() + 2 * done, std::min(deviceBuffer, frames - done));
        return out;
    }

    Handle addFx(Handle channel, std::uint32_t type, int priority = 0) {
        const Handle fx = engine.channelSetFX(channel, type, priority);
        EXPECT_NE(fx, 0u);
        return fx;
    }

    Engine engine;
};

// A new effect reports the standard starting values of its kind.
TEST_F(EffectsTest, EffectsStartWithTheirDefaults) {
    const Handle h = sine(441.0, 0.1f);
    ParamEqParameters eq{};
    ASSERT_TRUE(engine.fxGetParameters(addFx(h, kFxDx8ParamEq), &eq));
    EXPECT_EQ(eq.fCenter, 8000.0f);
    EXPECT_EQ(eq.fBandwidth, 12.0f);
    EXPECT_EQ(eq.fGain, 0.0f);
    EchoParameters echo{};
    ASSERT_TRUE(engine.fxGetParameters(addFx(h, kFxDx8Echo), &echo));
    EXPECT_EQ(echo.fWetDryMix, 50.0f);
    EXPECT_EQ(echo.fFeedback, 50.0f);
    EXPECT_EQ(echo.fLeftDelay, 500.0f);
    EXPECT_EQ(echo.fRightDelay, 500.0f);
    EXPECT_EQ(echo.lPanDelay, 0);
    ReverbParameters reverb{};
    ASSERT_TRUE(engine.fxGetParameters(addFx(h, kFxDx8Reverb), &reverb));
    EXPECT_EQ(reverb.fInGain, 0.0f);
    EXPECT_EQ(reverb.fReverbMix, 0.0f);
    EXPECT_EQ(reverb.fReverbTime, 1000.0f);
    EXPECT_EQ(reverb.fHighFreqRTRatio, 0.001f);
}

// A record with any field out of range (or NaN) is refused whole and the effect keeps its parameters.
TEST_F(EffectsTest, RefusedRecordsKeepTheOldParameters) {
    const Handle h = sine(441.0, 0.1f);
    const float nan = std::nanf("");

    const Handle eq = addFx(h, kFxDx8ParamEq);
    const ParamEqParameters goodEq{1000.0f, 6.0f, 3.0f};
    ASSERT_TRUE(engine.fxSetParameters(eq, &goodEq));
    const ParamEqParameters badEq[] = {
        {79.0f, 6.0f, 3.0f},     {16001.0f, 6.0f, 3.0f}, {1000.0f, 0.5f, 3.0f}, {1000.0f, 37.0f, 3.0f},
        {1000.0f, 6.0f, -15.5f}, {1000.0f, 6.0f, 15.5f}, {nan, 6.0f, 3.0f}};
    for (const ParamEqParameters& bad : badEq) {
        EXPECT_FALSE(engine.fxSetParameters(eq, &bad))
            << bad.fCenter << " " << bad.fBandwidth << " " << bad.fGain;
        ParamEqParameters now{};
        ASSERT_TRUE(engine.fxGetParameters(eq, &now));
        EXPECT_EQ(now.fCenter, goodEq.fCenter);
        EXPECT_EQ(now.fBandwidth, goodEq.fBandwidth);
        EXPECT_EQ(now.fGain, goodEq.fGain);
    }

    const Handle echo = addFx(h, kFxDx8Echo);
    const EchoParameters badEcho[] = {{0.0f, 0.0f, 0.0f, 0.0f, 0}, // the all-zero record: delays below 1 ms
                                      {101.0f, 50.0f, 100.0f, 100.0f, 0}, {50.0f, -1.0f, 100.0f, 100.0f, 0},
                                      {50.0f, 50.0f, 2001.0f, 100.0f, 0}, {50.0f, 50.0f, 100.0f, 0.5f, 0},
                                      {50.0f, 50.0f, 100.0f, 100.0f, 2},  {50.0f, 50.0f, 100.0f, 100.0f, -1},
                                      {nan, 50.0f, 100.0f, 100.0f, 0}};
    for (const EchoParameters& bad : badEcho) {
        EXPECT_FALSE(engine.fxSetParameters(echo, &bad));
        EchoParameters now{};
        ASSERT_TRUE(engine.fxGetParameters(echo, &now));
        EXPECT_EQ(now.fLeftDelay, 500.0f);
        EXPECT_EQ(now.fWetDryMix, 50.0f);
        EXPECT_EQ(now.lPanDelay, 0);
    }

    const Handle reverb = addFx(h, kFxDx8Reverb);
    const ReverbParameters badReverb[] = {{1.0f, 0.0f, 1000.0f, 0.5f}, {-97.0f, 0.0f, 1000.0f, 0.5f},
                                          {0.0f, 0.5f, 1000.0f, 0.5f}, {0.0f, 0.0f, 0.0f, 0.5f},
                                          {0.0f, 0.0f, 3001.0f, 0.5f}, {0.0f, 0.0f, 1000.0f, 0.0f},
                                          {0.0f, 0.0f, 1000.0f, 1.0f}, {0.0f, 0.0f, nan, 0.5f}};
    for (const ReverbParameters& bad : badReverb) {
        EXPECT_FALSE(engine.fxSetParameters(reverb, &bad));
        ReverbParameters now{};
        ASSERT_TRUE(engine.fxGetParameters(reverb, &now));
        EXPECT_EQ(now.fReverbTime, 1000.0f);
        EXPECT_EQ(now.fHighFreqRTRatio, 0.001f);
    }
}

// A band centre above a third of the channel's rate is accepted and lowered to that limit.
TEST_F(EffectsTest, BandCentreAboveAThirdOfTheRateIsClamped) {
    struct Case {
        int channelRate;
        float asked, used;
    };
    for (const Case c : {Case{44100, 16000.0f, 14700.0f}, Case{48000, 16000.0f, 16000.0f},
                         Case{22050, 12000.0f, 7350.0f}, Case{44100, 12000.0f, 12000.0f}}) {
        const Handle h = engine.streamCreateDecoder(makeSineDecoder({.rate = c.channelRate}), 0, "sine");
        const Handle eq = addFx(h, kFxDx8ParamEq);
        const ParamEqParameters record{c.asked, 18.0f, 6.0f};
        EXPECT_TRUE(engine.fxSetParameters(eq, &record));
        ParamEqParameters now{};
        ASSERT_TRUE(engine.fxGetParameters(eq, &now));
        EXPECT_FLOAT_EQ(now.fCenter, c.used) << c.channelRate << " " << c.asked;
    }
}

// One band's gain at its centre and an octave either side matches the cookbook response within 0.1 dB,
// on a mono channel (one side at a time) and on a stereo one (both sides in one vector).
TEST_F(EffectsTest, BandFollowsTheCookbookResponse) {
    constexpr double centre = 882.0; // 50 samples a period: whole periods in the analysed window
    constexpr float amplitude = 0.05f;
    for (const int channels : {1, 2}) {
        for (const float gain : {-15.0f, -7.0f, 0.0f, 6.0f, 15.0f}) {
            for (const double frequency : {centre, centre / 2.0, centre * 2.0}) {
                const Handle h = sine(frequency, amplitude, channels);
                const ParamEqParameters band{static_cast<float>(centre), 12.0f, gain};
                ASSERT_TRUE(engine.fxSetParameters(addFx(h, kFxDx8ParamEq), &band));
                engine.channelPlay(h, false);
                const std::vector<float> out = channelOf(render(rate / 2), 2, 0);
                const std::vector<float> settled(out.end() - 8820, out.end());
                const double measured = toDb(toneAmplitude(settled, frequency, rate) / amplitude);
                EXPECT_NEAR(measured, peakingResponseDb(centre, 12.0, gain, frequency, rate), 0.1)
                    << channels << " channels, gain " << gain << " at " << frequency << " Hz";
                engine.streamFree(h);
            }
        }
    }
}

// The player's ten bands at 0 dB leave the signal untouched.
TEST_F(EffectsTest, TenFlatBandsAreTransparent) {
    const std::vector<float> noise = whiteNoise(rate / 2, 2, 0.5f);
    const Handle h = play(noise);
    for (const float centre :
         {100.0f, 200.0f, 400.0f, 600.0f, 1000.0f, 3000.0f, 6000.0f, 12000.0f, 14000.0f, 16000.0f}) {
        const ParamEqParameters band{centre, 18.0f, 0.0f};
        ASSERT_TRUE(engine.fxSetParameters(addFx(h, kFxDx8ParamEq), &band));
    }
    engine.channelPlay(h, false);
    const std::vector<float> out = render(rate / 2);
    double worst = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i)
        worst = std::max(worst, std::fabs(static_cast<double>(out[i]) - noise[i]));
    EXPECT_LT(worst, 1e-6);
}

struct EchoCase {
    EchoParameters record;
    std::vector<std::pair<std::size_t, float>> left, right; // expected (frame, value) of each pulse
};

// An impulse comes back at the set delays with the levels the wet/dry mix and the feedback give; with
// pan delay the echoes alternate sides and delays.
TEST_F(EffectsTest, EchoRepeatsAnImpulseAtTheSetDelays) {
    const float g = std::sqrt(0.75f); // input gain at 50 % feedback
    const EchoCase cases[] = {
        {{50.0f, 50.0f, 100.0f, 150.0f, 0},
         {{0, 0.25f}, {4410, 0.25f * g}, {8820, 0.125f * g}, {13230, 0.0625f * g}, {17640, 0.03125f * g}},
         {{0, 0.25f}, {6615, 0.25f * g}, {13230, 0.125f * g}, {19845, 0.0625f * g}}},
        {{100.0f, 0.0f, 20.0f, 20.0f, 0}, {{882, 0.5f}}, {{882, 0.5f}}},
        {{0.0f, 50.0f, 20.0f, 20.0f, 0}, {{0, 0.5f}}, {{0, 0.5f}}},
        {{25.0f, 50.0f, 100.0f, 150.0f, 1}, // impulse on the left only: it bounces from side to side
         {{0, 0.375f}, {4410 + 6615, 0.125f * 0.5f * g}},
         {{4410, 0.125f * g}, {4410 + 6615 + 4410, 0.125f * 0.25f * g}}},
    };
    for (const EchoCase& c : cases) {
        const bool leftOnly = c.record.lPanDelay != 0;
        const Handle h = play(impulse(rate, 2, 0, 0.5f, leftOnly ? 0 : -1));
        ASSERT_TRUE(engine.fxSetParameters(addFx(h, kFxDx8Echo), &c.record));
        engine.channelPlay(h, false);
        const std::vector<float> out = render(20000);
        for (int side = 0; side < 2; ++side) {
            std::vector<float> expected(20000, 0.0f);
            for (const auto& [frame, value] : side == 0 ? c.left : c.right)
                expected[frame] = value;
            const std::vector<float> got = channelOf(out, 2, side);
            for (std::size_t n = 0; n < expected.size(); ++n)
                ASSERT_NEAR(got[n], expected[n], 1e-6)
                    << "wet " << c.record.fWetDryMix << " pan " << c.record.lPanDelay << " side " << side
                    << " frame " << n;
        }
        engine.streamFree(h);
    }
}

// The reverb time is the time the reverberation takes to fall by 60 dB.
TEST_F(EffectsTest, ReverbTimeIsTheSixtyDecibelDecayTime) {
    for (const float rt : {100.0f, 1000.0f, 3000.0f}) {
        const auto frames = static_cast<std::size_t>(rate * (0.3 + 1.5 * rt / 1000.0));
        const Handle h = play(impulse(frames, 2));
        const ReverbParameters record{0.0f, 0.0f, rt, 0.999f};
        ASSERT_TRUE(engine.fxSetParameters(addFx(h, kFxDx8Reverb), &record));
        engine.channelPlay(h, false);
        const double measured = decayTimeSeconds(channelOf(render(frames), 2, 0), rate);
        EXPECT_NEAR(measured, rt / 1000.0, 0.15 * rt / 1000.0) << rt << " ms";
        engine.streamFree(h);
    }
}

// Repeated two-point sums (sign +1) or differences (sign -1): a steep low-pass or high-pass, so the
// decay of the low or the high end of a broadband signal can be measured on its own.
std::vector<float> emphasise(std::vector<float> signal, int order, float sign) {
    for (int pass = 0; pass < order; ++pass) {
        float previous = 0.0f;
        for (float& value : signal) {
            const float x = value;
            value = 0.5f * (x + sign * previous);
            previous = x;
        }
    }
    return signal;
}

// With a small high-frequency ratio the top of the spectrum dies away much sooner than the bottom,
// which keeps the reverb time; with a ratio near 1 both decay alike.
TEST_F(EffectsTest, ReverbHighFrequenciesDecayFasterByTheRatio) {
    constexpr double rt = 1.0;
    struct Case {
        float ratio;
        double highAtMost, highAtLeast; // decay time of the high end, s
    };
    for (const Case c : {Case{0.1f, 0.5 * rt, 0.0}, Case{0.999f, 1.15 * rt, 0.85 * rt}}) {
        const auto frames = static_cast<std::size_t>(rate * (0.3 + 1.5 * rt));
        const Handle h = play(impulse(frames, 2));
        const ReverbParameters record{0.0f, 0.0f, static_cast<float>(rt * 1000.0), c.ratio};
        ASSERT_TRUE(engine.fxSetParameters(addFx(h, kFxDx8Reverb), &record));
        engine.channelPlay(h, false);
        const std::vector<float> out = channelOf(render(frames), 2, 0);
        const double high = decayTimeSeconds(emphasise(out, 8, -1.0f), rate);
        const double low = decayTimeSeconds(emphasise(out, 8, 1.0f), rate);
        EXPECT_LE(high, c.highAtMost) << c.ratio;
        EXPECT_GE(high, c.highAtLeast) << c.ratio;
        EXPECT_NEAR(low, rt, 0.15 * rt) << c.ratio;
        engine.streamFree(h);
    }
}

// A mix of -96 dB leaves the direct signal as it is; 0 dB leaves only the reverberation.
TEST_F(EffectsTest, ReverbMixSharesDirectAndReverberatedSignal) {
    for (const float mix : {-96.0f, 0.0f}) {
        const Handle h = play(impulse(rate / 2, 2));
        const ReverbParameters record{0.0f, mix, 1000.0f, 0.5f};
        ASSERT_TRUE(engine.fxSetParameters(addFx(h, kFxDx8Reverb), &record));
        engine.channelPlay(h, false);
        const std::vector<float> out = channelOf(render(rate / 2), 2, 0);
        const float direct = mix < -90.0f ? 0.5f : 0.0f;
        EXPECT_NEAR(out[0], direct, 1e-4) << mix;
        if (mix < -90.0f) {
            EXPECT_LT(*std::max_element(out.begin() + 1, out.end()), 1e-3); // no audible reverberation
        } else {
            EXPECT_GT(toneAmplitude(out, 0.0, rate) + orvu::test::rms(out), 1e-3); // the reverberation
        }
        engine.streamFree(h);
    }
}

// A band's gain change is heard within one device buffer, and the glide makes no step larger than the
// new tone itself has.
TEST_F(EffectsTest, BandGainChangeIsHeardWithinOneBuffer) {
    constexpr float amplitude = 0.1f;
    const Handle h = sine(441.0, amplitude);
    const Handle eq = addFx(h, kFxDx8ParamEq);
    const ParamEqParameters flat{441.0f, 12.0f, 0.0f};
    ASSERT_TRUE(engine.fxSetParameters(eq, &flat));
    engine.channelPlay(h, false);
    render(rate / 2);
    const ParamEqParameters boosted{441.0f, 12.0f, 12.0f};
    ASSERT_TRUE(engine.fxSetParameters(eq, &boosted));
    const std::vector<float> next = channelOf(render(deviceBuffer), 2, 0);
    const double boostedAmplitude = amplitude * std::pow(10.0, 12.0 / 20.0);
    const std::vector<float> tail(next.end() - 300, next.end()); // three whole periods
    EXPECT_NEAR(toneAmplitude(tail, 441.0, rate), boostedAmplitude, 0.02 * boostedAmplitude);
    const double toneStep = 2.0 * M_PI * 441.0 / rate * boostedAmplitude;
    EXPECT_LT(largestStep(next), 1.1 * toneStep);
}

// Turning the echo from dry to fully wet glides: with the delay half a period, the output crosses
// from the tone to its inverse without a jump, and is fully inverted within one device buffer.
TEST_F(EffectsTest, EchoMixChangeGlidesWithoutAJump) {
    constexpr float amplitude = 0.2f;
    const Handle h = sine(441.0, amplitude); // 100 frames a period
    const Handle echo = addFx(h, kFxDx8Echo);
    const float halfPeriodMs = 50.0f * 1000.0f / rate;
    const EchoParameters dry{0.0f, 0.0f, halfPeriodMs, halfPeriodMs, 0};
    ASSERT_TRUE(engine.fxSetParameters(echo, &dry));
    engine.channelPlay(h, false);
    const std::vector<float> before = channelOf(render(rate / 4), 2, 0);
    const EchoParameters wet{100.0f, 0.0f, halfPeriodMs, halfPeriodMs, 0};
    ASSERT_TRUE(engine.fxSetParameters(echo, &wet));
    const std::vector<float> next = channelOf(render(deviceBuffer), 2, 0);
    // The glide lasts a few ms; past it the output is the delayed tone: the input inverted.
    const std::size_t start = static_cast<std::size_t>(rate / 4);
    for (std::size_t n = deviceBuffer - 300; n < deviceBuffer; ++n)
        ASSERT_NEAR(next[n],
                    -orvu::test::sineSample({.frequency = 441.0, .amplitude = amplitude},
                                            static_cast<std::int64_t>(start + n)),
                    1e-5)
            << n;
    std::vector<float> joined(before.end() - 10, before.end());
    joined.insert(joined.end(), next.begin(), next.end());
    const double toneStep = 2.0 * M_PI * 441.0 / rate * amplitude;
    EXPECT_LT(largestStep(joined), 1.3 * toneStep);
}

// A seek or a stop clears the effects: an echo pending before it is not heard after it.
TEST_F(EffectsTest, SeekAndStopClearTheEffects) {
    for (const bool viaStop : {false, true}) {
        const Handle h = play(impulse(2 * rate, 2));
        const EchoParameters record{50.0f, 50.0f, 300.0f, 300.0f, 0};
        ASSERT_TRUE(engine.fxSetParameters(addFx(h, kFxDx8Echo), &record));
        engine.channelPlay(h, false);
        render(rate / 10); // the impulse has gone into the echo's line; its echo is due at 300 ms
        if (viaStop) {
            ASSERT_TRUE(engine.channelSetPosition(h, rate * 4, kPosByte)); // 1 s: the silent part
            ASSERT_TRUE(engine.channelStop(h));
        } else {
            ASSERT_TRUE(engine.channelSetPosition(h, rate * 4, kPosByte));
        }
        engine.channelPlay(h, false);
        const std::vector<float> out = render(rate / 2);
        EXPECT_EQ(*std::max_element(out.begin(), out.end()), 0.0f) << (viaStop ? "stop" : "seek");
        engine.streamFree(h);
    }
}

// Effect handles fail with bad channels and types, differ from every other handle, and die with their
// channel.
TEST_F(EffectsTest, EffectHandlesLiveAndDieWithTheirChannel) {
    EXPECT_EQ(engine.channelSetFX(0, kFxDx8Echo, 0), 0u);
    EXPECT_EQ(engine.channelSetFX(12345, kFxDx8Echo, 0), 0u);
    const Handle h = sine(441.0, 0.1f);
    EXPECT_EQ(engine.channelSetFX(h, 4, 0), 0u); // a kind the engine does not provide
    const Handle echo = addFx(h, kFxDx8Echo);
    const Handle eq = addFx(h, kFxDx8ParamEq);
    EXPECT_NE(echo, h);
    EXPECT_NE(echo, eq);
    EchoParameters record{};
    EXPECT_FALSE(engine.fxGetParameters(h, &record)); // a channel handle is not an effect
    EXPECT_FALSE(engine.fxGetParameters(echo, nullptr));
    ASSERT_TRUE(engine.fxGetParameters(echo, &record));

    ASSERT_TRUE(engine.streamFree(h));
    EXPECT_FALSE(engine.fxGetParameters(echo, &record));
    EXPECT_FALSE(engine.fxSetParameters(echo, &record));
    ParamEqParameters band{1000.0f, 12.0f, 3.0f};
    EXPECT_FALSE(engine.fxSetParameters(eq, &band));
    const Handle other = sine(441.0, 0.1f);
    const Handle later = addFx(other, kFxDx8ParamEq);
    EXPECT_NE(later, eq);
    EXPECT_NE(later, echo);
}

// Effects added and changed while the output thread renders: ThreadSanitizer watches this one.
TEST(EffectsThreadTest, EffectsChangeWhileTheOutputRuns) {
    Engine engine;
    ASSERT_TRUE(engine.init(kDeviceNoSound, rate, 0));
    const Handle h = engine.streamCreateDecoder(makeSineDecoder({}), kSampleLoop, "sine");
    ASSERT_TRUE(engine.channelPlay(h, false));
    struct Added {
        Handle handle;
        std::uint32_t type;
    };
    std::vector<Added> effects;
    constexpr std::uint32_t types[] = {kFxDx8Echo, kFxDx8ParamEq, kFxDx8Reverb};
    // Runs until every effect is in and the output has played a tenth of a second, whatever the
    // machine's speed.
    for (int round = 0; effects.size() < 12 || engine.channelGetPosition(h, kPosByte) < rate * 4 / 10;
         ++round) {
        if (effects.size() < 12) {
            const std::uint32_t type = types[effects.size() % 3];
            effects.push_back({engine.channelSetFX(h, type, round % 5), type});
        }
        const ParamEqParameters band{1000.0f, 12.0f, static_cast<float>(round % 30) - 15.0f};
        const EchoParameters echo{static_cast<float>(round % 100), 30.0f, 50.0f, 70.0f, round % 2};
        const ReverbParameters reverb{0.0f, -10.0f, static_cast<float>(100 + round % 900), 0.5f};
        for (const Added& fx : effects) {
            const void* record = fx.type == kFxDx8ParamEq ? static_cast<const void*>(&band)
                                 : fx.type == kFxDx8Echo  ? static_cast<const void*>(&echo)
                                                          : static_cast<const void*>(&reverb);
            EXPECT_TRUE(engine.fxSetParameters(fx.handle, record));
        }
    }
    EXPECT_EQ(effects.size(), 12u);
    EXPECT_TRUE(engine.streamFree(h));
    EXPECT_TRUE(engine.free());
}

} // namespace
