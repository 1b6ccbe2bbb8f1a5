// Purpose: the engine core measured on its rendered output: playback, positions, looping, transport,
// attributes and slides, the spectrum, and failures on bad handles.
#include "engine/engine.h"
#include "engine/sine_decoder.h"
#include "support/signal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace orvu::engine;
using orvu::test::channelOf;
using orvu::test::largestStep;
using orvu::test::makeSineDecoder;
using orvu::test::rms;
using orvu::test::sineSample;
using orvu::test::SineSpec;
using orvu::test::toneAmplitude;
using orvu::test::zeroCrossingFrequency;

namespace {

constexpr int rate = 44100;
constexpr std::size_t pastFade = rate / 100; // the ramps at pause, resume, stop and seek take about 5 ms

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.initManual(rate)); }

    Handle open(const SineSpec& sine, std::uint32_t flags = kSampleLoop) {
        return engine.streamCreateDecoder(makeSineDecoder(sine), flags, "sine.wav");
    }

    // Renders `frames` stereo frames in device-sized calls.
    std::vector<float> render(std::size_t frames) {
        std::vector<float> out(2 * frames);
        for (std::size_t done = 0; done < frames; done += 1024)
            engine.render(out.data() + 2 * done, std::min<std::size_t>(1024, frames - done));
        return out;
    }

    std::vector<float> left(std::size_t frames) { return channelOf(render(frames), 2, 0); }

    // Resumed output `l` fades in on the signal from source frame `from` and then is that signal.
    static void expectResumesAt(const SineSpec& sine, const std::vector<float>& l, std::int64_t from) {
        for (std::size_t n = 0; n < l.size(); ++n) {
            const float expected = sineSample(sine, from + static_cast<std::int64_t>(n));
            if (n < pastFade)
                EXPECT_LE(std::fabs(l[n]), std::fabs(expected) + 1e-6f) << n;
            else
                EXPECT_NEAR(l[n], expected, 1e-6) << n;
        }
    }

    Engine engine;
};

// A playing stream renders its signal at its level and pitch on both sides.
TEST_F(EngineTest, RendersTheDecodedSignal) {
    const Handle h = open({});
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(engine.channelPlay(h, false));
    const std::vector<float> out = render(rate);
    for (int side = 0; side < 2; ++side) {
        const std::vector<float> s = channelOf(out, 2, side);
        EXPECT_NEAR(toneAmplitude(s, 441.0, rate), 0.5, 0.005);
        EXPECT_NEAR(zeroCrossingFrequency(s, rate), 441.0, 0.5);
    }
    EXPECT_EQ(engine.channelIsActive(h), kActivePlaying);
}

struct MixCase {
    float volume, pan;
    double left, right; // expected amplitudes
};

// Volume scales both sides; pan attenuates the opposite side (balance).
TEST_F(EngineTest, VolumeAndPanShapeTheOutput) {
    const MixCase cases[] = {
        {1.0f, 0.0f, 0.5, 0.5},  {0.5f, 0.0f, 0.25, 0.25}, {0.0f, 0.0f, 0.0, 0.0},
        {1.0f, -1.0f, 0.5, 0.0}, {1.0f, 1.0f, 0.0, 0.5},   {1.0f, 0.5f, 0.25, 0.5},
    };
    for (const MixCase& c : cases) {
        const Handle h = open({});
        ASSERT_TRUE(engine.channelSetAttribute(h, kAttribVol, c.volume));
        ASSERT_TRUE(engine.channelSetAttribute(h, kAttribPan, c.pan));
        engine.channelPlay(h, false);
        const std::vector<float> out = render(8192);
        EXPECT_NEAR(toneAmplitude(channelOf(out, 2, 0), 441.0, rate), c.left, 0.01)
            << c.volume << " " << c.pan;
        EXPECT_NEAR(toneAmplitude(channelOf(out, 2, 1), 441.0, rate), c.right, 0.01)
            << c.volume << " " << c.pan;
        engine.streamFree(h);
    }
    const Handle h = open({});
    EXPECT_FALSE(engine.channelSetAttribute(h, kAttribPan, 1.5f));
    EXPECT_FALSE(engine.channelSetAttribute(h, kAttribVol, -0.1f));
    EXPECT_FALSE(engine.channelSetAttribute(h, kAttribFreq, 50.0f));
}

