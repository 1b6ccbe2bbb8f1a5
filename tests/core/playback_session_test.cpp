// Purpose: the playback session on an engine the test renders itself: what it remembers reaches every
// channel it loads, in the parameter records the engine reads back.
#include "core/playback_session.h"
#include "engine/engine.h"
#include "support/signal.h"

#include <gtest/gtest.h>

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

} // namespace
