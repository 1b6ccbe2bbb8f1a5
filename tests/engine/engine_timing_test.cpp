// Purpose: the engine's timing measured on its rendered output: a queued channel follows another without
// a gap, passes count once heard, the decoder's end shows ahead of the heard end, the position is what is
// heard (resampled, after seeks, at pause, in modules), and transport changes ramp the sound instead of
// stepping it.
#include "engine/channel.h"
#include "engine/engine.h"
#include "engine/sine_decoder.h"
#include "support/module_writer.h"
#include "support/signal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace orvu::engine;
using orvu::test::channelOf;
using orvu::test::largestStep;
using orvu::test::makeSineDecoder;
using orvu::test::rms;
using orvu::test::sineSample;
using orvu::test::SineSpec;

namespace {

constexpr int rate = 44100;
constexpr std::size_t pastFade = rate / 100; // the ramps take about 5 ms: 10 ms is past them

class TimingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.initManual(rate)); }

    Handle open(const SineSpec& sine, std::uint32_t flags = 0) {
        return engine.streamCreateDecoder(makeSineDecoder(sine), flags, "sine.wav");
    }

    // Renders `frames` stereo frames in calls of `call` frames.
    std::vector<float> render(std::size_t frames, std::size_t call = 1024) {
        std::vector<float> out(2 * frames);
        for (std::size_t done = 0; done < frames; done += call)
            engine.render(out.data() + 2 * done, std::min(call, frames - done));
        if (frames > 0)
            lastLeft = out[2 * frames - 2];
        return out;
    }

    std::vector<float> left(std::size_t frames) { return channelOf(render(frames), 2, 0); }

    // Where a stereo channel is heard, in frames.
    std::int64_t heardAt(Handle h) { return engine.channelGetPosition(h, kPosByte) / 4; }

    Engine engine;
    float lastLeft = 0.0f; // the newest left sample rendered
};

struct SuccessionCase {
    const char* what;
    std::int64_t cut;         // frames in the first channel
    std::size_t call;         // frames a render call
    std::uint32_t firstFlags; // a loop flag yields to the queue
    bool nextOpenedFirst;     // the next channel sits in an earlier slot than the one it follows
};

// Two channels cut from one signal, the second queued after the first, render that signal bit for bit:
// the join is neither ramped, nor gapped, nor rendered twice, wherever the cut falls and whichever
// channel the engine mixes first.
TEST(EngineSuccession, QueuedChannelsJoinSampleExactly) {
    const SuccessionCase cases[] = {
        {"cut inside a render call", 30001, 1000, 0, false},
        {"the first channel's loop flag yields to the queue", 30001, 1000, kSampleLoop, false},
        {"the next channel mixed before the one it follows", 30001, 1000, 0, true},
        {"cut on a render call's boundary", 30 * 1024, 1024, 0, true},
    };
    const SineSpec whole{.lengthFrames = 50000, .frequency = 1234.5};
    for (const SuccessionCase& c : cases) {
        SCOPED_TRACE(c.what);
        Engine engine;
        ASSERT_TRUE(engine.initManual(rate));
        SineSpec first = whole;
        first.lengthFrames = c.cut;
        SineSpec second = whole;
        second.offset = c.cut;
        second.lengthFrames = whole.lengthFrames - c.cut;
        const auto create = [&](const SineSpec& s, std::uint32_t flags) {
            return engine.streamCreateDecoder(makeSineDecoder(s), flags, "cut.wav");
        };
        const Handle b0 = c.nextOpenedFirst ? create(second, 0) : 0;
        const Handle a = create(first, c.firstFlags);
        const Handle b = c.nextOpenedFirst ? b0 : create(second, 0);
        ASSERT_TRUE(engine.channelSetNext(a, b));
        ASSERT_TRUE(engine.channelPlay(a, false));

        const std::size_t frames = static_cast<std::size_t>(whole.lengthFrames) + 3000;
        std::vector<float> out(2 * frames);
        for (std::size_t done = 0; done < frames; done += c.call)
            engine.render(out.data() + 2 * done, std::min(c.call, frames - done));
        for (int side = 0; side < 2; ++side) {
            const std::vector<float> heard = channelOf(out, 2, side);
            for (std::int64_t n = 0; n < whole.lengthFrames; ++n) {
                if (heard[static_cast<std::size_t>(n)] != sineSample(whole, n)) {
                    ADD_FAILURE() << "frame " << n << ": " << heard[static_cast<std::size_t>(n)]
                                  << " instead of " << sineSample(whole, n);
                    break;
                }
            }
            EXPECT_EQ(rms({heard.begin() + whole.lengthFrames, heard.end()}), 0.0);
        }
        EXPECT_EQ(engine.channelIsActive(a), kActiveStopped);
        EXPECT_EQ(engine.channelIsActive(b), kActiveStopped);
        EXPECT_EQ(engine.channelPassesHeard(a), 1u);
        EXPECT_EQ(engine.channelPassesHeard(b), 1u);
        EXPECT_EQ(engine.channelGetPosition(a, kPosByte), c.cut * 4);
    }
}