// The rate attribute changes pitch: 88,200 Hz plays a 441 Hz tone at 882 Hz; 0 is the own rate.
TEST_F(EngineTest, RateAttributeChangesPitch) {
    const Handle h = open({});
    engine.channelPlay(h, false);
    ASSERT_TRUE(engine.channelSetAttribute(h, kAttribFreq, 88200.0f));
    render(4096); // let the resampler settle
    EXPECT_NEAR(zeroCrossingFrequency(left(rate / 2), rate), 882.0, 2.0);
    ASSERT_TRUE(engine.channelSetAttribute(h, kAttribFreq, 0.0f));
    render(4096);
    EXPECT_NEAR(zeroCrossingFrequency(left(rate / 2), rate), 441.0, 1.0);
    float value = 0.0f;
    ASSERT_TRUE(engine.channelGetAttribute(h, kAttribFreq, &value));
    EXPECT_EQ(value, 44100.0f);
}

// A source at another rate than the output plays at its own pitch.
TEST_F(EngineTest, ResamplesOtherSourceRates) {
    const Handle h = open({.rate = 48000, .lengthFrames = 48000, .frequency = 480.0});
    engine.channelPlay(h, false);
    render(4096);
    EXPECT_NEAR(zeroCrossingFrequency(left(rate / 2), rate), 480.0, 1.0);
    EXPECT_EQ(engine.channelSeconds2Bytes(h, 1.0), 48000 * 4);
}

// Lengths and positions count 16-bit frames at the channel's own rate and channel count.
TEST_F(EngineTest, LengthsAndPositionsInBytesAndSeconds) {
    const Handle h = open({.channels = 1, .lengthFrames = 3 * rate});
    EXPECT_EQ(engine.channelGetLength(h, kPosByte), 3 * rate * 2);
    EXPECT_DOUBLE_EQ(engine.channelBytes2Seconds(h, 3 * rate * 2), 3.0);
    EXPECT_EQ(engine.channelSeconds2Bytes(h, 1.5), rate * 3);
    EXPECT_EQ(engine.channelSeconds2Bytes(h, 0.99999), (rate - 1) * 2); // rounds down to a whole frame
    EXPECT_EQ(engine.channelGetPosition(h, kPosByte), 0);

    engine.channelPlay(h, false);
    render(rate / 2);
    EXPECT_EQ(engine.channelGetPosition(h, kPosByte), rate); // half a second of mono 16-bit

    ASSERT_TRUE(engine.channelSetPosition(h, 2 * rate * 2 + 1, kPosByte)); // rounds down to frame 2 s
    EXPECT_EQ(engine.channelGetPosition(h, kPosByte), 2 * rate * 2);
    render(1024);
    EXPECT_EQ(engine.channelGetPosition(h, kPosByte), (2 * rate + 1024) * 2);

    // Past the end, or "negative" (a huge unsigned value), fails and leaves the position.
    EXPECT_FALSE(engine.channelSetPosition(h, 3 * rate * 2, kPosByte));
    EXPECT_FALSE(engine.channelSetPosition(h, static_cast<std::uint64_t>(-8), kPosByte));
    EXPECT_EQ(engine.channelGetPosition(h, kPosByte), (2 * rate + 1024) * 2);
}

