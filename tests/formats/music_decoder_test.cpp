// Purpose: tests of module decoding through libopenmpt and MIDI through its add-on: a known tone, the
// length, metadata, looping by seeking, and corrupt input.
#include "engine/engine_types.h"
#include "engine/formats/formats.h"
#include "formats/format_test_support.h"
#include "support/module_writer.h"
#include "support/signal.h"

#include <gtest/gtest.h>

namespace orvu::test {
namespace {

struct ModuleCase {
    ModuleKind kind;
    std::uint32_t ctype;
};

std::ostream& operator<<(std::ostream& os, const ModuleCase& c) {
    return os << moduleExtension(c.kind);
}

class ModuleTest : public ::testing::TestWithParam<ModuleCase> {
protected:
    void SetUp() override {
        path = dir.file("tone." + moduleExtension(GetParam().kind));
        writeFile(path, makeModule(GetParam().kind, "Sine Test"));
    }
    ScratchDir dir;
    std::string path;
};

// A module plays its sample's tone at the expected pitch, as 44.1 kHz stereo, for the known length.
TEST_P(ModuleTest, PlaysTheTone) {
    auto decoder = engine::openMusicDecoder(path, 0);
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->sampleRate(), 44100);
    EXPECT_EQ(decoder->channels(), 2);
    EXPECT_EQ(decoder->ctype(), GetParam().ctype);
    EXPECT_EQ(decoder->metadata("title"), "Sine Test");
    // 16 rows at speed 6 and 125 BPM.
    EXPECT_NEAR(static_cast<double>(decoder->lengthFrames()), 1.92 * 44100, 0.02 * 44100);

    const std::vector<float> pcm = decodeAll(*decoder);
    EXPECT_NEAR(static_cast<double>(pcm.size() / 2), static_cast<double>(decoder->lengthFrames()),
                0.02 * 44100);
    const std::vector<float> left = channelOf(pcm, 2, 0);
    const std::vector<float> middle(left.begin() + 4410, left.end() - 4410);
    EXPECT_GT(rms(middle), 0.02);
    const double expected = moduleToneFrequency(GetParam().kind);
    EXPECT_NEAR(zeroCrossingFrequency(middle, 44100), expected, expected * 0.01);
}

// The module plays once per pass; seeking to 0 plays it again (the engine's loop).
TEST_P(ModuleTest, SeekToStartPlaysAgain) {
    auto decoder = engine::openMusicDecoder(path, engine::kMusicRamp | engine::kSampleLoop);
    ASSERT_NE(decoder, nullptr);
    const std::size_t first = decodeAll(*decoder).size();
    std::vector<float> block(256 * 2);
    EXPECT_EQ(decoder->read(block.data(), 256), 0u);
    ASSERT_TRUE(decoder->seek(0));
    EXPECT_EQ(decodeAll(*decoder).size(), first);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ModuleTest,
                         ::testing::Values(ModuleCase{ModuleKind::Mod, engine::kCtypeMusicMod},
                                           ModuleCase{ModuleKind::Xm, engine::kCtypeMusicXm},
                                           ModuleCase{ModuleKind::S3m, engine::kCtypeMusicS3m},
                                           ModuleCase{ModuleKind::It, engine::kCtypeMusicIt}),
                         [](const ::testing::TestParamInfo<ModuleCase>& info) {
                             return moduleExtension(info.param.kind);
                         });

// A module cut short or with a damaged header gives nullptr rather than a crash.
TEST(ModuleCorrupt, TruncatedAndDamagedModulesFail) {
    ScratchDir dir;
    for (ModuleKind kind : {ModuleKind::Mod, ModuleKind::Xm, ModuleKind::S3m, ModuleKind::It}) {
        SCOPED_TRACE(moduleExtension(kind));
        std::vector<char> bytes = makeModule(kind, "cut");
        bytes.resize(40);
        const std::string path = dir.file("cut." + moduleExtension(kind));
        writeFile(path, bytes);
        EXPECT_EQ(engine::openMusicDecoder(path, 0), nullptr);
    }
}

// A stream file is not a module.
TEST(ModuleCorrupt, StreamFileIsNotAModule) {
    EXPECT_EQ(engine::openMusicDecoder(fixturePath("sine1k.wav"), 0), nullptr);
}

class MidiTest : public ::testing::Test {
protected:
    void SetUp() override { writeFile(path, makeMidi()); }
    ScratchDir dir;
    std::string path = dir.file("flute.mid");
};

// With the MIDI add-on a MIDI file plays its note (A4 on a flute) through the General MIDI SoundFont,
// with its length known.
TEST_F(MidiTest, PlaysTheNote) {
    engine::FormatRegistry registry;
    ASSERT_TRUE(registry.loadPlugin(addonPath("bassmidi")));
    auto decoder = engine::openStreamDecoder(path, registry);
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->sampleRate(), 44100);
    EXPECT_EQ(decoder->channels(), 2);
    EXPECT_EQ(decoder->ctype(), engine::kCtypeStreamMidi);
    EXPECT_EQ(decoder->lengthFrames(), 44100);

    const std::vector<float> pcm = decodeAll(*decoder);
    EXPECT_EQ(pcm.size() / 2, 44100u);
    const std::vector<float> left = channelOf(pcm, 2, 0);
    const std::vector<float> held(left.begin() + 11025, left.begin() + 33075);
    const double a4 = toneAmplitude(held, 440, 44100);
    EXPECT_GT(a4, 0.01);
    EXPECT_GT(a4, 5 * toneAmplitude(held, 415.3, 44100)); // G#4
    EXPECT_GT(a4, 5 * toneAmplitude(held, 466.2, 44100)); // A#4

    ASSERT_TRUE(decoder->seek(0));
    EXPECT_EQ(decodeAll(*decoder).size(), pcm.size());
}

// A seek lands whether or not the synthesizer has rendered since the file opened or since the last
// seek: the pass then runs from the target to the end of the song.
TEST_F(MidiTest, SeeksLandBeforeAndAfterRendering) {
    engine::FormatRegistry registry;
    ASSERT_TRUE(registry.loadPlugin(addonPath("bassmidi")));
    auto decoder = engine::openStreamDecoder(path, registry);
    ASSERT_NE(decoder, nullptr);
    ASSERT_TRUE(decoder->seek(11025)); // nothing rendered yet
    ASSERT_TRUE(decoder->seek(22050)); // again, still nothing rendered
    EXPECT_EQ(decodeAll(*decoder).size() / 2, 44100u - 22050u);
    ASSERT_TRUE(decoder->seek(5000)); // after rendering
    std::vector<float> block(1000 * 2);
    ASSERT_EQ(decoder->read(block.data(), 1000), 1000u);
    ASSERT_TRUE(decoder->seek(30000)); // after rendering a little of the seeked pass
    EXPECT_EQ(decodeAll(*decoder).size() / 2, 44100u - 30000u);
}

// Without the MIDI add-on a MIDI file does not open.
TEST_F(MidiTest, FailsWithoutTheAddon) {
    EXPECT_EQ(engine::openStreamDecoder(path, engine::FormatRegistry{}), nullptr);
}

} // namespace
} // namespace orvu::test
