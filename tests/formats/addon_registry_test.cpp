// Purpose: tests of the format registry: the core families, the add-on loading rules, and snapshots.
#include "engine/formats/formats.h"
#include "formats/format_test_support.h"
#include "support/signal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvu::test {
namespace {

using engine::FormatRegistry;

// A fresh registry opens the core families and none of the add-on families.
TEST(FormatRegistry, StartsWithTheCoreFamiliesOnly) {
    const FormatRegistry registry;
    for (const char* family : {"mp3", "mp2", "mp1", "vorbis", "wav", "aiff"})
        EXPECT_TRUE(registry.hasFamily(family)) << family;
    for (const char* family : {"aac", "ac3", "adx", "aix", "alac", "ape", "mpc", "ofr", "speex", "tta",
                               "flac", "midi", "opus", "wavpack", "wma"})
        EXPECT_FALSE(registry.hasFamily(family)) << family;
    EXPECT_TRUE(registry.pluginNames().empty());
}

struct AddonCase {
    const char* addon;
    std::vector<const char*> families;
};

std::ostream& operator<<(std::ostream& os, const AddonCase& c) {
    return os << c.addon;
}

class AddonFamilies : public ::testing::TestWithParam<AddonCase> {};

// Each add-on enables exactly the families it is named for.
TEST_P(AddonFamilies, EnablesItsFamilies) {
    FormatRegistry registry;
    ASSERT_TRUE(registry.loadPlugin(addonPath(GetParam().addon)));
    for (const char* family : GetParam().families)
        EXPECT_TRUE(registry.hasFamily(family)) << family;
    EXPECT_EQ(registry.pluginNames(), std::vector<std::string>{GetParam().addon});
}

INSTANTIATE_TEST_SUITE_P(Addons, AddonFamilies,
                         ::testing::Values(AddonCase{"bass_aac", {"aac"}}, AddonCase{"bass_ac3", {"ac3"}},
                                           AddonCase{"bass_adx", {"adx"}}, AddonCase{"bass_aix", {"aix"}},
                                           AddonCase{"bass_alac", {"alac"}}, AddonCase{"bass_ape", {"ape"}},
                                           AddonCase{"bass_mpc", {"mpc"}}, AddonCase{"bass_ofr", {"ofr"}},
                                           AddonCase{"bass_spx", {"speex"}}, AddonCase{"bass_tta", {"tta"}},
                                           AddonCase{"bassflac", {"flac"}}, AddonCase{"bassmidi", {"midi"}},
                                           AddonCase{"bassopus", {"opus"}}, AddonCase{"basswv", {"wavpack"}},
                                           AddonCase{"basswma", {"wma"}}),
                         [](const ::testing::TestParamInfo<AddonCase>& info) {
                             return std::string(info.param.addon);
                         });

class AddonLoading : public ::testing::Test {
protected:
    ScratchDir dir;
    FormatRegistry registry;
};

// Loading the same add-on twice fails the second time and leaves the first in place.
TEST_F(AddonLoading, SameFileTwiceFails) {
    ASSERT_TRUE(registry.loadPlugin(addonPath("bassflac")));
    EXPECT_FALSE(registry.loadPlugin(addonPath("bassflac")));
    EXPECT_TRUE(registry.hasFamily("flac"));
    EXPECT_EQ(registry.pluginNames().size(), 1u);
}

// A copy of a loaded add-on under another name is the same add-on and fails too.
TEST_F(AddonLoading, CopyOfLoadedAddonFails) {
    ASSERT_TRUE(registry.loadPlugin(addonPath("bassflac")));
    const std::string copy = dir.file("copy.so");
    std::filesystem::copy_file(addonPath("bassflac"), copy);
    EXPECT_FALSE(registry.loadPlugin(copy));
}

// Files that are not ORVU add-ons are refused: missing, a directory, text, and a real shared library
// without the entry point.
TEST_F(AddonLoading, NonAddonsFail) {
    std::ofstream(dir.file("text.so")) << "not a shared library\n";
    EXPECT_FALSE(registry.loadPlugin(dir.file("missing.so")));
    EXPECT_FALSE(registry.loadPlugin(ORVU_PLUGIN_DIR));
    EXPECT_FALSE(registry.loadPlugin(dir.file("text.so")));
    EXPECT_FALSE(registry.loadPlugin("libm.so.6"));
    EXPECT_TRUE(registry.pluginNames().empty());
}

// A copy of the registry is a snapshot: loading into the original later does not change the copy.
TEST_F(AddonLoading, CopiesAreSnapshots) {
    const FormatRegistry before = registry;
    ASSERT_TRUE(registry.loadPlugin(addonPath("bassopus")));
    EXPECT_TRUE(registry.hasFamily("opus"));
    EXPECT_FALSE(before.hasFamily("opus"));
    EXPECT_EQ(engine::openStreamDecoder(fixturePath("sine1k.opus"), before), nullptr);
    const FormatRegistry after = registry;
    EXPECT_NE(engine::openStreamDecoder(fixturePath("sine1k.opus"), after), nullptr);
}

// A decoder opened by an add-on keeps working after every registry holding the add-on is gone.
TEST_F(AddonLoading, DecoderOutlivesItsRegistry) {
    std::unique_ptr<engine::Decoder> decoder;
    {
        FormatRegistry scoped;
        ASSERT_TRUE(scoped.loadPlugin(addonPath("bassflac")));
        decoder = engine::openStreamDecoder(fixturePath("sine1k.flac"), scoped);
    }
    ASSERT_NE(decoder, nullptr);
    EXPECT_GT(rms(decodeAll(*decoder)), 0.3);
}

// The OptimFROG add-on declares its family, but nothing decodes it, so such a file fails honestly.
TEST_F(AddonLoading, OptimFrogFailsToOpen) {
    ASSERT_TRUE(registry.loadPlugin(addonPath("bass_ofr")));
    std::string bytes = "OFR ";
    bytes.resize(4096, '\x11');
    std::ofstream(dir.file("song.ofr"), std::ios::binary) << bytes;
    EXPECT_EQ(engine::openStreamDecoder(dir.file("song.ofr"), registry), nullptr);
}

} // namespace
} // namespace orvu::test
