// Purpose: every fuzz harness over its seeds and over the inputs that fuzzing found faults with, so each
// fault stays fixed and each contract holds in the ordinary test build.
#include "fuzz/engine_seeds.h"
#include "fuzz/harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orvu::fuzz {

struct ContractBroken : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void contractBroken(const std::string& what) {
    throw ContractBroken(what);
}

// Test names and messages show the harness by its name.
void PrintTo(const NamedHarness& harness, std::ostream* out) {
    *out << harness.name;
}

} // namespace orvu::fuzz

namespace {

namespace fs = std::filesystem;
using orvu::fuzz::NamedHarness;

using Inputs = std::vector<std::pair<std::string, std::vector<char>>>;

// The files of a directory, by name; none when it does not exist.
void addFiles(Inputs& inputs, const fs::path& directory) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        inputs.emplace_back(entry.path().string(), std::vector<char>{std::istreambuf_iterator<char>(in),
                                                                     std::istreambuf_iterator<char>()});
    }
}

class FuzzReplay : public ::testing::TestWithParam<NamedHarness> {};

// The harness's seeds and the named regression inputs under tests/fixtures/fuzz keep the contract.
TEST_P(FuzzReplay, SeedsAndFoundInputsKeepTheContract) {
    const NamedHarness harness = GetParam();
    Inputs inputs;
    addFiles(inputs, fs::path(ORVU_FUZZ_SEED_DIR) / harness.name);
    addFiles(inputs, fs::path(ORVU_FUZZ_FINDING_DIR) / harness.name);
    if (std::string(harness.name) == "engine") {
        for (auto& seed : orvu::fuzz::engineSeeds(ORVU_FIXTURE_DIR))
            inputs.push_back(std::move(seed));
    }
    ASSERT_FALSE(inputs.empty());
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        try {
            harness.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
    }
    std::printf("%s: %zu inputs replayed\n", harness.name, inputs.size());
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzReplay, ::testing::ValuesIn(orvu::fuzz::harnesses),
                         [](const ::testing::TestParamInfo<NamedHarness>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
