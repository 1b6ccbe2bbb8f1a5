// Purpose: writes the malformed-audio corpus into a directory for the end-to-end run, one line per
// file on standard output: its path, a tab, and how it was damaged.
#include "hardening/malformed_corpus.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out / "seeds");
    std::filesystem::create_directories(out / "corpus");
    for (const auto& entry : orvu::test::makeMalformedCorpus(
             orvu::test::corpusSeedFiles(ORVU_FIXTURE_DIR, out / "seeds"), out / "corpus"))
        std::printf("%s\t%s\n", entry.path.c_str(), entry.how.c_str());
    return 0;
}