// Channels converted to the device rate join as one stream: the converter runs on across the cut, so
// the two render what the uncut signal renders, not two filtered pieces whose edges are missing.
TEST(EngineSuccession, ResampledChannelsJoinAsOneStream) {
    const SineSpec whole{.rate = 48000, .lengthFrames = 40000, .frequency = 1234.5};
    const auto renderAll = [&](const std::vector<SineSpec>& pieces) {
        Engine engine;
        EXPECT_TRUE(engine.initManual(rate));
        std::vector<Handle> handles;
        for (const SineSpec& piece : pieces)
            handles.push_back(engine.streamCreateDecoder(makeSineDecoder(piece), 0, "cut.wav"));
        for (std::size_t i = 1; i < handles.size(); ++i)
            EXPECT_TRUE(engine.channelSetNext(handles[i - 1], handles[i]));
        EXPECT_TRUE(engine.channelPlay(handles.front(), false));
        std::vector<float> out(2 * 40000);
        for (std::size_t done = 0; done < out.size() / 2; done += 1000)
            engine.render(out.data() + 2 * done, 1000);
        return out;
    };
    SineSpec first = whole;
    first.lengthFrames = 17777;
    SineSpec second = whole;
    second.offset = first.lengthFrames;
    second.lengthFrames = whole.lengthFrames - first.lengthFrames;
    const std::vector<float> uncut = renderAll({whole});
    const std::vector<float> joined = renderAll({first, second});
    double worst = 0.0;
    for (std::size_t i = 0; i < uncut.size(); ++i)
        worst = std::max(worst, static_cast<double>(std::fabs(joined[i] - uncut[i])));
    EXPECT_LT(worst, 1e-5);
}

// The queue refuses a bad handle, the channel itself and a playing channel; clearing it lets a looping
// channel loop on.
TEST_F(TimingTest, QueueRefusalsAndClearing) {
    const Handle loop = open({.lengthFrames = 4410}, kSampleLoop);
    const Handle next = open({});
    const Handle playing = open({});
    engine.channelPlay(playing, false);
    EXPECT_FALSE(engine.channelSetNext(loop, loop));
    EXPECT_FALSE(engine.channelSetNext(loop, playing));
    EXPECT_FALSE(engine.channelSetNext(0, next));
    EXPECT_FALSE(engine.channelSetNext(loop, 9999));
    EXPECT_EQ(engine.channelPassesHeard(9999), 0u);
    EXPECT_FALSE(engine.channelDecodeEnded(9999));
    engine.streamFree(playing);

    ASSERT_TRUE(engine.channelSetNext(loop, next));
    ASSERT_TRUE(engine.channelSetNext(loop, 0));
    engine.channelPlay(loop, false);
    render(3 * 4410 + 100);
    EXPECT_EQ(engine.channelIsActive(loop), kActivePlaying);
    EXPECT_EQ(engine.channelIsActive(next), kActiveStopped);
    EXPECT_EQ(engine.channelPassesHeard(loop), 3u);
}

