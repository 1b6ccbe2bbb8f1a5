// Purpose: tests of stream decoding: every family's fixture decodes to its signal, seeking is exact,
// channel order holds, and bad input fails promptly.
#include "engine/engine_types.h"
#include "engine/formats/formats.h"
#include "formats/format_test_support.h"
#include "support/signal.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace orvu::test {
namespace {

using engine::Decoder;
using engine::FormatRegistry;

struct FamilyCase {
    const char* file;
    const char* addon; // nullptr for a core family
    std::uint32_t ctype;
    int rate;
    int channels;
    double frequency;
    std::int64_t lengthSlack; // frames the container's length may differ from what decodes
};

std::ostream& operator<<(std::ostream& os, const FamilyCase& c) {
    return os << c.file;
}

// The fixtures are 2 s of a 0.5-amplitude sine (1 kHz; Speex 500 Hz at 16 kHz mono).
const FamilyCase kFamilies[] = {
    {"sine1k.mp3", nullptr, engine::kCtypeStreamMp3, 44100, 2, 1000, 1152},
    {"sine1k.mp2", nullptr, engine::kCtypeStreamMp2, 44100, 2, 1000, 1152},
    {"sine1k.ogg", nullptr, engine::kCtypeStreamVorbis, 44100, 2, 1000, 0},
    {"sine1k.wav", nullptr, engine::kCtypeStreamWavPcm, 44100, 2, 1000, 0},
    {"sine1k_float.wav", nullptr, engine::kCtypeStreamWavFloat, 44100, 2, 1000, 0},
    {"sine1k.aiff", nullptr, engine::kCtypeStreamAiff, 44100, 2, 1000, 0},
    {"sine1k.m4a", "bass_aac", engine::kCtypeStreamMp4, 44100, 2, 1000, 1024},
    {"sine1k.ac3", "bass_ac3", engine::kCtypeStreamAc3, 44100, 2, 1000, 1536},
    {"sine1k.adx", "bass_adx", engine::kCtypeStreamAdx, 44100, 2, 1000, 32},
    {"sine1k_alac.m4a", "bass_alac", engine::kCtypeStreamAlac, 44100, 2, 1000, 0},
    {"sine1k.flac", "bassflac", engine::kCtypeStreamFlac, 44100, 2, 1000, 0},
    {"sine1k.opus", "bassopus", engine::kCtypeStreamOpus, 48000, 2, 1000, 0},
    {"sine1k.wv", "basswv", engine::kCtypeStreamWavPack, 44100, 2, 1000, 0},
    {"sine1k.wma", "basswma", engine::kCtypeStreamWma, 44100, 2, 1000, 2048},
    {"sine1k.tta", "bass_tta", engine::kCtypeStreamTta, 44100, 2, 1000, 0},
    {"sine500.spx", "bass_spx", engine::kCtypeStreamSpeex, 16000, 1, 500, 320},
    {"sine1k.mpc", "bass_mpc", engine::kCtypeStreamMpc, 44100, 2, 1000, 1152},
};

class FamilyTest : public ::testing::TestWithParam<FamilyCase> {
protected:
    static void SetUpTestSuite() { all_ = new FormatRegistry(registryWithAllAddons()); }
    static void TearDownTestSuite() {
        delete all_;
        all_ = nullptr;
    }
    void SetUp() override {
        if (!std::filesystem::exists(fixturePath(GetParam().file)))
            GTEST_SKIP() << GetParam().file << " was not made (its encoder is not installed)";
    }
    static FormatRegistry* all_;
};
FormatRegistry* FamilyTest::all_ = nullptr;

// Each family's fixture opens with its add-on loaded and decodes to the encoded tone: format, length,
// pitch and level.
TEST_P(FamilyTest, DecodesTheEncodedTone) {
    const FamilyCase& c = GetParam();
    auto decoder = engine::openStreamDecoder(fixturePath(c.file), *all_);
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->sampleRate(), c.rate);
    EXPECT_EQ(decoder->channels(), c.channels);
    EXPECT_EQ(decoder->ctype(), c.ctype);

    const std::vector<float> pcm = decodeAll(*decoder);
    const auto frames = static_cast<std::int64_t>(pcm.size()) / c.channels;
    EXPECT_NEAR(static_cast<double>(frames), 2.0 * c.rate, 0.03 * c.rate) << "decoded length";
    EXPECT_NEAR(static_cast<double>(decoder->lengthFrames()), static_cast<double>(frames),
                static_cast<double>(c.lengthSlack))
        << "container length against decoded length";