// The loop wraps with no discontinuity: a sine of whole periods stays smooth across the end.
TEST_F(EngineTest, LoopsSeamlessly) {
    const SineSpec sine{.lengthFrames = 4400}; // 44 whole periods of 441 Hz
    const Handle h = open(sine);
    engine.channelPlay(h, false);
    const std::vector<float> l = left(5 * 4400 + 77);
    const double normalStep = 2.0 * M_PI * 441.0 / rate * 0.5;
    EXPECT_LE(largestStep(l), normalStep * 1.001);
    EXPECT_NEAR(toneAmplitude(l, 441.0, rate), 0.5, 0.01);
    EXPECT_EQ(engine.channelIsActive(h), kActivePlaying);
}

// A decode error mid-file ends that pass there, and the loop goes on from the start.
TEST_F(EngineTest, DecodeErrorEndsThePassAndLoops) {
    SineSpec sine{.lengthFrames = 44100, .failAtFrame = 1000};
    const Handle h = open(sine);
    engine.channelPlay(h, false);
    const std::vector<float> l = left(3500);
    for (std::size_t n : {0u, 999u, 1000u, 1500u, 2000u, 3499u})
        EXPECT_NEAR(l[n], sineSample(sine, static_cast<std::int64_t>(n % 1000)), 1e-6) << n;
}

// Without the loop flag a stream stops at its end.
TEST_F(EngineTest, NonLoopingStreamStopsAtTheEnd) {
    const Handle h = open({.lengthFrames = 3000}, 0);
    engine.channelPlay(h, false);
    const std::vector<float> l = left(8192);
    EXPECT_GT(rms({l.begin(), l.begin() + 3000}), 0.3);
    EXPECT_EQ(rms({l.begin() + 3000, l.end()}), 0.0);
    EXPECT_EQ(engine.channelIsActive(h), kActiveStopped);
}

// Pause fades out and keeps the place: silence once the fade is over, the position standing still,
// then Play fades back in and the signal continues sample for sample from where the fade left it.
TEST_F(EngineTest, PauseAndResumeContinueWhereTheyStood) {
    const SineSpec sine{};
    const Handle h = open(sine);
    EXPECT_FALSE(engine.channelPause(h)); // not playing yet
    engine.channelPlay(h, false);
    render(3000);
    ASSERT_TRUE(engine.channelPause(h));
    EXPECT_EQ(engine.channelIsActive(h), kActivePaused);
    const std::vector<float> fading = left(4096);
    EXPECT_EQ(rms({fading.begin() + pastFade, fading.end()}), 0.0);
    const std::int64_t position = engine.channelGetPosition(h, kPosByte) / 4;
    EXPECT_GE(position, 3000);
    EXPECT_LE(position, 3000 + static_cast<std::int64_t>(pastFade));
    EXPECT_EQ(rms(left(4096)), 0.0);
    EXPECT_EQ(engine.channelGetPosition(h, kPosByte) / 4, position);
    engine.channelPlay(h, false);
    expectResumesAt(sine, left(pastFade + 100), position);
}

// Stop keeps the position set just before it, and Play resumes there.
TEST_F(EngineTest, StopThenPlayResumesAtThePositionSetBeforeStop) {
    const SineSpec sine{};
    const Handle h = open(sine);
    engine.channelPlay(h, false);
    render(5000);
    ASSERT_TRUE(engine.channelSetPosition(h, 1, kPosByte)); // byte 1 rounds down to frame 0
    ASSERT_TRUE(engine.channelSetPosition(h, 20000 * 4, kPosByte));
    ASSERT_TRUE(engine.channelStop(h));
    EXPECT_EQ(engine.channelIsActive(h), kActiveStopped);
    EXPECT_EQ(engine.channelGetPosition(h, kPosByte), 20000 * 4);
    const std::vector<float> fading = left(2048);
    EXPECT_EQ(rms({fading.begin() + pastFade, fading.end()}), 0.0);
    EXPECT_EQ(engine.channelGetPosition(h, kPosByte), 20000 * 4);
    engine.channelPlay(h, false);
    expectResumesAt(sine, left(pastFade + 64), 20000);
}

