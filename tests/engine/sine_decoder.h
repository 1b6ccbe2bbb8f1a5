// Purpose: a decoder of a generated sine, so engine tests know every sample the engine should play.
#pragma once

#include "engine/decoder.h"
#include "engine/engine_types.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace orvu::test {

struct SineSpec {
    int rate = 44100;
    int channels = 2;
    std::int64_t lengthFrames = 44100;
    double frequency = 441.0; // 100 samples a period at 44.1 kHz: whole periods in a second
    float amplitude = 0.5f;
    std::int64_t offset =
        0; // the decoder's frame 0 is the signal's frame `offset` (a cut from a longer signal)
    std::int64_t failAtFrame = -1; // a decode error at this frame ends each pass early
    // While set and true, reads wait: a slow disk or a starved decode thread. Shared, because the
    // decode thread may outlive the test body.
    std::shared_ptr<std::atomic<bool>> held = nullptr;
    // When set, counts the frames read so far: how far the decode thread has got.
    std::shared_ptr<std::atomic<std::int64_t>> framesRead = nullptr;
};

// The value of every channel at source frame n of the decoder.
float sineSample(const SineSpec& sine, std::int64_t frame);

std::unique_ptr<engine::Decoder> makeSineDecoder(const SineSpec& sine);

} // namespace orvu::test
