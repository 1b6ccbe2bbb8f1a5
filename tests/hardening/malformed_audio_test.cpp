// Purpose: every file of a malformed-audio corpus goes through the engine the way the player opens it,
// and what opens plays for a while: nothing crashes, hangs or leaks.
#include "engine/engine.h"
#include "hardening/malformed_corpus.h"
#include "support/module_writer.h"
#include "support/signal.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <thread>

using namespace orvu::engine;
namespace fs = std::filesystem;

namespace {

constexpr int rate = 44100;

// Ends the process, naming the step, when one step outlives its limit: a hang fails the run at once
// instead of stalling it until the test runner's own time-out, and says where it hung.
class Watchdog {
public:
    Watchdog()
        : thread_([this] { watch(); }) {}
    ~Watchdog() {
        {
            const std::scoped_lock lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    void arm(std::string step, std::chrono::seconds limit) {
        {
            const std::scoped_lock lock(mutex_);
            step_ = std::move(step);
            deadline_ = std::chrono::steady_clock::now() + limit;
            armed_ = true;
        }
        changed_.notify_all();
    }
    void disarm() {
        const std::scoped_lock lock(mutex_);
        armed_ = false;
    }

private:
    void watch() {
        std::unique_lock lock(mutex_);
        while (!quit_) {
            if (!armed_) {
                changed_.wait(lock);
            } else if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ &&
                       std::chrono::steady_clock::now() >= deadline_) {
                std::fprintf(stderr, "hung: %s\n", step_.c_str());
                std::_Exit(3);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string step_;
    std::chrono::steady_clock::time_point deadline_;
    bool armed_ = false;
    bool quit_ = false;
    std::thread thread_;
};

// The run's size from the environment: ORVU_CORPUS_PLAY_MS, the milliseconds each file that opens is
// played (100 unless set), and ORVU_CORPUS_STRIDE, every how-manieth file of the corpus is taken (10
// unless set, each run the same files). A thorough run: ORVU_CORPUS_STRIDE=1 ORVU_CORPUS_PLAY_MS=10000.
int fromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text ? std::max(0, std::atoi(text)) : fallback;
}

// A 32-bit float WAV (44.1 kHz stereo) of the given samples.
std::vector<char> floatWav(const std::vector<float>& samples) {
    const auto le = [](std::vector<char>& out, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<char>(value >> (8 * i)));
    };
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 4);
    std::vector<char> out{'R', 'I', 'F', 'F'};
    le(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le(out, 16, 4);
    le(out, 3, 2); // IEEE float
    le(out, 2, 2);
    le(out, rate, 4);
    le(out, rate * 8, 4);
    le(out, 8, 2);
    le(out, 32, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    le(out, dataBytes, 4);
    for (const float sample : samples) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &sample, 4);
        le(out, bits, 4);
    }
    return out;
}

} // namespace

// Each file either fails to open (handle 0, within the open time limit) or opens and plays: its
// length and tags can be asked for, it renders finite samples, seeks, plays on and is freed. A hang in
// any step ends the run naming the file; leaks show at exit under AddressSanitizer.
TEST(MalformedAudio, EveryFileFailsCleanlyOrPlays) {
    const fs::path scratch = fs::temp_directory_path() / ("orvu-corpus-" + std::to_string(::getpid()));
    fs::create_directories(scratch / "corpus");
    const std::vector<orvu::test::CorpusEntry> corpus = orvu::test::makeMalformedCorpus(
        orvu::test::corpusSeedFiles(ORVU_FIXTURE_DIR, scratch), scratch / "corpus");

    Engine engine;
    ASSERT_TRUE(engine.initManual(rate));
    engine.setConfig(kConfigBuffer, 1000);
    for (const auto& entry : fs::directory_iterator(ORVU_PLUGIN_DIR)) {
        if (entry.path().extension() == ".so") {
            ASSERT_NE(engine.pluginLoad(entry.path().string(), 0), 0u) << entry.path();
        }
    }

    Watchdog watchdog;
    // Generous for a sanitizer build on a busy machine; a hang is far past it.
    constexpr std::chrono::seconds limit{60};
    const std::size_t frames =
        static_cast<std::size_t>(fromEnvironment("ORVU_CORPUS_PLAY_MS", 100)) * rate / 1000;
    const auto stride = static_cast<std::size_t>(std::max(1, fromEnvironment("ORVU_CORPUS_STRIDE", 10)));
    std::vector<float> block(2 * 1024);
    int opened = 0;
    int tried = 0;
    for (std::size_t index = 0; index < corpus.size(); index += stride) {
        const orvu::test::CorpusEntry& file = corpus[index];
        ++tried;
        SCOPED_TRACE(file.how);
        watchdog.arm("opening " + file.how, limit);
        Handle h = engine.streamCreateFile(false, file.path, 0, 0, kSampleLoop | kSampleFx);
        const bool music = h == 0;
        if (music)
            h = engine.musicLoad(false, file.path, 0, 0, kMusicRamp | kSampleFx | kSampleLoop, 1);
        watchdog.disarm();
        if (h == 0)
            continue;
        ++opened;
        watchdog.arm("playing " + file.how, limit);
        const std::int64_t length = engine.channelGetLength(h, kPosByte);
        engine.tagsRead(h, "%ARTI - %TITL");
        ASSERT_TRUE(engine.channelPlay(h, false));
        for (std::size_t done = 0; done < frames; done += 1024) {
            if (done == frames / 2 && length > 0) // a seek to the middle, then on to the end of the play
                engine.channelSetPosition(h, static_cast<std::uint64_t>(length / 2) & ~std::uint64_t{3},
                                          kPosByte);
            engine.render(block.data(), 1024);
        }
        EXPECT_TRUE(music ? engine.musicFree(h) : engine.streamFree(h));
        watchdog.disarm();
    }
    std::printf("corpus: %zu files, %d tried, %d opened and played, %d refused\n", corpus.size(), tried,
                opened, tried - opened);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
}

// A float file's NaN and infinite samples (damaged float WAV and WavPack files of the corpus carry
// them) are not heard as such: the output stays finite, so neither the device nor an effect's
// feedback state is poisoned.
TEST(MalformedAudio, NonFiniteSamplesAreNotHeard) {
    const fs::path file = fs::temp_directory_path() / ("orvu-nan-" + std::to_string(::getpid()) + ".wav");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> samples(2 * 4096, 0.25f);
    samples[100] = nan;
    samples[201] = inf;
    samples[302] = -inf;
    orvu::test::writeFile(file.string(), floatWav(samples));
    Engine engine;
    ASSERT_TRUE(engine.initManual(rate));
    const Handle h = engine.streamCreateFile(false, file.string(), 0, 0, kSampleFx);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(engine.channelPlay(h, false));
    std::vector<float> block(2 * 4096);
    engine.render(block.data(), 4096);
    for (std::size_t i = 0; i < block.size(); ++i)
        ASSERT_TRUE(std::isfinite(block[i])) << "sample " << i;
    engine.streamFree(h);
    fs::remove(file);
}
