// Purpose: tests of seek accuracy against ffmpeg's own decoding: each family lands on the very frame, an
// Ogg seek finds its page in a few reads however long the file, and pages that mislead do not misplace
// the audio.
#include "engine/formats/formats.h"
#include "engine/formats/ogg_seek.h"
#include "formats/format_test_support.h"
#include "formats/window_alignment.h"
#include "support/signal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace orvu::test {
namespace {

using engine::FormatRegistry;

// Frames of the compared window: 100 ms.
std::int64_t windowFrames(int rate) {
    return rate / 10;
}

// ffmpeg's decoding of `frames` frames from frame `start`, cut from its decoding of the whole file (the
// samples counted from the first, whatever the timestamps say). `before` and `after` add options before
// and after the input: with "-ss <seconds>" before it, ffmpeg seeks by itself instead.
std::vector<float> ffmpegWindow(const std::string& path, int channels, std::int64_t start,
                                std::int64_t frames, const std::string& before = {},
                                const std::string& after = {}) {
    std::string command =
        std::string(ORVU_FFMPEG_CLI) + " -nostdin -loglevel error " + before + " -i '" + path + "' " + after;
    if (before.empty())
        command += " -af atrim=start_sample=" + std::to_string(start) +
                   ":end_sample=" + std::to_string(start + frames);
    command += " -f f32le -ac " + std::to_string(channels) + " -";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return {};
    std::vector<float> window(static_cast<std::size_t>(frames * channels));
    window.resize(std::fread(window.data(), sizeof(float), window.size(), pipe));
    char rest[4096];
    while (std::fread(rest, 1, sizeof rest, pipe) > 0) {
    }
    ::pclose(pipe);
    return window;
}

// Our decoding of `frames` frames after a seek to frame `start`; empty when the seek fails.
std::vector<float> windowAfterSeek(engine::Decoder& decoder, std::int64_t start, std::int64_t frames) {
    if (!decoder.seek(start))
        return {};
    const auto channels = static_cast<std::size_t>(decoder.channels());
    std::vector<float> window(static_cast<std::size_t>(frames) * channels);
    std::size_t got = 0;
    while (got < static_cast<std::size_t>(frames)) {
        const std::size_t n =
            decoder.read(window.data() + got * channels, static_cast<std::size_t>(frames) - got);
        if (n == 0)
            break;
        got += n;
    }
    window.resize(got * channels);
    return window;
}

// Holds that `got` is `reference` to the frame: what differs between them, frame for frame, is the
// rounding of two decodes. When not, the message says where within ±2048 frames `got` fits best.
void expectSameWindow(const std::vector<float>& reference, const std::vector<float>& got, int channels) {
    ASSERT_FALSE(reference.empty());
    ASSERT_GE(got.size(), reference.size() / 2);
    const double residual = residualAt(reference, got, channels, 0);
    if (residual < 1e-3)
        return;
    const Alignment best = alignWindows(reference, got, channels, 2048);
    ADD_FAILURE() << "residual " << residual << " at the frame; the best fit is " << best.offset
                  << " frames later than ffmpeg's, residual " << best.residual;
}

class SeekAccuracyTest : public ::testing::TestWithParam<const char*> {};

// After a seek near the start, in the middle, in the last second, forward and back, the first 100 ms are
// what ffmpeg decodes at that frame of the whole file.
TEST_P(SeekAccuracyTest, FirstWindowIsFfmpegsAtThatFrame) {
    const std::string path = fixturePath(GetParam());
    const FormatRegistry registry = registryWithAllAddons();
    auto decoder = engine::openStreamDecoder(path, registry);
    ASSERT_NE(decoder, nullptr);
    const int rate = decoder->sampleRate();
    for (const double seconds : {9.876, 0.05, 19.95, 2.5, 19.6}) {
        SCOPED_TRACE(testing::Message() << seconds << " s");
        const std::int64_t start = std::llround(seconds * rate);
        const std::vector<float> got = windowAfterSeek(*decoder, start, windowFrames(rate));
        expectSameWindow(ffmpegWindow(path, decoder->channels(), start, windowFrames(rate)), got,
                         decoder->channels());
    }
}

INSTANTIATE_TEST_SUITE_P(Families, SeekAccuracyTest,
                         ::testing::Values("chirp.mp3", "chirp.ogg", "chirp.opus", "chirp.flac", "chirp.m4a",
                                           "chirp.wma", "chirp.wav"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

// A seek into an hour-long Opus file lands on the frame ffmpeg's own seek gives, and reads a few pages of
// the file rather than the hour before the target.
TEST(LongOggSeek, LandsExactlyAfterAFewReads) {
    const std::string path = fixturePath("long_63min.opus");
    const FormatRegistry registry = registryWithAllAddons();
    auto decoder = engine::openStreamDecoder(path, registry);
    ASSERT_NE(decoder, nullptr);
    ASSERT_EQ(decoder->sampleRate(), 48000);
    ASSERT_EQ(decoder->channels(), 1);
    for (const double seconds : {3600.0, 1800.25, 3779.5, 1.5}) {
        SCOPED_TRACE(testing::Message() << seconds << " s");
        const std::int64_t start = std::llround(seconds * 48000);
        const std::uint64_t before = bytesReadSoFar();
        const std::vector<float> got = windowAfterSeek(*decoder, start, windowFrames(48000));
        EXPECT_LT(bytesReadSoFar() - before, 256u * 1024u) << "a decode from the start reads megabytes";
        char ss[32];
        std::snprintf(ss, sizeof ss, "-ss %.3f", seconds);
        expectSameWindow(ffmpegWindow(path, 1, start, windowFrames(48000), ss, "-t 0.2"), got, 1);
    }
}

// In an Ogg file holding two logical streams, their pages interleaved, the seek follows the pages of the
// stream played (FFmpeg's choice: the mono one, the second) and lands on its frame.
TEST(OggSeek, FollowsThePlayedStreamAmongTwo) {
    const std::string path = fixturePath("two_streams.ogg");
    const FormatRegistry registry = registryWithAllAddons();
    auto decoder = engine::openStreamDecoder(path, registry);
    ASSERT_NE(decoder, nullptr);
    const int channels = decoder->channels();
    const std::string played = channels == 2 ? "-map 0:a:0" : "-map 0:a:1";
    for (const double seconds : {12.345, 4.5}) {
        SCOPED_TRACE(testing::Message() << seconds << " s");
        const std::int64_t start = std::llround(seconds * 44100);
        const std::vector<float> got = windowAfterSeek(*decoder, start, windowFrames(44100));
        expectSameWindow(ffmpegWindow(path, channels, start, windowFrames(44100), {}, played), got, channels);
    }
}

// A page whose granule position disagrees with the audio of its packets (a damaged or badly written
// file) is not trusted to place the audio: the seek still lands on the frame a straight decode has there.
TEST(OggSeek, PageWithAWrongGranuleDoesNotMisplaceTheAudio) {
    std::ifstream in(fixturePath("chirp.ogg"), std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    // The first page ending past 10 s claims to end 1000 frames later than it does.
    std::int64_t claimed = -1;
    for (std::size_t at = 0; at + 27 < bytes.size() && claimed < 0;) {
        ASSERT_EQ(std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                              bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4),
                  "OggS");
        std::size_t size = 27 + bytes[at + 26];
        for (std::size_t i = 0; i < bytes[at + 26]; ++i)
            size += bytes[at + 27 + i];
        std::int64_t granule = 0;
        for (int i = 7; i >= 0; --i)
            granule = granule << 8 | bytes[at + 6 + static_cast<std::size_t>(i)];
        if (granule > 10 * 44100) {
            claimed = granule + 1000;
            for (int i = 0; i < 8; ++i)
                bytes[at + 6 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(claimed >> (8 * i));
            const std::uint32_t crc = engine::formats::oggPageChecksum(bytes.data() + at, size);
            for (int i = 0; i < 4; ++i)
                bytes[at + 22 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (8 * i));
        }
        at += size;
    }
    ASSERT_GT(claimed, 0);
    ScratchDir dir;
    const std::string path = dir.file("wrong_granule.ogg");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    const FormatRegistry registry;
    auto decoder = engine::openStreamDecoder(path, registry);
    ASSERT_NE(decoder, nullptr);
    const std::vector<float> straight = decodeAll(*decoder);
    // Past the claimed end by more than a Vorbis block, so the seek lands with that page as its anchor.
    const std::int64_t start = claimed + 4096 + 100;
    ASSERT_LT((start + windowFrames(44100)) * 2, static_cast<std::int64_t>(straight.size()));
    const std::vector<float> got = windowAfterSeek(*decoder, start, windowFrames(44100));
    const std::vector<float> reference(straight.begin() + start * 2,
                                       straight.begin() + (start + windowFrames(44100)) * 2);
    expectSameWindow(reference, got, 2);
}

} // namespace
} // namespace orvu::test