// A channel's end counts once, exactly when the render clock reaches it; a loop counts each wrap the same
// way, and the position starts again at each wrap.
TEST_F(TimingTest, PassesCountWhenTheClockReachesThem) {
    struct PassCase {
        std::uint32_t flags;
        std::int64_t length;
        int passes;
    };
    for (const PassCase c : {PassCase{0, 13230, 1}, PassCase{kSampleLoop, 4410, 3}}) {
        SCOPED_TRACE(c.flags);
        const Handle h = open({.lengthFrames = c.length}, c.flags);
        engine.channelPlay(h, false);
        std::int64_t rendered = 0;
        const auto renderTo = [&](std::int64_t frame) {
            render(static_cast<std::size_t>(frame - rendered), 1000);
            rendered = frame;
        };
        for (int pass = 1; pass <= c.passes; ++pass) {
            renderTo(pass * c.length - 1);
            EXPECT_EQ(engine.channelPassesHeard(h), static_cast<std::uint64_t>(pass - 1)) << pass;
            EXPECT_EQ(heardAt(h), c.length - 1);
            renderTo(pass * c.length);
            EXPECT_EQ(engine.channelPassesHeard(h), static_cast<std::uint64_t>(pass)) << pass;
        }
        renderTo(rendered + 5000);
        EXPECT_EQ(engine.channelPassesHeard(h), static_cast<std::uint64_t>(c.flags ? c.passes + 1 : 1));
        EXPECT_EQ(heardAt(h), c.flags ? 5000 - c.length : c.length);
        EXPECT_EQ(engine.channelIsActive(h), c.flags ? kActivePlaying : kActiveStopped);
        engine.streamFree(h);
        render(2048); // its fade
    }
}

// Freeing the queued channel clears the queue; freeing the playing one leaves the queued one stopped
// where it was, ready to play.
TEST_F(TimingTest, FreeingEitherChannelOfAQueue) {
    const Handle loop = open({.lengthFrames = 4410}, kSampleLoop);
    const Handle gone = open({});
    ASSERT_TRUE(engine.channelSetNext(loop, gone));
    engine.channelPlay(loop, false);
    render(1000);
    ASSERT_TRUE(engine.streamFree(gone));
    render(2 * 4410);
    EXPECT_EQ(engine.channelIsActive(loop), kActivePlaying);
    EXPECT_EQ(engine.channelPassesHeard(loop), 2u);

    const Handle next = open({});
    ASSERT_TRUE(engine.channelSetNext(loop, next));
    ASSERT_TRUE(engine.streamFree(loop));
    render(3 * 4410);
    EXPECT_EQ(engine.channelIsActive(next), kActiveStopped);
    EXPECT_EQ(heardAt(next), 0);
    engine.channelPlay(next, false);
    EXPECT_GT(rms(left(4096)), 0.3);
}

// Queues made and freed in every order while the output thread hands channels over (run under
// ThreadSanitizer and AddressSanitizer too).
TEST(EngineSuccessionThreads, FreeingQueuedChannelsWhileRendering) {
    Engine engine;
    ASSERT_TRUE(engine.init(kDeviceNoSound, rate, 0));
    for (int i = 0; i < 60; ++i) {
        const Handle a = engine.streamCreateDecoder(makeSineDecoder({.lengthFrames = 300 + 97 * i}), 0, "a");
        const Handle b = engine.streamCreateDecoder(makeSineDecoder({.rate = i % 3 ? 44100 : 22050}), 0, "b");
        ASSERT_TRUE(engine.channelSetNext(a, b));
        engine.channelPlay(a, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(i % 7 * 4));
        EXPECT_TRUE(i % 2 ? engine.streamFree(a) : engine.streamFree(b));
        EXPECT_TRUE(i % 2 ? engine.streamFree(b) : engine.streamFree(a));
    }
    EXPECT_TRUE(engine.free());
}

