// Purpose: the engine's side of bench/playback/position: plays a file through the default output and
// prints the heard position beside the steady clock every 20 ms, with an optional seek, for the script
// to compare with the clock.
#include "engine/engine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

using namespace orvu::engine;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point origin) {
    return std::chrono::duration<double>(Clock::now() - origin).count();
}

} // namespace

// Prints "t position" lines (seconds; t from the play call, position as channelGetPosition reports it,
// -1 on failure) every 20 ms for `seconds`; once the position has moved for `seekAfter` seconds, seeks
// to `seekTo` and prints "seek t target". A negative `seekAfter` means no seek. The output is the
// default device, or with "nosound" the engine's own real-time clock, which tells the engine's position
// keeping apart from the pacing of the device (SDL's dummy and disk drivers sleep a whole number of
// milliseconds after each callback, so their pace is off the clock's, the more so on a busy machine).
int main(int argc, char** argv) {
    if (argc != 5 && !(argc == 6 && std::string(argv[5]) == "nosound")) {
        std::fprintf(stderr, "usage: position_bench FILE SECONDS SEEK_AFTER SEEK_TO [nosound]\n");
        return 2;
    }
    const std::string path = argv[1];
    const double seconds = std::atof(argv[2]);
    const double seekAfter = std::atof(argv[3]);
    const double seekTo = std::atof(argv[4]);

    Engine engine;
    if (!engine.init(argc == 6 ? kDeviceNoSound : kDeviceDefault, 44100, 0)) {
        std::fprintf(stderr, "no output device\n");
        return 1;
    }
    for (const auto& entry : std::filesystem::directory_iterator(ORVU_PLUGIN_DIR))
        if (entry.path().extension() == ".so")
            engine.pluginLoad(entry.path().string(), 0);
    const Handle channel = engine.streamCreateFile(false, path, 0, 0, 0);
    if (channel == 0) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }

    const auto origin = Clock::now();
    engine.channelPlay(channel, false);
    auto next = origin;
    double movedAt = -1.0;
    bool sought = seekAfter < 0.0;
    while (secondsSince(origin) < seconds) {
        const std::int64_t bytes = engine.channelGetPosition(channel, kPosByte);
        const double t = secondsSince(origin);
        const double position = bytes < 0 ? -1.0 : engine.channelBytes2Seconds(channel, bytes);
        std::printf("%.6f %.6f\n", t, position);
        if (movedAt < 0.0 && position > 0.0)
            movedAt = t;
        if (!sought && movedAt >= 0.0 && t - movedAt >= seekAfter) {
            const double at = secondsSince(origin);
            engine.channelSetPosition(channel, engine.channelSeconds2Bytes(channel, seekTo), kPosByte);
            std::printf("seek %.6f %.6f\n", at, seekTo);
            sought = true;
        }
        next += std::chrono::milliseconds(20);
        std::this_thread::sleep_until(next);
    }
    return 0;
}
