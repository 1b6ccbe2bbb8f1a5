// Purpose: real files through the engine's own door: every family plays its encoded signal, modules and
// MIDI play with their length known, tags come through, and bad input fails promptly.
#include "engine/engine.h"
#include "support/module_writer.h"
#include "support/signal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace orvu::engine;
using orvu::test::channelOf;
using orvu::test::fixturePath;
using orvu::test::rms;
using orvu::test::toneAmplitude;
using orvu::test::zeroCrossingFrequency;

namespace {

constexpr int rate = 44100;
constexpr std::uint32_t streamFlags = kSampleLoop | kSampleFx;
constexpr std::uint32_t musicFlags = kMusicRamp | kSampleFx | kSampleLoop;

class EngineFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.initManual(rate));
        engine.setConfig(kConfigBuffer, 1000);
        scratch = std::filesystem::temp_directory_path() /
                  ("orvu-engine-files-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(scratch);
    }
    void TearDown() override { std::filesystem::remove_all(scratch); }

    void loadAllAddOns() {
        for (const auto& entry : std::filesystem::directory_iterator(ORVU_PLUGIN_DIR)) {
            if (entry.path().extension() == ".so") {
                ASSERT_NE(engine.pluginLoad(entry.path().string(), 0), 0u) << entry.path();
            }
        }
    }

    // Opens as the player does: a stream first, then a module.
    Handle openLikeThePlayer(const std::string& path) {
        const Handle stream = engine.streamCreateFile(false, path, 0, 0, streamFlags);
        return stream != 0 ? stream : engine.musicLoad(false, path, 0, 0, musicFlags, 1);
    }

    std::vector<float> render(std::size_t frames) {
        std::vector<float> out(2 * frames);
        for (std::size_t done = 0; done < frames; done += 1024)
            engine.render(out.data() + 2 * done, std::min<std::size_t>(1024, frames - done));
        return out;
    }

    std::string scratchFile(const std::string& name) const { return (scratch / name).string(); }

    Engine engine;
    std::filesystem::path scratch;
};

struct FamilyCase {
    const char* file;
    double frequency;
};

// Every stream family plays the tone it was encoded with, at its level, through the engine's output.
TEST_F(EngineFilesTest, EveryFamilyPlaysItsSignal) {
    loadAllAddOns();
    const FamilyCase cases[] = {
        {"sine1k.mp3", 1000},  {"sine1k.mp2", 1000},  {"sine1k.ogg", 1000},      {"sine1k.wav", 1000},
        {"sine1k.aiff", 1000}, {"sine1k.m4a", 1000},  {"sine1k_alac.m4a", 1000}, {"sine1k.ac3", 1000},
        {"sine1k.adx", 1000},  {"sine1k.flac", 1000}, {"sine1k.opus", 1000},     {"sine1k.wv", 1000},
        {"sine1k.wma", 1000},  {"sine1k.tta", 1000},  {"sine1k.mpc", 1000},      {"sine500.spx", 500},
    };
    for (const FamilyCase& c : cases) {
        const std::string path = fixturePath(c.file);
        if (!std::filesystem::exists(path))
            continue; // made only where its encoder is installed
        const Handle h = engine.streamCreateFile(false, path, 0, 0, streamFlags);
        ASSERT_NE(h, 0u) << c.file;
        EXPECT_GT(engine.channelGetLength(h, kPosByte), 0) << c.file;
        engine.channelPlay(h, false);
        render(4410); // past encoder delays
        const std::vector<float> left = channelOf(render(rate / 2), 2, 0);
        EXPECT_NEAR(toneAmplitude(left, c.frequency, rate), 0.5, 0.06) << c.file;
        EXPECT_NEAR(zeroCrossingFrequency(left, rate), c.frequency, c.frequency * 0.01) << c.file;
        engine.streamFree(h);
    }
}