// A 1000 ms volume slide to 0 is half way at 500 ms and silent within one device buffer of 1000 ms.
TEST_F(EngineTest, VolumeSlideReachesSilenceOnTime) {
    constexpr std::size_t buffer = 1024;
    const Handle h = open({.lengthFrames = 10 * rate});
    engine.channelPlay(h, false);
    ASSERT_TRUE(engine.channelSlideAttribute(h, kAttribVol, 0.0f, 1000));
    const std::vector<float> l = left(rate + 2 * buffer);
    const auto window = [&](std::size_t at) {
        return std::vector<float>(l.begin() + at - 2205, l.begin() + at + 2205);
    };
    EXPECT_NEAR(toneAmplitude(window(rate / 2), 441.0, rate), 0.25, 0.01);
    EXPECT_EQ(rms({l.begin() + rate + buffer, l.end()}), 0.0);
    EXPECT_GT(rms({l.begin() + rate - buffer - 4410, l.begin() + rate - buffer}), 0.0);
    float volume = 1.0f;
    ASSERT_TRUE(engine.channelGetAttribute(h, kAttribVol, &volume));
    EXPECT_EQ(volume, 0.0f);
    EXPECT_EQ(engine.channelIsActive(h), kActivePlaying);
}

// A slide to a negative volume fades out and then stops the channel.
TEST_F(EngineTest, NegativeVolumeSlideStopsTheChannel) {
    const Handle h = open({});
    engine.channelPlay(h, false);
    ASSERT_TRUE(engine.channelSlideAttribute(h, kAttribVol, -1.0f, 100));
    render(rate / 5);
    EXPECT_EQ(engine.channelIsActive(h), kActiveStopped);
}

// FFT256 of what is heard: a sine centred on bin 10 peaks there, at 0.25 for full scale.
TEST_F(EngineTest, SpectrumPeaksInTheSineBin) {
    const double binFrequency = 10.0 * rate / 256.0;
    const Handle h = open({.lengthFrames = 10 * rate, .frequency = binFrequency, .amplitude = 1.0f});
    engine.channelPlay(h, false);
    render(4096);
    std::vector<float> bins(128, -1.0f);
    EXPECT_EQ(engine.channelGetData(h, bins.data(), kDataFft256), 256 * 4);
    const auto peak = std::max_element(bins.begin(), bins.end()) - bins.begin();
    EXPECT_EQ(peak, 10);
    EXPECT_NEAR(bins[10], 0.25, 0.01);
    EXPECT_NEAR(bins[9], 0.125, 0.01);
    EXPECT_LT(bins[40], 0.001);
    EXPECT_EQ(engine.channelGetData(h, bins.data(), 0), -1);
}

// The channel record tells rate, channels, flags, type and name, and a copy of it keeps the name after
// the channel is freed (the player keeps the record of the track it played last).
TEST_F(EngineTest, ChannelInfoDescribesTheStream) {
    const std::string name = "/home/listener/Music/A folder with a long name/sine.wav";
    const Handle h = engine.streamCreateDecoder(makeSineDecoder({.rate = 22050, .channels = 1}),
                                                kSampleLoop | kSampleFx, name);
    ChannelInfo info;
    ASSERT_TRUE(engine.channelGetInfo(h, &info));
    EXPECT_EQ(info.freq, 22050u);
    EXPECT_EQ(info.chans, 1u);
    EXPECT_EQ(info.flags, kSampleLoop | kSampleFx);
    EXPECT_EQ(info.ctype, kCtypeStreamWavPcm);
    EXPECT_EQ(info.origres, 16u);
    EXPECT_EQ(info.filename, name);
    ASSERT_TRUE(engine.streamFree(h));
    EXPECT_EQ(info.filename, name);
}

