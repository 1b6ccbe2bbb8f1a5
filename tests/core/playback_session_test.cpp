// Purpose: the playback session on an engine the test renders itself: what it remembers reaches every
// channel it loads, in the parameter records the engine reads back.
#include "core/playback_session.h"
#include "engine/engine.h"
#include "support/signal.h"
#include "support/temp_dir.h"
#include "support/wav_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace orvu;

namespace {

QString fixture(const char* name) {
    return QString::fromStdString(orvu::test::fixturePath(name));
}

class PlaybackSessionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.initManual(44100)); }

    void load(const char* name) {
        session.open(fixture(name));
        ASSERT_NE(session.Channel, 0u);
        session.AttachEqualizer();
    }
    float attribute(std::uint32_t which) {
        float value = -999.0f;
        engine.channelGetAttribute(session.Channel, which, &value);
        return value;
    }

    engine::Engine engine;
    PlaybackSession session{engine};
};

// Gains and effect positions set before any channel exists, or on one channel, reach the next
// channel; a new channel starts silent until the volume step.
TEST_F(PlaybackSessionTest, RememberedSettingsReachEveryLoadedChannel) {
    session.setBandGain(4, 15);
    session.setBalance(-50);
    session.setEchoMix(40);
    for (const char* name : {"sine1k.wav", "sine1k.ogg"}) {
        load(name);
        EXPECT_EQ(attribute(engine::kAttribVol), 0.0f) << name;
        for (std::size_t band = 0; band < 10; ++band) {
            engine::ParamEqParameters p{};
            ASSERT_TRUE(engine.fxGetParameters(session.EqFx[band], &p));
            EXPECT_FLOAT_EQ(p.fGain, band == 4 ? 15.0f : 0.0f) << name << " band " << band;
            EXPECT_FLOAT_EQ(p.fBandwidth, 18.0f);
        }
        EXPECT_FLOAT_EQ(attribute(engine::kAttribPan), -0.5f) << name;
        engine::EchoParameters echo{};
        ASSERT_TRUE(engine.fxGetParameters(session.EchoFx, &echo));
        EXPECT_FLOAT_EQ(echo.fWetDryMix, 40.0f) << name;
        session.setVolume(80);
        EXPECT_FLOAT_EQ(attribute(engine::kAttribVol), 0.8f) << name;
        session.setReverbMix(30);
    }
    engine::ReverbParameters reverb{};
    ASSERT_TRUE(engine.fxGetParameters(session.ReverbFx, &reverb));
    EXPECT_FLOAT_EQ(reverb.fReverbMix, -12.0f);
    EXPECT_EQ(session.effects().reverbMix, 30);
}

// A file no decoder takes leaves no channel, and the steps after it change nothing and fail quietly.
TEST_F(PlaybackSessionTest, UnplayableFileLeavesNoChannel) {
    load("sine1k.wav");
    const engine::Handle first = session.Channel;
    session.open(fixture("missing.mp3"));
    EXPECT_EQ(session.Channel, 0u);
    EXPECT_EQ(engine.channelIsActive(first), engine::kActiveStopped); // freed
    session.AttachEqualizer();
    session.setBandGain(0, 3);
    EXPECT_EQ(session.bandGain(0), 3);
}

// The prepared channel sounds as the current one does, even for a setter called after it was prepared,
// and follows it on the next frame: two files cut from one tone render as the uncut tone. Once the
// first's end has been heard, the prepared channel becomes current.
TEST_F(PlaybackSessionTest, PreparedChannelFollowsWithoutAGap) {
    constexpr long rate = 44100;
    constexpr long cut = 12347; // not a multiple of any block or chunk size
    constexpr long total = 30011;
    test::TempDir dir;
    const QString first = dir.file(QStringLiteral("first.wav"));
    const QString second = dir.file(QStringLiteral("second.wav"));
    const test::WavSpec tone{.seconds = double(cut) / rate, .rate = rate, .channels = 2, .frequency = 1000.0};
    test::writeWav(first, tone);
    test::WavSpec rest = tone;
    rest.seconds = double(total - cut) / rate;
    rest.firstFrame = cut;
    test::writeWav(second, rest);

    session.open(first);
    session.AttachEqualizer();
    session.setVolume(100);
    const engine::Handle firstChannel = session.Channel;
    engine.channelPlay(firstChannel, false);
    ASSERT_TRUE(session.prepareNext(second));
    EXPECT_EQ(session.nextPath(), second);
    EXPECT_FALSE(session.adoptNext(first)); // prepared for another file
    session.setVolume(50);

    std::vector<float> out(static_cast<std::size_t>(total + 3000) * 2);
    for (std::size_t done = 0; done < out.size() / 2; done += 1000)
        engine.render(out.data() + done * 2, std::min<std::size_t>(1000, out.size() / 2 - done));
    for (long n = 0; n < total + 3000; ++n) {
        const double tone =
            n < total ? std::lround(0.5 * std::sin(2.0 * M_PI * 1000.0 * n / rate) * 32767.0) : 0;
        const double expected = 0.5 * tone / 32768.0;
        ASSERT_NEAR(out[static_cast<std::size_t>(n) * 2], expected, 1e-4) << "frame " << n;
        ASSERT_NEAR(out[static_cast<std::size_t>(n) * 2 + 1], expected, 1e-4) << "frame " << n;
    }

    EXPECT_EQ(engine.channelPassesHeard(firstChannel), 1u);
    ASSERT_TRUE(session.adoptNext(second));
    EXPECT_NE(session.Channel, firstChannel);
    EXPECT_TRUE(session.nextPath().isEmpty());
    EXPECT_EQ(engine.channelPassesHeard(session.Channel), 1u);                  // the second has ended too
    EXPECT_EQ(engine.channelIsActive(session.Channel), engine::kActiveStopped); // and does not start over
    EXPECT_EQ(engine.channelIsActive(firstChannel), engine::kActiveStopped);    // freed

    // Prepared only after the current channel ended, nothing started it: adopting it does.
    session.open(first);
    session.AttachEqualizer();
    engine.channelPlay(session.Channel, false);
    for (long done = 0; done < cut + 2000; done += 1000)
        engine.render(out.data(), 1000);
    ASSERT_TRUE(session.prepareNext(second));
    ASSERT_TRUE(session.adoptNext(second));
    EXPECT_EQ(engine.channelIsActive(session.Channel), engine::kActivePlaying);
}

} // namespace