// Without its add-on a family fails to open; the core families need none.
TEST_F(EngineFilesTest, AddOnFamiliesNeedTheirAddOn) {
    EXPECT_EQ(engine.streamCreateFile(false, fixturePath("sine1k.flac"), 0, 0, streamFlags), 0u);
    EXPECT_NE(engine.streamCreateFile(false, fixturePath("sine1k.mp3"), 0, 0, streamFlags), 0u);
    ASSERT_NE(engine.pluginLoad(std::string(ORVU_PLUGIN_DIR) + "/bassflac.so", 0), 0u);
    EXPECT_NE(engine.streamCreateFile(false, fixturePath("sine1k.flac"), 0, 0, streamFlags), 0u);
    EXPECT_EQ(engine.pluginLoad(std::string(ORVU_PLUGIN_DIR) + "/missing.so", 0), 0u);
}

// Modules are refused as streams and open as music, with the length known, the tone playing and the
// module's own title as its tag.
TEST_F(EngineFilesTest, ModulesPlayAsMusicWithLengthAndTitle) {
    using orvu::test::ModuleKind;
    for (const ModuleKind kind : {ModuleKind::Mod, ModuleKind::Xm, ModuleKind::S3m, ModuleKind::It}) {
        const std::string path = scratchFile("tune." + orvu::test::moduleExtension(kind));
        orvu::test::writeFile(path, orvu::test::makeModule(kind, "Test Tune"));
        EXPECT_EQ(engine.streamCreateFile(false, path, 0, 0, streamFlags), 0u) << path;
        const Handle h = engine.musicLoad(false, path, 0, 0, musicFlags, 1);
        ASSERT_NE(h, 0u) << path;
        EXPECT_GT(engine.channelBytes2Seconds(h, engine.channelGetLength(h, kPosByte)), 1.0) << path;
        EXPECT_EQ(engine.tagsRead(h, "%TITL"), "Test Tune") << path;
        EXPECT_EQ(engine.tagsRead(h, "%IFV2(%ALBM,%ALBM,none)"), "none") << path;
        engine.channelPlay(h, false);
        EXPECT_GT(rms(channelOf(render(rate / 2), 2, 0)), 0.01) << path;
        EXPECT_FALSE(engine.streamFree(h));
        EXPECT_TRUE(engine.musicFree(h));
    }
}

// MIDI plays out of the box through its add-on's synthesizer.
TEST_F(EngineFilesTest, MidiPlaysThroughItsAddOn) {
    loadAllAddOns();
    const std::string path = scratchFile("tune.mid");
    orvu::test::writeFile(path, orvu::test::makeMidi());
    const Handle h = openLikeThePlayer(path);
    ASSERT_NE(h, 0u);
    EXPECT_GT(engine.channelGetLength(h, kPosByte), 0);
    engine.channelPlay(h, false);
    EXPECT_GT(rms(channelOf(render(rate / 2), 2, 0)), 0.001);
}

// A MIDI file of sixteen short flute notes (A4), one every quarter second at 120 BPM: about four seconds
// in which every half second has notes, wherever a seek lands.
std::vector<char> noteRunMidi() {
    std::vector<char> track = {0x00, '\xff', 0x51, 0x03, 0x07, '\xa1', 0x20, // 500000 us a quarter note
                               0x00, '\xc0', 73};                            // program: flute
    for (int note = 0; note < 16; ++note) {
        const char gap = note == 0 ? 0 : 8; // ticks; 96 a quarter note, so 48 between note starts
        track.insert(track.end(), {gap, '\x90', 69, 100, 40, '\x80', 69, 64});
    }
    track.insert(track.end(), {0x00, '\xff', 0x2f, 0x00});
    std::vector<char> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0};
    file.push_back(static_cast<char>(track.size() >> 8));
    file.push_back(static_cast<char>(track.size() & 0xff));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// Rewind, Forward and the seek bar work in a MIDI file: a seek before anything was rendered and seeks
