// Purpose: writes the engine harness's seed inputs into a directory: make_engine_seeds FIXTURE_DIR OUT_DIR.
#include "engine_seeds.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FIXTURE_DIR OUT_DIR\n", argv[0]);
        return 2;
    }
    for (const auto& [name, input] : orvu::fuzz::engineSeeds(argv[1])) {
        std::ofstream out(std::string(argv[2]) + "/" + name, std::ios::binary | std::ios::trunc);
        out.write(input.data(), static_cast<std::streamsize>(input.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