// The decoder's end shows while the end is still ahead of what is heard, in time to open the next track;
// a seek or a restart takes it back until the decoder gets there again, and a loop's next pass has an end
// of its own.
TEST_F(TimingTest, DecodeEndShowsAheadOfTheHeardEnd) {
    const auto soon = [&](Handle h) {
        for (int i = 0; i < 5000 && !engine.channelDecodeEnded(h); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return engine.channelDecodeEnded(h);
    };
    // A second, and a decode-ahead ring of about half of it that refills whenever it has drained to half.
    const Handle h = open({.lengthFrames = rate});
    engine.channelPlay(h, false);
    render(rate / 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(engine.channelDecodeEnded(h));
    render(rate * 55 / 100); // 0.8 s heard: the ring reaches past the end
    EXPECT_TRUE(soon(h));
    EXPECT_EQ(engine.channelPassesHeard(h), 0u);
    EXPECT_EQ(engine.channelIsActive(h), kActivePlaying);

    ASSERT_TRUE(engine.channelSetPosition(h, 3 * rate, kPosByte)); // 0.75 s
    EXPECT_FALSE(engine.channelDecodeEnded(h));
    render(1024);
    EXPECT_TRUE(soon(h));
    ASSERT_TRUE(engine.channelPlay(h, true));
    EXPECT_FALSE(engine.channelDecodeEnded(h));
    render(rate);
    EXPECT_EQ(engine.channelIsActive(h), kActiveStopped);
    EXPECT_TRUE(engine.channelDecodeEnded(h));
    engine.streamFree(h);

    const Handle loop = open({.lengthFrames = rate}, kSampleLoop);
    engine.channelPlay(loop, false);
    render(rate * 8 / 10);
    EXPECT_TRUE(soon(loop));
    render(rate / 2); // past the wrap: the second pass's end is more than the ring ahead
    EXPECT_FALSE(engine.channelDecodeEnded(loop));
}

struct PositionCase {
    const char* what;
    int sourceRate;
    float rateAttribute; // 0: the source's own
    double sourcePerDevice;
};

// The position is the source frame being heard: device frames rendered times the source frames each one
// plays, with resampling, with a rate attribute, from a seek's target on, and standing still at pause.
TEST_F(TimingTest, PositionFollowsTheFramesRendered) {
    const PositionCase cases[] = {
        {"at the device's rate", rate, 0.0f, 1.0},        {"an 8 kHz source", 8000, 0.0f, 8000.0 / rate},
        {"a 48 kHz source", 48000, 0.0f, 48000.0 / rate}, {"half speed", rate, 22050.0f, 0.5},
        {"one and a half times", rate, 66150.0f, 1.5},
    };
    for (const PositionCase& c : cases) {
        SCOPED_TRACE(c.what);
        const SineSpec sine{.rate = c.sourceRate, .lengthFrames = 20 * c.sourceRate};
        const Handle h = open(sine);
        ASSERT_TRUE(engine.channelSetAttribute(h, kAttribFreq, c.rateAttribute));
        const double tolerance = 1.0; // source frames: the position is a whole frame
        const auto expectAt = [&](double frame) {
            EXPECT_NEAR(static_cast<double>(heardAt(h)), frame, tolerance);
        };

        engine.channelPlay(h, false);
        render(5 * rate);
        expectAt(5 * rate * c.sourcePerDevice);

        const std::int64_t target = 2 * c.sourceRate + 7;
        ASSERT_TRUE(engine.channelSetPosition(h, target * 4, kPosByte));
        EXPECT_EQ(heardAt(h), target);
        render(rate);
        expectAt(static_cast<double>(target) + rate * c.sourcePerDevice);

        ASSERT_TRUE(engine.channelPause(h));
        render(rate / 10);
        const std::int64_t paused = heardAt(h);
        // The pause takes effect once its fade has played.
        expectAt(static_cast<double>(target) + (rate + rate * Channel::fadeMs / 1000) * c.sourcePerDevice);
        render(rate / 10);
        EXPECT_EQ(heardAt(h), paused);
        engine.streamFree(h);
    }
}

// Until the first audio after a seek is heard the position is the seek's target; from that frame on it
// moves with the audio, within a render call.
TEST_F(TimingTest, PositionMovesWithTheFirstHeardFrameOfASeek) {
    const Handle h = open({.lengthFrames = 10 * rate});
    engine.channelPlay(h, false);
    render(4096);
    ASSERT_TRUE(engine.channelSetPosition(h, 4 * rate * 4, kPosByte));
    EXPECT_EQ(heardAt(h), 4 * rate);
    render(1);
    EXPECT_EQ(heardAt(h), 4 * rate + 1);
    render(999);
    EXPECT_EQ(heardAt(h), 4 * rate + 1000);
}

// On a device the heard position follows the clock between two callbacks (a callback every 23 ms here)
// instead of jumping a callback's worth at a time, and it never goes backwards.
TEST(EngineDeviceTiming, HeardPositionFollowsTheClockBetweenCallbacks) {
    Engine engine;
    if (!engine.init(kDeviceDefault, rate, 0))
        GTEST_SKIP() << "no audio device";
    const Handle h = engine.streamCreateDecoder(makeSineDecoder({.lengthFrames = 20 * rate}), 0, "sine.wav");
    engine.channelPlay(h, false);
    std::set<std::int64_t> seen;
    std::int64_t last = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
    while (std::chrono::steady_clock::now() < until) {
        const std::int64_t position = engine.channelGetPosition(h, kPosByte);
        ASSERT_GE(position, last);
        last = position;
        seen.insert(position);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(seen.size(), 60u); // about 26 callbacks
    EXPECT_TRUE(engine.free());
}

// A module seeks to the start of a pattern row (0.12 s each at speed 6 and 125 BPM), and its position runs
// on from there, not from the time asked for.
TEST_F(TimingTest, ModuleSeekReportsTheRowItLandedOn) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("orvu-timing-" + std::to_string(::getpid()) + ".xm");
    orvu::test::writeFile(path.string(), orvu::test::makeModule(orvu::test::ModuleKind::Xm, "Rows"));
    const Handle h = engine.musicLoad(false, path.string(), 0, 0, 0, 1);
    std::filesystem::remove(path);
    ASSERT_NE(h, 0u);
    const std::int64_t rowFrames = rate * 12 / 100;
    const std::int64_t asked = 4 * rowFrames + rowFrames / 2;
    ASSERT_TRUE(engine.channelSetPosition(h, static_cast<std::uint64_t>(asked) * 4, kPosByte));
    EXPECT_EQ(heardAt(h), asked);
    engine.channelPlay(h, false);
    render(4410);
    const std::int64_t landed = heardAt(h) - 4410;
    EXPECT_EQ(landed % rowFrames, 0) << landed;
    EXPECT_NEAR(static_cast<double>(landed), static_cast<double>(asked), static_cast<double>(rowFrames));
}

struct ClickCase {
    const char* what;
    std::function<void(Engine&, Handle)> act;
    bool silentAfter; // the action silences the channel
};

// Pause, resume, stop, seek and free at a peak of a 441 Hz sine at 0.5 (a step of 0.5 if cut) ramp the
// sound: the output never steps further than the sine's own largest step, and each action takes effect.
TEST_F(TimingTest, TransportChangesRampTheSound) {
    const SineSpec sine{.lengthFrames = 10 * rate};
    const std::int64_t peak = 3025; // 0.5; the sine has 100 frames a period
    const std::int64_t trough = 6075;
    const ClickCase cases[] = {
        {"pause", [](Engine& e, Handle h) { e.channelPause(h); }, true},
        {"stop", [](Engine& e, Handle h) { e.channelStop(h); }, true},
        {"seek", [&](Engine& e, Handle h) { e.channelSetPosition(h, trough * 4, kPosByte); }, false},
        {"free", [](Engine& e, Handle h) { e.streamFree(h); }, true},
        {"resume",
         [&](Engine& e, Handle h) {
             e.channelPause(h);
             render(4096);
             e.channelSetPosition(h, (peak + 100) * 4, kPosByte);
             render(4096);
             e.channelPlay(h, false);
         },
         false},
    };
    double ownStep = 0.0;
    for (std::int64_t n = 1; n < 200; ++n)
        ownStep =
            std::max(ownStep, static_cast<double>(std::fabs(sineSample(sine, n) - sineSample(sine, n - 1))));
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Handle h = open(sine);
        engine.channelPlay(h, false);
        render(static_cast<std::size_t>(peak));
        ASSERT_NEAR(lastLeft, sineSample(sine, peak - 1), 1e-6);
        c.act(engine, h);
        std::vector<float> heard{lastLeft}; // the output just before the action takes effect
        const std::vector<float> after = left(4096);
        heard.insert(heard.end(), after.begin(), after.end());
        EXPECT_LE(largestStep(heard), ownStep + 1e-6);
        if (c.silentAfter)
            EXPECT_EQ(rms({after.begin() + pastFade, after.end()}), 0.0);
        else
            EXPECT_NEAR(orvu::test::toneAmplitude({after.begin() + pastFade, after.end()}, 441.0, rate), 0.5,
                        0.01);
        engine.streamFree(h);
        render(4096);
    }
}

} // namespace