// while it plays land where asked and the music plays on from there.
TEST_F(EngineFilesTest, MidiSeeksLandAndPlayOn) {
    loadAllAddOns();
    const std::string path = scratchFile("notes.mid");
    orvu::test::writeFile(path, noteRunMidi());
    const Handle h = openLikeThePlayer(path);
    ASSERT_NE(h, 0u);
    // The song ends with the last note off, 760 ticks in.
    ASSERT_NEAR(engine.channelBytes2Seconds(h, engine.channelGetLength(h, kPosByte)), 760 / 192.0, 0.001);
    const auto seconds = [&] {
        return engine.channelBytes2Seconds(h, engine.channelGetPosition(h, kPosByte));
    };

    ASSERT_TRUE(engine.channelSetPosition(h, engine.channelSeconds2Bytes(h, 1.0), kPosByte));
    engine.channelPlay(h, false);
    // Loudness, not the level of the tone: the synthesizer places note starts on its 64-frame blocks, so
    // the phase between two notes, and with it a tone measurement across both, varies from run to run.
    EXPECT_GT(rms(channelOf(render(rate / 2), 2, 0)), 0.005) << "seek before playing";
    EXPECT_NEAR(seconds(), 1.5, 0.05);

    for (const double target : {3.1, 0.4, 2.0}) { // forward, back, and forward again while playing
        ASSERT_TRUE(engine.channelSetPosition(h, engine.channelSeconds2Bytes(h, target), kPosByte));
        EXPECT_GT(rms(channelOf(render(rate / 2), 2, 0)), 0.005) << "seek to " << target;
        EXPECT_NEAR(seconds(), target + 0.5, 0.05) << "seek to " << target;
        EXPECT_EQ(engine.channelIsActive(h), kActivePlaying) << "seek to " << target;
    }
}

// Bad input fails to open (or plays what decodes), never hangs: missing files, directories, empty,
// text and random files under audio names, and a FIFO.
TEST_F(EngineFilesTest, BadInputFailsPromptly) {
    loadAllAddOns();
    const auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(scratchFile(name), std::ios::binary) << bytes;
        return scratchFile(name);
    };
    std::string noise(4096, '\0');
    std::srand(7);
    for (char& c : noise)
        c = static_cast<char>(std::rand());
    const std::string fifo = scratchFile("pipe.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string paths[] = {
        scratchFile("missing.mp3"), scratch.string(),
        write("empty.mp3", ""),     write("text.mp3", "hello, this is no audio\n"),
        write("noise.ogg", noise),  fifo,
    };
    for (const std::string& path : paths) {
        const auto start = std::chrono::steady_clock::now();
        const Handle h = openLikeThePlayer(path);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500)) << path;
        if (h != 0) { // whatever decodes plays and loops; it must not crash or hang
            engine.channelPlay(h, false);
            render(8192);
        }
        EXPECT_EQ(h, 0u) << path;
    }
}

// A damaged region inside an MP3 costs only the damaged audio: the track plays on past it to its real
// end, once, with as much audio as ffmpeg decodes from the file.
TEST_F(EngineFilesTest, DamagedMp3PlaysPastTheDamageToItsEnd) {
    const Handle reference =
        engine.streamCreateFile(false, fixturePath("damaged_mp3_by_ffmpeg.wav"), 0, 0, 0);
    ASSERT_NE(reference, 0u);
    const std::int64_t ffmpegFrames = engine.channelGetLength(reference, kPosByte) / 4;
    ASSERT_GT(ffmpegFrames, 3 * rate); // the damage took a fraction of a second of the four

    const Handle h = engine.streamCreateFile(false, fixturePath("damaged.mp3"), 0, 0, kSampleFx); // no loop
    ASSERT_NE(h, 0u);
    engine.channelPlay(h, false);
    std::vector<float> heard;
    while (engine.channelIsActive(h) == kActivePlaying && heard.size() < 2u * 10 * rate) {
        const std::vector<float> block = render(1024);
        heard.insert(heard.end(), block.begin(), block.end());
    }
    EXPECT_EQ(engine.channelIsActive(h), kActiveStopped);
    const std::int64_t played = engine.channelGetPosition(h, kPosByte) / 4;
    EXPECT_NEAR(static_cast<double>(played), static_cast<double>(ffmpegFrames), 1152 * 2);
    EXPECT_NEAR(static_cast<double>(heard.size() / 2), static_cast<double>(played), 1024);
    // The last half second before the end is the tone, not the start of the track again.
    ASSERT_GT(heard.size(), 2u * rate);
    const std::vector<float> tail(heard.end() - 2 * (rate / 2 + 2048), heard.end() - 2 * 2048);
    EXPECT_NEAR(toneAmplitude(channelOf(tail, 2, 0), 1000, rate), 0.5, 0.06);
}

