// Purpose: stream decoding through FFmpeg, limited to the families enabled in a registry snapshot.
#pragma once

#include "engine/decoder.h"
#include "engine/formats/regular_file.h"

#include <cstdint>
#include <memory>
#include <string>

namespace orvu::engine::formats {

// Opens a local regular file (opened and checked by openRegularFile; the decoder keeps it) whose
// container and codec belong to an enabled family (bit i of `enabledFamilies` = families()[i]); nullptr
// otherwise. The whole open takes at most about 2 s.
std::unique_ptr<Decoder> openFfmpegDecoder(UniqueFd file, std::uint64_t enabledFamilies);

} // namespace orvu::engine::formats
