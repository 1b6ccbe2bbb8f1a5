// Purpose: the interface every decoder (FFmpeg streams, tracker modules, add-on decoders) gives a channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvu::engine {

// The speaker mask FFmpeg gives a channel count when a file names no speakers (1 centre, 2 stereo,
// 6 5.1 ...); 0 when it has none.
std::uint64_t standardChannelLayout(int channels);

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

    // The speaker of each channel, as a mask of speaker positions in the WAVE and FFmpeg order (bit 0
    // front left, 1 front right, 2 front centre, 3 LFE, 4 back left, 5 back right, 9 side left, 10 side
    // right ...), one bit a channel, the channels in the order of their bits. The channel mixes to stereo
    // by it.
    virtual std::uint64_t channelLayout() const { return standardChannelLayout(channels()); }

    // Decodes up to `frames` interleaved float frames (channels() samples each, nominally -1..1)
    // into out and returns how many it wrote. 0 ends this pass: end of file, or a failure the decoder
    // cannot get past, after which the channel loops by seeking to frame 0.
    virtual std::size_t read(float* out, std::size_t frames) = 0;

    // Moves so the next read starts at `frame` (0 <= frame <= length). False when it cannot.
    virtual bool seek(std::int64_t frame) = 0;
    // Where the last successful seek to `asked` put the next read. A decoder that can only land on
    // certain points (a tracker module lands on a pattern row) says where it landed.
    virtual std::int64_t seekLanded(std::int64_t asked) const { return asked; }

    // Metadata the decoder itself knows (tracker modules: "title", "artist"); empty otherwise.
    virtual std::string metadata(std::string_view /*key*/) const { return {}; }
};

} // namespace orvu::engine