// A 5.1 file plays through the speakers' standard stereo downmix, the one `ffmpeg -ac 2` makes: the
// centre equally on both sides, each front and back channel on its own side, the LFE left out, all at
// ffmpeg's levels. Each channel of the file holds a tone of its own: 500 Hz times its place (FL FR FC LFE
// BL BR).
TEST_F(EngineFilesTest, MultichannelFilesPlayTheStandardDownmix) {
    struct Levels {
        double left[6], right[6];
    };
    const auto levels = [&](const char* file) {
        const Handle h = engine.streamCreateFile(false, fixturePath(file), 0, 0, 0);
        EXPECT_NE(h, 0u) << file;
        engine.channelPlay(h, false);
        const std::vector<float> heard = render(rate);
        engine.streamFree(h);
        Levels out{};
        for (int ch = 0; ch < 6; ++ch) {
            out.left[ch] = toneAmplitude(channelOf(heard, 2, 0), 500.0 * (ch + 1), rate);
            out.right[ch] = toneAmplitude(channelOf(heard, 2, 1), 500.0 * (ch + 1), rate);
        }
        return out;
    };
    const Levels ours = levels("six_channels.wav");
    const Levels ffmpeg = levels("six_channels_ac2_by_ffmpeg.wav");
    for (int ch = 0; ch < 6; ++ch) {
        EXPECT_NEAR(ours.left[ch], ffmpeg.left[ch], 0.002) << "channel " << ch;
        EXPECT_NEAR(ours.right[ch], ffmpeg.right[ch], 0.002) << "channel " << ch;
    }
    EXPECT_GT(ours.left[2], 0.1);
    EXPECT_NEAR(ours.left[2], ours.right[2], 0.001) << "the centre is in the middle";
    EXPECT_LT(ours.right[0], 0.001) << "front left stays left";
    EXPECT_LT(ours.left[3] + ours.right[3], 0.001) << "the LFE is left out";
}

// A real file loops at its end and keeps its place through pause; seeking past the end fails.
TEST_F(EngineFilesTest, RealFileLoopsAndSeeks) {
    const Handle h = engine.streamCreateFile(false, fixturePath("sine1k.wav"), 0, 0, streamFlags);
    ASSERT_NE(h, 0u);
    const std::int64_t length = engine.channelGetLength(h, kPosByte);
    EXPECT_EQ(length, 2 * rate * 4);
    EXPECT_DOUBLE_EQ(engine.channelBytes2Seconds(h, length), 2.0);
    EXPECT_FALSE(engine.channelSetPosition(h, static_cast<std::uint64_t>(length) + 4, kPosByte));
    ASSERT_TRUE(
        engine.channelSetPosition(h, static_cast<std::uint64_t>(length) - rate, kPosByte)); // 0.25 s left
    engine.channelPlay(h, false);
    const std::vector<float> left = channelOf(render(rate), 2, 0); // crosses the end
    EXPECT_NEAR(toneAmplitude(left, 1000, rate), 0.5, 0.02);
    EXPECT_EQ(engine.channelGetPosition(h, kPosByte), (rate - rate / 4) * 4);
    ChannelInfo info;
    ASSERT_TRUE(engine.channelGetInfo(h, &info));
    EXPECT_EQ(info.ctype, kCtypeStreamWavPcm);
    EXPECT_EQ(info.chans, 2u);
}

} // namespace