// Handle 0 and freed handles fail and change nothing; handles are never reused; a stream is not music.
TEST_F(EngineTest, FreedHandlesFailHarmlessly) {
    const Handle first = open({});
    EXPECT_FALSE(engine.musicFree(first));
    ASSERT_TRUE(engine.streamFree(first));
    const Handle second = open({});
    EXPECT_NE(second, first);
    for (const Handle h : {Handle{0}, first}) {
        EXPECT_FALSE(engine.channelPlay(h, false));
        EXPECT_FALSE(engine.channelPause(h));
        EXPECT_FALSE(engine.channelStop(h));
        EXPECT_EQ(engine.channelIsActive(h), kActiveStopped);
        EXPECT_EQ(engine.channelGetLength(h, kPosByte), -1);
        EXPECT_EQ(engine.channelGetPosition(h, kPosByte), -1);
        EXPECT_FALSE(engine.channelSetPosition(h, 0, kPosByte));
        EXPECT_LT(engine.channelBytes2Seconds(h, 100), 0.0);
        EXPECT_EQ(engine.channelSeconds2Bytes(h, 1.0), -1);
        EXPECT_FALSE(engine.channelSetAttribute(h, kAttribVol, 0.5f));
        EXPECT_FALSE(engine.channelSlideAttribute(h, kAttribVol, 0.0f, 1000));
        ChannelInfo info;
        EXPECT_FALSE(engine.channelGetInfo(h, &info));
        float bins[128];
        EXPECT_EQ(engine.channelGetData(h, bins, kDataFft256), -1);
        EXPECT_EQ(engine.tagsRead(h, "%TITL"), "");
        EXPECT_FALSE(engine.streamFree(h));
        EXPECT_FALSE(engine.musicFree(h));
    }
    EXPECT_EQ(engine.channelIsActive(second), kActiveStopped);
}

