// Purpose: placeholder until the decoders land.
#include "engine/formats/formats.h"

namespace orvu::engine {

struct FormatRegistry::State {};
FormatRegistry::FormatRegistry() = default;
FormatRegistry::~FormatRegistry() = default;
FormatRegistry::FormatRegistry(const FormatRegistry&) = default;
FormatRegistry& FormatRegistry::operator=(const FormatRegistry&) = default;
bool FormatRegistry::loadPlugin(const std::string&) {
    return false;
}
std::unique_ptr<Decoder> openStreamDecoder(const std::string&, const FormatRegistry&) {
    return nullptr;
}
std::unique_ptr<Decoder> openMusicDecoder(const std::string&, std::uint32_t) {
    return nullptr;
}

} // namespace orvu::engine
