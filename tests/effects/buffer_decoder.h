// Purpose: a decoder over samples held in memory (impulses, tone bursts, noise), so effect tests know
// exactly what enters the chain.
#pragma once

#include "engine/decoder.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace orvu::test {

// Plays `interleaved` (frames × channels samples) at `rate`; the end of the buffer ends the stream.
std::unique_ptr<engine::Decoder> makeBufferDecoder(std::vector<float> interleaved, int channels, int rate);

// `frames` frames of silence on `channels` channels with `value` at frame `at` of channel `channel`.
std::vector<float> impulse(std::size_t frames, int channels, std::size_t at = 0, float value = 0.5f,
                           int channel = -1 /* every channel */);

// Uniform white noise in [-amplitude, amplitude], the same sequence for a given seed.
std::vector<float> whiteNoise(std::size_t frames, int channels, float amplitude, std::uint32_t seed = 1);

} // namespace orvu::test