    // Measure away from the start and end, where codecs fade in or pad.
    for (int ch = 0; ch < c.channels; ++ch) {
        std::vector<float> samples = channelOf(pcm, c.channels, ch);
        const auto from = static_cast<std::ptrdiff_t>(c.rate / 4);
        const auto to = static_cast<std::ptrdiff_t>(samples.size()) - from;
        ASSERT_GT(to, from);
        const std::vector<float> middle(samples.begin() + from, samples.begin() + to);
        EXPECT_NEAR(toneAmplitude(middle, c.frequency, c.rate), 0.5, 0.05) << "channel " << ch;
        EXPECT_NEAR(zeroCrossingFrequency(middle, c.rate), c.frequency, c.frequency * 0.005)
            << "channel " << ch;
    }
}

// A core family opens with no add-on; an add-on family does not open without its add-on, even
// though FFmpeg could decode it.
TEST_P(FamilyTest, OpensOnlyWithItsAddon) {
    const FamilyCase& c = GetParam();
    FormatRegistry core;
    if (!c.addon) {
        EXPECT_NE(engine::openStreamDecoder(fixturePath(c.file), core), nullptr);
        return;
    }
    EXPECT_EQ(engine::openStreamDecoder(fixturePath(c.file), core), nullptr);
    FormatRegistry withAddon;
    ASSERT_TRUE(withAddon.loadPlugin(addonPath(c.addon)));
    EXPECT_NE(engine::openStreamDecoder(fixturePath(c.file), withAddon), nullptr);
}

