// Purpose: the engine harness's seed inputs, made from the build's fixtures and written modules.
#include "engine_seeds.h"

#include "harness.h"
#include "support/module_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace orvu::fuzz {
namespace {

constexpr std::uintmax_t maxSeed = 128 * 1024;

// The input for a file: its extension's index in engineExtensions, then its bytes; empty when the
// harness does not know the extension.
std::vector<char> inputFor(const std::string& extension, const std::vector<char>& bytes) {
    const auto* found = std::find(std::begin(engineExtensions), std::end(engineExtensions), extension);
    if (found == std::end(engineExtensions))
        return {};
    std::vector<char> input{static_cast<char>(found - std::begin(engineExtensions))};
    input.insert(input.end(), bytes.begin(), bytes.end());
    return input;
}

} // namespace

std::vector<std::pair<std::string, std::vector<char>>> engineSeeds(const std::string& fixtureDir) {
    namespace fs = std::filesystem;
    std::vector<std::pair<std::string, std::vector<char>>> seeds;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fixtureDir, error)) {
        if (!entry.is_regular_file() || entry.file_size() > maxSeed)
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::string extension = entry.path().extension().string();
        if (!extension.empty())
            extension.erase(0, 1);
        if (std::vector<char> input = inputFor(extension, bytes); !input.empty())
            seeds.emplace_back(entry.path().filename().string(), std::move(input));
    }
    using test::ModuleKind;
    for (const ModuleKind kind : {ModuleKind::Mod, ModuleKind::Xm, ModuleKind::S3m, ModuleKind::It}) {
        const std::string extension = test::moduleExtension(kind);
        seeds.emplace_back("module." + extension, inputFor(extension, test::makeModule(kind, "seed")));
    }
    seeds.emplace_back("tune.mid", inputFor("mid", test::makeMidi()));
    std::sort(seeds.begin(), seeds.end());
    return seeds;
}

} // namespace orvu::fuzz
