// Purpose: shared helpers of the format tests: a registry with every add-on, a scratch directory,
// decoding a whole pass, and the bytes the process has read.
#pragma once

#include "engine/decoder.h"
#include "engine/formats/formats.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orvu::test {

// Every add-on the build makes, by file name without the suffix.
inline const std::vector<std::string> kAddonNames = {
    "bass_aac", "bass_ac3", "bass_adx", "bass_aix", "bass_alac", "bass_ape", "bass_mpc", "bass_ofr",
    "bass_spx", "bass_tta", "bassflac", "bassmidi", "bassopus",  "basswv",   "basswma"};

inline std::string addonPath(const std::string& name) {
    return std::string(ORVU_PLUGIN_DIR) + "/" + name + ".so";
}

// A registry with every add-on loaded, as the player has after start-up.
inline engine::FormatRegistry registryWithAllAddons() {
    engine::FormatRegistry registry;
    for (const auto& name : kAddonNames)
        EXPECT_TRUE(registry.loadPlugin(addonPath(name))) << name;
    return registry;
}

// Decodes until the decoder ends its pass (or maxFrames), in uneven chunks so block edges get exercised.
inline std::vector<float> decodeAll(engine::Decoder& decoder, std::size_t maxFrames = 10u * 48000u) {
    std::vector<float> out;
    const auto channels = static_cast<std::size_t>(decoder.channels());
    std::vector<float> block(4099 * channels);
    std::size_t frames = 0;
    while (frames < maxFrames) {
        const std::size_t n = decoder.read(block.data(), 4099);
        if (n == 0)
            break;
        out.insert(out.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n * channels));
        frames += n;
    }
    return out;
}

// Bytes this process has read so far (read and pread alike).
inline std::uint64_t bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return 0;
}

// A directory of its own for the files a test writes, removed afterwards.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvu-formats-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

} // namespace orvu::test