// A resampled channel whose decoder falls behind renders silence at once, like a device would, and
// plays on at its pitch when audio arrives again; freeing it and the engine then returns at once.
TEST(EngineUnderrun, ResampledChannelRidesOutAnEmptyRing) {
    Engine engine;
    ASSERT_TRUE(engine.initManual(rate, Engine::ManualRender::Underrun));
    ASSERT_TRUE(engine.setConfig(kConfigBuffer, 1000)); // a ring of 48 blocks of 1024 frames
    const auto held = std::make_shared<std::atomic<bool>>(true);
    const auto decoded = std::make_shared<std::atomic<std::int64_t>>(0);
    const SineSpec sine{
        .rate = 48000, .lengthFrames = 48000 * 10, .frequency = 480.0, .held = held, .framesRead = decoded};
    const Handle h = engine.streamCreateDecoder(makeSineDecoder(sine), kSampleLoop, "sine.wav");
    ASSERT_TRUE(engine.channelPlay(h, false));
    std::vector<float> out(2 * 4096);
    const auto renderBlock = [&] {
        std::fill(out.begin(), out.end(), 1.0f);
        engine.render(out.data(), 4096);
        return channelOf(out, 2, 0);
    };
    const auto renderUntilSound = [&] {
        for (int i = 0; i < 2000 && rms(renderBlock()) == 0.0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    // The test renders far faster than real time: it lets the decoder get as far ahead as a device's
    // pace would before it listens (a render takes 4458 source frames, 4.4 blocks).
    const auto waitUntilDecoded = [&](std::int64_t frames) {
        for (int i = 0; i < 5000 && decoded->load() < frames; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    EXPECT_EQ(rms(renderBlock()), 0.0);
    EXPECT_EQ(engine.channelIsActive(h), kActiveStalled);

    held->store(false);
    waitUntilDecoded(44 * 1024);
    renderUntilSound();
    std::vector<float> heard;
    for (int i = 0; i < 8; ++i) {
        const std::vector<float> block = renderBlock();
        heard.insert(heard.end(), block.begin(), block.end());
    }
    EXPECT_NEAR(zeroCrossingFrequency(heard, rate), 480.0, 1.0);
    EXPECT_NEAR(toneAmplitude(heard, 480.0, rate), 0.5, 0.01);

    // A second stall after the ring ran dry mid-play: silence, then the tone again.
    held->store(true);
    for (int i = 0; i < 20; ++i)
        renderBlock();
    EXPECT_EQ(rms(renderBlock()), 0.0);
    const std::int64_t before = decoded->load();
    held->store(false);
    waitUntilDecoded(before + 12 * 1024);
    renderUntilSound();
    EXPECT_NEAR(zeroCrossingFrequency(renderBlock(), rate), 480.0, 2.0);

    EXPECT_TRUE(engine.streamFree(h));
    EXPECT_TRUE(engine.free());
}

// Channels created and freed while the output thread renders them are retired safely (run under
// ThreadSanitizer too), and the engine closes at once afterwards.
TEST(EngineUnderrun, FreeingChannelsWhileRendering) {
    Engine engine;
    ASSERT_TRUE(engine.init(kDeviceNoSound, rate, 0));
    for (int i = 0; i < 100; ++i) {
        const Handle h = engine.streamCreateDecoder(makeSineDecoder({.rate = i % 2 ? 48000 : 22050}),
                                                    kSampleLoop, "sine.wav");
        ASSERT_NE(h, 0u);
        engine.channelPlay(h, false);
        if (i % 10 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_TRUE(engine.streamFree(h));
    }
    EXPECT_TRUE(engine.free());
}

// An open slower than the time limit fails at once, while its opener still runs; destroying the engine
// then waits for the opener to finish, so none outlives the engine (and the statics it may use).
TEST(EngineLifecycle, SlowOpenFailsAtOnceAndTheEngineOutwaitsIt) {
    struct Opening {
        std::atomic<bool> released{false};
        std::atomic<bool> finished{false};
    };
    const auto opening = std::make_shared<Opening>();
    {
        Engine engine;
        ASSERT_TRUE(engine.initManual(rate));
        engine.setOpenTimeLimit(std::chrono::milliseconds(20));
        const Handle h = engine.streamCreateOpener(
            [opening] {
                // Bounded, so an engine that waited for the opener fails the test instead of hanging it.
                const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                while (!opening->released && std::chrono::steady_clock::now() < giveUp)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                std::this_thread::sleep_for(std::chrono::milliseconds(50)); // still busy as the engine goes
                auto decoder = makeSineDecoder({});
                opening->finished = true;
                return decoder;
            },
            kSampleLoop, "slow.wav");
        EXPECT_EQ(h, 0u);
        EXPECT_FALSE(opening->finished);
        opening->released = true;
    }
    EXPECT_TRUE(opening->finished);
}

// The engine reports its interface version, refuses a second init, and frees cleanly.
TEST(EngineLifecycle, VersionInitAndFree) {
    Engine engine;
    EXPECT_EQ(engine.version() >> 16, 0x0204u);
    EXPECT_EQ(engine.streamCreateDecoder(makeSineDecoder({}), 0, "x"), 0u); // not initialised
    ASSERT_TRUE(engine.init(kDeviceNoSound, 44100, 0));
    EXPECT_FALSE(engine.init(kDeviceNoSound, 44100, 0));
    EXPECT_FALSE(engine.init(7, 44100, 0));
    const Handle h = engine.streamCreateDecoder(makeSineDecoder({}), kSampleLoop, "x");
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(engine.channelPlay(h, false));
    EXPECT_TRUE(engine.stop());
    EXPECT_TRUE(engine.start());
    EXPECT_GE(engine.getCPU(), 0.0f);
    EXPECT_TRUE(engine.streamFree(h));
    EXPECT_TRUE(engine.free());
    EXPECT_FALSE(engine.free());
    EXPECT_EQ(engine.channelIsActive(h), kActiveStopped);
}

} // namespace