// After reading to the end, seeking to frame 0 starts the same pass again (how the engine loops).
TEST_P(FamilyTest, SeekToStartReplaysThePass) {
    const FamilyCase& c = GetParam();
    auto decoder = engine::openStreamDecoder(fixturePath(c.file), *all_);
    ASSERT_NE(decoder, nullptr);
    const std::vector<float> first = decodeAll(*decoder);
    ASSERT_TRUE(decoder->seek(0));
    const std::vector<float> second = decodeAll(*decoder);
    ASSERT_EQ(second.size(), first.size());
    double worst = 0.0;
    for (std::size_t i = 0; i < first.size(); ++i)
        worst = std::max(worst, std::fabs(static_cast<double>(first[i]) - second[i]));
    EXPECT_LT(worst, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyTest, ::testing::ValuesIn(kFamilies),
                         [](const ::testing::TestParamInfo<FamilyCase>& info) {
                             std::string name = info.param.file;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

struct SeekCase {
    const char* file;
    double tolerance; // largest sample difference from a straight decode
};

std::ostream& operator<<(std::ostream& os, const SeekCase& c) {
    return os << c.file;
}

class SeekTest : public ::testing::TestWithParam<SeekCase> {};

// Seeking to a frame lands exactly there: what follows matches a straight decode from that frame.
TEST_P(SeekTest, LandsOnTheFrame) {
    const SeekCase& c = GetParam();
    const FormatRegistry registry = registryWithAllAddons();
    auto decoder = engine::openStreamDecoder(fixturePath(c.file), registry);
    ASSERT_NE(decoder, nullptr);
    const int channels = decoder->channels();
    const std::vector<float> reference = decodeAll(*decoder);
    // Some codecs decode padding past the container's length; seeks stay within the length.
    std::int64_t total = static_cast<std::int64_t>(reference.size()) / channels;
    if (decoder->lengthFrames() >= 0)
        total = std::min(total, decoder->lengthFrames());
    for (const std::int64_t target :
         {std::int64_t{12345}, std::int64_t{44100 + 7}, std::int64_t{3}, total - 500}) {
        ASSERT_TRUE(decoder->seek(target)) << "frame " << target;
        std::vector<float> got(500 * static_cast<std::size_t>(channels));
        ASSERT_EQ(decoder->read(got.data(), 500), 500u) << "frame " << target;
        double worst = 0.0;
        for (std::size_t i = 0; i < got.size(); ++i)
            worst = std::max(worst, std::fabs(static_cast<double>(got[i]) -
                                              reference[target * channels + static_cast<std::int64_t>(i)]));
        EXPECT_LE(worst, c.tolerance) << "frame " << target;
    }
    // Past the end is refused; the end itself is allowed and reads nothing.
    if (decoder->lengthFrames() >= 0) {
        EXPECT_FALSE(decoder->seek(decoder->lengthFrames() + 1));
        EXPECT_FALSE(decoder->seek(-1));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, SeekTest,
                         ::testing::Values(SeekCase{"sine1k.wav", 0.0}, SeekCase{"sine1k.aiff", 0.0},
                                           SeekCase{"sine1k.flac", 0.0}, SeekCase{"sine1k.wv", 0.0},
                                           SeekCase{"sine1k.mp3", 1e-3}, SeekCase{"sine1k.ogg", 1e-3},
                                           SeekCase{"sine1k.m4a", 1e-3}, SeekCase{"sine1k.opus", 1e-3}),
                         [](const ::testing::TestParamInfo<SeekCase>& info) {
                             std::string name = info.param.file;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

// Channels come out in the file's order: a 1 kHz left and 2 kHz right stay on their sides, through a
// plain, a Vorbis and an AAC decoder.
TEST(ChannelOrder, LeftAndRightStayApart) {
    const FormatRegistry registry = registryWithAllAddons();
    for (const char* file : {"left1k_right2k.wav", "left1k_right2k.ogg", "left1k_right2k.m4a"}) {
        SCOPED_TRACE(file);
        auto decoder = engine::openStreamDecoder(fixturePath(file), registry);
        ASSERT_NE(decoder, nullptr);
        ASSERT_EQ(decoder->channels(), 2);
        const std::vector<float> pcm = decodeAll(*decoder);
        EXPECT_NEAR(zeroCrossingFrequency(channelOf(pcm, 2, 0), 44100), 1000, 5);
        EXPECT_NEAR(zeroCrossingFrequency(channelOf(pcm, 2, 1), 44100), 2000, 10);
    }
}

// A six-channel file keeps all six channels, each with its own tone, in order, and names their speakers
// as the file does (5.1: front left, right and centre, LFE, back left and right).
TEST(ChannelOrder, SixChannelsKeepTheirOrder) {
    auto decoder = engine::openStreamDecoder(fixturePath("six_channels.wav"), FormatRegistry{});
    ASSERT_NE(decoder, nullptr);
    ASSERT_EQ(decoder->channels(), 6);
    EXPECT_EQ(decoder->channelLayout(), 0x3fu);
    const std::vector<float> pcm = decodeAll(*decoder);
    for (int ch = 0; ch < 6; ++ch)
        EXPECT_NEAR(toneAmplitude(channelOf(pcm, 6, ch), 500.0 * (ch + 1), 44100), 0.5, 0.01)
            << "channel " << ch;
}

// A file shorter than one decode block opens, knows its length and decodes it whole.
TEST(ShortFile, DecodesWhole) {
    for (const char* file : {"short.wav", "short.mp3"}) {
        SCOPED_TRACE(file);
        auto decoder = engine::openStreamDecoder(fixturePath(file), FormatRegistry{});
        ASSERT_NE(decoder, nullptr);
        const std::vector<float> pcm = decodeAll(*decoder);
        EXPECT_NEAR(static_cast<double>(pcm.size()) / 2, 0.3 * 44100, 0.03 * 44100);
        EXPECT_NEAR(static_cast<double>(decoder->lengthFrames()), static_cast<double>(pcm.size()) / 2, 1152);
        EXPECT_GT(rms(pcm), 0.3);
    }
}

struct BadInput {
    const char* name;
    // Makes the input in dir and returns its path.
    std::string (*make)(const ScratchDir& dir);
};

std::ostream& operator<<(std::ostream& os, const BadInput& c) {
    return os << c.name;
}

void writeText(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string firstBytesOf(const std::string& fixture, std::size_t count) {
    std::ifstream in(fixturePath(fixture), std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

const BadInput kBadInputs[] = {
    {"missing", [](const ScratchDir& d) { return d.file("missing.mp3"); }},
    {"directory",
     [](const ScratchDir& d) {
         std::filesystem::create_directory(d.file("dir.mp3"));
         return d.file("dir.mp3");
     }},
    {"zero_bytes",
     [](const ScratchDir& d) {
         writeText(d.file("empty.wav"), "");
         return d.file("empty.wav");
     }},
    {"truncated_mp3",
     [](const ScratchDir& d) {
         writeText(d.file("half.mp3"), firstBytesOf("sine1k.mp3", 20000));
         return d.file("half.mp3");
     }},
    {"truncated_wav_header",
     [](const ScratchDir& d) {
         writeText(d.file("header.wav"), firstBytesOf("sine1k.wav", 30));
         return d.file("header.wav");
     }},
    {"truncated_flac",
     [](const ScratchDir& d) {
         writeText(d.file("half.flac"), firstBytesOf("sine1k.flac", 5000));
         return d.file("half.flac");
     }},
    {"text_named_mp3",
     [](const ScratchDir& d) {
         std::string text;
         for (int i = 0; i < 200; ++i)
             text += "This is a plain text file, not audio at all.\n";
         writeText(d.file("notes.mp3"), text);
         return d.file("notes.mp3");
     }},
    {"random_bytes_named_ogg",
     [](const ScratchDir& d) {
         std::mt19937 random(1234);
         std::string bytes(64 * 1024, '\0');
         for (char& b : bytes)
             b = static_cast<char>(random());
         writeText(d.file("noise.ogg"), bytes);
         return d.file("noise.ogg");
     }},
    {"playlist_named_mp3",
     [](const ScratchDir& d) {
         // An HLS playlist that points at another file: it must not be followed.
         writeText(d.file("list.mp3"), "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n" +
                                           fixturePath("sine1k.mp3") + "\n#EXT-X-ENDLIST\n");
         return d.file("list.mp3");
     }},
    {"fifo_named_wav",
     [](const ScratchDir& d) {
         ::mkfifo(d.file("pipe.wav").c_str(), 0600);
         return d.file("pipe.wav");
     }},
};

class BadInputTest : public ::testing::TestWithParam<BadInput> {};

// Bad input fails promptly without blocking: the open gives nullptr, or a decoder that decodes what
// there is and ends its pass; a module open of the same input gives nullptr.
TEST_P(BadInputTest, FailsPromptly) {
    ScratchDir dir;
    const std::string path = GetParam().make(dir);
    const FormatRegistry registry = registryWithAllAddons();
    const auto start = std::chrono::steady_clock::now();
    if (auto decoder = engine::openStreamDecoder(path, registry)) {
        const std::vector<float> pcm = decodeAll(*decoder);
        EXPECT_LE(pcm.size() / static_cast<std::size_t>(decoder->channels()), 2u * 44100u)
            << "more audio than the file holds";
    }
    EXPECT_EQ(engine::openMusicDecoder(path, 0), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

INSTANTIATE_TEST_SUITE_P(Inputs, BadInputTest, ::testing::ValuesIn(kBadInputs),
                         [](const ::testing::TestParamInfo<BadInput>& info) {
                             return std::string(info.param.name);
                         });

// Opening a long file reads its head and what FFmpeg probes, not the whole file: the add-ons that decode
// by themselves tell their files from the first bytes.
TEST(OpenCost, ALongFileIsNotReadWhole) {
    ScratchDir dir;
    const std::string path = dir.file("long.wav");
    constexpr std::uint32_t dataBytes = 12u << 20; // 71 s of 44.1 kHz stereo, within any add-on's size limit
    const auto le = [](std::uint32_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>(value >> (8 * i) & 0xffu);
        return out;
    };
    writeText(path, "RIFF" + le(36 + dataBytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(2, 2) +
                        le(44100, 4) + le(44100 * 4, 4) + le(4, 2) + le(16, 2) + "data" + le(dataBytes, 4));
    std::filesystem::resize_file(path, 44 + dataBytes); // silence
    const FormatRegistry registry = registryWithAllAddons();

    const std::uint64_t before = bytesReadSoFar();
    const auto decoder = engine::openStreamDecoder(path, registry);
    const std::uint64_t read = bytesReadSoFar() - before;
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->lengthFrames(), dataBytes / 4);
    EXPECT_LT(read, dataBytes / 8);
}

// Truncated audio decodes what it holds, then ends the pass instead of failing the whole file.
TEST(BadInput, TruncatedFileDecodesItsFirstPart) {
    ScratchDir dir;
    writeText(dir.file("half.mp3"), firstBytesOf("sine1k.mp3", 24000)); // about 1 s at 192 kbit/s
    auto decoder = engine::openStreamDecoder(dir.file("half.mp3"), FormatRegistry{});
    ASSERT_NE(decoder, nullptr);
    const std::vector<float> pcm = decodeAll(*decoder);
    EXPECT_NEAR(static_cast<double>(pcm.size()) / 2, 44100, 4410);
    EXPECT_NEAR(zeroCrossingFrequency(channelOf(pcm, 2, 0), 44100), 1000, 5);
}

} // namespace
} // namespace orvu::test
