// Purpose: engine figures for bench/engine/run: offline decode speed, real-time playback cost and the
// latency of a control change.
#include "engine/engine.h"
#include "engine/sine_decoder.h"

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace orvu::engine;

namespace {

constexpr int rate = 44100;

void loadAddOns(Engine& engine) {
    for (const auto& entry : std::filesystem::directory_iterator(ORVU_PLUGIN_DIR))
        if (entry.path().extension() == ".so")
            engine.pluginLoad(entry.path().string(), 0);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Decodes and renders the whole file as fast as possible; prints wall seconds and speed.
int decode(const std::string& path) {
    Engine engine;
    engine.initManual(rate);
    engine.setConfig(kConfigBuffer, 1000);
    loadAddOns(engine);
    const Handle channel = engine.streamCreateFile(false, path, 0, 0, 0); // no loop: ends at the end
    if (channel == 0) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    const double seconds = engine.channelBytes2Seconds(channel, engine.channelGetLength(channel, kPosByte));
    std::vector<float> buffer(2 * 4096);
    const auto start = std::chrono::steady_clock::now();
    engine.channelPlay(channel, false);
    while (engine.channelIsActive(channel) != kActiveStopped)
        engine.render(buffer.data(), 4096);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("decode %s: %.2f s of audio in %.3f s wall = %.1f x real time, cpu %.3f s\n", path.c_str(),
                seconds, wall, seconds / wall, cpuSeconds());
    return 0;
}

// Plays the file through the default output (SDL's dummy driver in the benchmark) for `seconds`.
int play(const std::string& path, int seconds) {
    Engine engine;
    if (!engine.init(kDeviceDefault, rate, 0)) {
        std::fprintf(stderr, "no output device\n");
        return 1;
    }
    engine.setConfig(kConfigBuffer, 1000);
    loadAddOns(engine);
    const Handle channel = engine.streamCreateFile(false, path, 0, 0, kSampleLoop | kSampleFx);
    if (channel == 0) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    const double before = cpuSeconds();
    engine.channelPlay(channel, false);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double used = cpuSeconds() - before;
    std::printf("play %s for %d s: %.3f cpu s per audio minute, peak rss %ld KiB, engine cpu %.2f %%\n",
                path.c_str(), seconds, used * 60.0 / seconds, peakRssKiB(), engine.getCPU());
    return 0;
}

// Frames from a volume change to its first effect in the rendered output: two identical engines
// render the same sine, one gets the change, and the first frame where they differ is counted.
int latency() {
    constexpr std::size_t block = 1024;
    Engine reference, changed;
    std::vector<float> a(2 * block), b(2 * block);
    Handle channels[2] = {};
    Engine* engines[2] = {&reference, &changed};
    for (int i = 0; i < 2; ++i) {
        engines[i]->initManual(rate);
        channels[i] = engines[i]->streamCreateDecoder(
            orvu::test::makeSineDecoder({.lengthFrames = 10 * rate}), kSampleLoop, "sine");
        engines[i]->channelPlay(channels[i], false);
    }
    for (int i = 0; i < 20; ++i) {
        reference.render(a.data(), block);
        changed.render(b.data(), block);
    }
    changed.channelSetAttribute(channels[1], kAttribVol, 0.5f);
    std::size_t frames = 0;
    for (int i = 0; i < 20; ++i) {
        reference.render(a.data(), block);
        changed.render(b.data(), block);
        for (std::size_t n = 0; n < block; ++n, ++frames)
            if (a[2 * n] != b[2 * n]) {
                std::printf("latency: a volume change is heard after %zu frames (device buffer %zu frames)\n",
                            frames, block);
                return 0;
            }
    }
    std::printf("latency: a volume change was not heard within %zu frames\n", frames);
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc >= 3 && std::strcmp(argv[1], "decode") == 0)
        return decode(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "play") == 0)
        return play(argv[2], std::atoi(argv[3]));
    if (argc >= 2 && std::strcmp(argv[1], "latency") == 0)
        return latency();
    std::fprintf(stderr, "usage: engine_bench decode FILE | play FILE SECONDS | latency\n");
    return 2;
}
