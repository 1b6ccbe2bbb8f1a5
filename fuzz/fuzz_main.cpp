// Purpose: the libFuzzer entry of one harness, chosen at build time by ORVU_FUZZ_HARNESS.
#include "harness.h"

#include <cstdio>
#include <cstdlib>

namespace orvu::fuzz {

void contractBroken(const std::string& what) {
    std::fprintf(stderr, "contract broken: %s\n", what.c_str());
    std::abort();
}

} // namespace orvu::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvu::fuzz::ORVU_FUZZ_HARNESS(data, size);
    return 0;
}
