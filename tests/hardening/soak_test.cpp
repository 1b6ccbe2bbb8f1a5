// Purpose: the engine under a long, random load while its output thread renders: play, pause, seek,
// every effect parameter and attribute changing, channels queued and freed. Run under ThreadSanitizer
// by `scripts/test --soak`; any data race, crash or refused valid call fails it.
#include "engine/engine.h"
#include "support/module_writer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace orvu::engine;
namespace fs = std::filesystem;

namespace {

struct Live {
    Handle handle = 0;
    bool music = false;
    std::vector<Handle> effects; // in the order made: ten bands, echo, reverb
};

// Seconds of the soak from ORVU_SOAK_SECONDS; a short run unless set.
int soakSeconds() {
    const char* text = std::getenv("ORVU_SOAK_SECONDS");
    return text ? std::max(1, std::atoi(text)) : 10;
}

} // namespace

// For the whole soak the control thread keeps up to four channels of real files and modules in play on
// the no-sound device (its clock thread renders as an audio device would) and does one random thing
// at a time: play, pause, stop, seek, slide or set volume, pan and rate, change each parameter of the
// ten equalizer bands, the echo and the reverb, queue a next channel, read the spectrum, or free a
// channel while it plays. Every call on a live handle with valid arguments must succeed.
TEST(Soak, EveryControlWhileTheOutputRenders) {
    const fs::path scratch = fs::temp_directory_path() / ("orvu-soak-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    std::vector<std::string> files;
    for (const char* name :
         {"sine1k.mp3", "sine1k.ogg", "sine1k.flac", "short.wav", "chirp.opus", "sine1k.m4a"}) {
        if (fs::exists(fs::path(ORVU_FIXTURE_DIR) / name))
            files.push_back((fs::path(ORVU_FIXTURE_DIR) / name).string());
    }
    files.push_back((scratch / "module.xm").string());
    orvu::test::writeFile(files.back(), orvu::test::makeModule(orvu::test::ModuleKind::Xm, "soak"));
    ASSERT_GE(files.size(), 4u);

    Engine engine;
    ASSERT_TRUE(engine.init(kDeviceNoSound, 44100, 0));
    engine.setConfig(kConfigBuffer, 500);
    for (const auto& entry : fs::directory_iterator(ORVU_PLUGIN_DIR)) {
        if (entry.path().extension() == ".so") {
            engine.pluginLoad(entry.path().string(), 0);
        }
    }

    std::mt19937 random(20261210);
    const auto uniform = [&random](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    const auto pick = [&random](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    const float centres[] = {80, 125, 250, 500, 1000, 2000, 4000, 8000, 12000, 16000};

    std::vector<Live> live;
    long operations = 0, frees = 0, opens = 0;
    const auto open = [&] {
        const std::string& file = files[pick(files.size())];
        Live channel;
        channel.music = file.ends_with(".xm");
        channel.handle = channel.music
                             ? engine.musicLoad(false, file, 0, 0, kMusicRamp | kSampleFx | kSampleLoop, 1)
                             : engine.streamCreateFile(false, file, 0, 0, kSampleFx | kSampleLoop);
        ASSERT_NE(channel.handle, 0u) << file;
        for (const float centre : centres) {
            channel.effects.push_back(engine.channelSetFX(channel.handle, kFxDx8ParamEq, 0));
            const ParamEqParameters band{centre, 12, 0};
            EXPECT_TRUE(engine.fxSetParameters(channel.effects.back(), &band));
        }
        channel.effects.push_back(engine.channelSetFX(channel.handle, kFxDx8Echo, 1));
        channel.effects.push_back(engine.channelSetFX(channel.handle, kFxDx8Reverb, 2));
        for (const Handle fx : channel.effects) {
            EXPECT_NE(fx, 0u);
        }
        EXPECT_TRUE(engine.channelPlay(channel.handle, true));
        live.push_back(channel);
        ++opens;
    };
    const auto release = [&](std::size_t index) {
        const Live channel = live[index];
        live.erase(live.begin() + static_cast<std::ptrdiff_t>(index));
        EXPECT_TRUE(channel.music ? engine.musicFree(channel.handle) : engine.streamFree(channel.handle));
        EXPECT_EQ(engine.channelIsActive(channel.handle), 0u);
        ++frees;
    };

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(soakSeconds());
    std::vector<float> spectrum(128);
    while (std::chrono::steady_clock::now() < end && !::testing::Test::HasFatalFailure()) {
        if (live.size() < 2) {
            open();
            continue;
        }
        Live& channel = live[pick(live.size())];
        const Handle h = channel.handle;
        switch (pick(12)) {
        case 0:
            if (live.size() < 4)
                open();
            break;
        case 1:
            release(pick(live.size()));
            break;
        case 2:
            EXPECT_TRUE(engine.channelPause(h) || engine.channelIsActive(h) != 1);
            break;
        case 3:
            EXPECT_TRUE(engine.channelPlay(h, pick(4) == 0));
            break;
        case 4: {
            const std::int64_t length = engine.channelGetLength(h, kPosByte);
            if (length > 0) {
                engine.channelSetPosition(
                    h,
                    static_cast<std::uint64_t>(uniform(0, 1) * static_cast<float>(length)) &
                        ~std::uint64_t{3},
                    kPosByte);
            }
            EXPECT_GE(engine.channelGetPosition(h, kPosByte), 0);
            break;
        }
        case 5:
            EXPECT_TRUE(engine.channelSetAttribute(h, kAttribVol, uniform(0, 1)));
            EXPECT_TRUE(engine.channelSetAttribute(h, kAttribPan, uniform(-1, 1)));
            break;
        case 6:
            EXPECT_TRUE(engine.channelSlideAttribute(h, kAttribVol, uniform(0, 1), 1 + pick(300)));
            EXPECT_TRUE(engine.channelSetAttribute(h, kAttribFreq, uniform(22050, 88200)));
            break;
        case 7: { // one band: centre, bandwidth and gain
            const std::size_t band = pick(10);
            const ParamEqParameters p{centres[band], uniform(1, 36), uniform(-15, 15)};
            EXPECT_TRUE(engine.fxSetParameters(channel.effects[band], &p));
            break;
        }
        case 8: {
            const EchoParameters p{uniform(0, 100), uniform(0, 100), uniform(1, 2000), uniform(1, 2000),
                                   static_cast<std::int32_t>(pick(2))};
            EXPECT_TRUE(engine.fxSetParameters(channel.effects[10], &p));
            break;
        }
        case 9: {
            const ReverbParameters p{uniform(-96, 0), uniform(-96, 0), uniform(0.001f, 3000),
                                     uniform(0.001f, 0.999f)};
            EXPECT_TRUE(engine.fxSetParameters(channel.effects[11], &p));
            break;
        }
        case 10:
            EXPECT_GE(engine.channelGetData(h, spectrum.data(), kDataFft256), -1);
            for (const float magnitude : spectrum) {
                ASSERT_TRUE(std::isfinite(magnitude));
            }
            engine.getCPU();
            break;
        case 11: { // queue another live channel that is not playing behind this one
            Live& other = live[pick(live.size())];
            if (other.handle != h && engine.channelIsActive(other.handle) != 1)
                engine.channelSetNext(h, other.handle);
            break;
        }
        }
        ++operations;
        std::this_thread::sleep_for(std::chrono::microseconds(200 + pick(2000)));
    }
    while (!live.empty())
        release(0);
    EXPECT_TRUE(engine.free());
    std::printf("soak: %d s, %ld operations, %ld channels opened, %ld freed while rendering\n", soakSeconds(),
                operations, opens, frees);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
}
