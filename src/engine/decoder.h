// Purpose: the interface every decoder (FFmpeg streams, tracker modules, add-on decoders) gives a channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvu::engine {

// A source of decoded audio. It is opened on one thread and from then on used by its channel's
// decode thread alone, so implementations need no locking.
class Decoder {
public:
    virtual ~Decoder() = default;

    virtual int sampleRate() const = 0;                 // Hz, > 0
    virtual int channels() const = 0;                   // 1..8
    virtual std::uint32_t ctype() const = 0;            // the channel type reported in ChannelInfo::ctype
    virtual std::uint32_t origres() const { return 0; } // source resolution in bits, 0 if unknown
    virtual std::int64_t lengthFrames() const = 0;      // total length in frames, -1 when unknown

    // Decodes up to `frames` interleaved float frames (channels() samples each, nominally -1..1)
    // into out and returns how many it wrote. 0 ends this pass: end of file, or a decode error,
    // after which the channel loops by seeking to frame 0.
    virtual std::size_t read(float* out, std::size_t frames) = 0;

    // Moves so the next read starts at `frame` (0 <= frame <= length). False when it cannot.
    virtual bool seek(std::int64_t frame) = 0;

    // Metadata the decoder itself knows (tracker modules: "title", "artist"); empty otherwise.
    virtual std::string metadata(std::string_view /*key*/) const { return {}; }
};

} // namespace orvu::engine
