// Purpose: the measurements of bench/seek/run: our decoder's audio after a seek, and the offset and
// residual of one decoded window against a reference window.
#include "engine/formats/formats.h"
#include "formats/window_alignment.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace orvu::engine;

namespace {

// Writes `frames` interleaved float frames decoded after a seek to `seconds` to `out`; prints the seek's
// wall time in milliseconds.
int seekAndDecode(const std::string& path, double seconds, std::size_t frames, const std::string& out) {
    FormatRegistry registry;
    for (const auto& entry : std::filesystem::directory_iterator(ORVU_PLUGIN_DIR))
        if (entry.path().extension() == ".so")
            registry.loadPlugin(entry.path().string());
    auto decoder = openStreamDecoder(path, registry);
    if (!decoder) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    const auto channels = static_cast<std::size_t>(decoder->channels());
    const auto start = std::chrono::steady_clock::now();
    if (!decoder->seek(std::llround(seconds * decoder->sampleRate()))) {
        std::fprintf(stderr, "cannot seek %s to %.3f s\n", path.c_str(), seconds);
        return 1;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::vector<float> pcm(frames * channels);
    std::size_t got = 0;
    while (got < frames) {
        const std::size_t n = decoder->read(pcm.data() + got * channels, frames - got);
        if (n == 0)
            break;
        got += n;
    }
    FILE* f = std::fopen(out.c_str(), "wb");
    if (!f)
        return 1;
    std::fwrite(pcm.data(), sizeof(float), got * channels, f);
    std::fclose(f);
    std::printf("%.2f\n", ms);
    return 0;
}

std::vector<float> readFloats(const std::string& path) {
    std::vector<float> v;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return v;
    float block[4096];
    std::size_t n = 0;
    while ((n = std::fread(block, sizeof(float), 4096, f)) > 0)
        v.insert(v.end(), block, block + n);
    std::fclose(f);
    return v;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "seek" && argc == 6)
        return seekAndDecode(argv[2], std::atof(argv[3]), std::strtoul(argv[4], nullptr, 10), argv[5]);
    if (mode == "compare" && argc == 5) {
        const auto a =
            orvu::test::alignWindows(readFloats(argv[3]), readFloats(argv[4]), std::atoi(argv[2]), 2048);
        std::printf("%ld %.5f %.5f\n", a.offset, a.correlation, a.residual);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: seek_probe seek FILE SECONDS FRAMES OUT.f32 | compare CHANNELS REF.f32 GOT.f32\n");
    return 2;
}
