// Purpose: one playing stream or module: its decode thread, the ring it fills, and how the output
// callback turns it into sound (effects, history for the spectrum, rate change, volume, pan).
//
// Threading:
// - control thread (the player's UI thread): construction, destruction, play/pause/stop,
//   setPosition, the queries and the attribute setters;
// - the channel's decode thread: reads the decoder and fills the ring; it alone touches the decoder;
// - the output callback: render(); it never blocks, locks or allocates (except in manual mode,
//   where the test drives render itself and render waits for decoded data).
// They share only atomics and the lock-free ring.
#pragma once

#include "engine/block_ring.h"
#include "engine/decoder.h"
#include "engine/downmix.h"
#include "engine/effect_chain.h"
#include "engine/engine_types.h"
#include "engine/slide.h"
#include "engine/spectrum.h"
#include "engine/tags/tags.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct SRC_STATE_tag;

namespace orvu::engine {

struct ChannelSetup {
    Handle handle = 0;
    bool music = false;
    std::string path;
    std::uint32_t flags = 0;
    int bufferMs = 500;
    int deviceRate = 44100;
    bool manualRender = false;                     // render waits for decoded data instead of underrunning
    std::atomic<std::int64_t>* cpuNanos = nullptr; // engine-wide processing time, decode time added here
};

class Channel {
public:
    static constexpr std::size_t maxRenderFrames = 2048; // the engine renders in chunks of at most this
    static constexpr std::size_t historyFrames = 4096;   // recent post-effect frames kept for the spectrum

    Channel(ChannelSetup setup, std::unique_ptr<Decoder> decoder);
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Control thread.
    Handle handle() const { return setup_.handle; }
    bool isMusic() const { return setup_.music; }
    bool play(bool restart);
    bool pause();
    bool stop(std::int64_t latencyDeviceFrames);
    std::uint32_t activity() const;
    std::int64_t lengthBytes() const;
    std::int64_t positionBytes(std::int64_t latencyDeviceFrames) const;
    bool setPositionBytes(std::uint64_t bytes);
    double bytesToSeconds(std::int64_t bytes) const;
    std::int64_t secondsToBytes(double seconds) const;
    bool setAttribute(std::uint32_t attribute, float value, std::int64_t nowFrame);
    bool slideAttribute(std::uint32_t attribute, float value, std::uint32_t ms, std::int64_t nowFrame);
    std::optional<float> attribute(std::uint32_t attribute, std::int64_t nowFrame) const;
    const ChannelInfo& info() const { return info_; }
    // The spectrum of the newest heard frames of the post-effect signal, channels averaged. The output
    // hands the mix over in blocks, so between two blocks the answer is the same and is not computed again.
    void heardSpectrum(Spectrum& fft, float* out, std::int64_t latencyDeviceFrames);
    int bytesPerFrame() const { return channels_ * 2; }
    const TagFields& tags();
    void beginShutdown(); // asks the decode thread to finish; the destructor joins it
    // Adds an effect to the chain the output callback runs; false when the chain is full.
    bool addEffect(std::unique_ptr<fx::Effect> effect) { return effects_.add(std::move(effect)); }

    // Output callback: adds this channel's sound for device frames [nowFrame, nowFrame + frames)
    // to the interleaved stereo buffer.
    void render(float* stereoOut, std::size_t frames, std::int64_t nowFrame);

private:
    enum State : int { Stopped, Playing, Paused };

    void decodeLoop();
    void requestSeek(std::int64_t frame);
    std::size_t pull(float* out, std::size_t frames);
    bool waitForDecoded(std::uint32_t seenProgress);
    void dropStaleBlocks();
    void recordHistory(const float* samples, std::size_t frames);
    void mixToStereo(const float* samples, std::size_t frames, float* out, float vol0, float vol1, float pan0,
                     float pan1) const;
    double effectiveRate(std::int64_t frame) const;
    double latencySourceFrames(std::int64_t latencyDeviceFrames) const;
    std::size_t resample(float* out, std::size_t frames, double ratio);
    bool sourceEnded();

    ChannelSetup setup_;
    std::unique_ptr<Decoder> decoder_; // decode thread only, after construction
    int rate_;
    int channels_;
    std::int64_t lengthFrames_;
    bool loops_;
    StereoDownmix downmix_; // more than two channels: their weights in the left and right output
    ChannelInfo info_{};
    MusicTags musicTags_;
    std::optional<TagFields> tags_;

    BlockRing ring_;
    std::atomic<int> state_{Stopped};
    std::atomic<bool> stalled_{false};
    std::atomic<bool> quit_{false};

    // Seeks and stops: the control thread bumps the generation with the frame to start from; the
    // decode thread stamps blocks with the generation it worked for; render drops stale blocks.
    std::atomic<std::uint64_t> generation_{0};
    std::atomic<std::int64_t> generationFrame_{0};
    std::atomic<std::uint64_t> endedGeneration_{~0ull}; // the decoder ran dry for this generation
    std::atomic<std::uint32_t> decodeProgress_{0};      // bumped by the decode thread on output

    // Published by render: the source frame just after the last one it consumed, and its generation.
    std::atomic<std::int64_t> consumedFrame_{0};
    std::atomic<std::uint64_t> consumedGeneration_{~0ull};
    std::atomic<std::int64_t> consumedSinceSeek_{0};

    SlidingValue volume_{1.0f};
    SlidingValue pan_{0.0f};
    SlidingValue freq_{0.0f}; // 0: the channel's own rate

    // Render-thread state.
    std::uint64_t renderGeneration_ = ~0ull;
    std::size_t blockOffset_ = 0;
    EffectChain effects_;
    std::unique_ptr<SRC_STATE_tag, void (*)(SRC_STATE_tag*)> resampler_;
    bool resampling_ = false;
    double resampleRatio_ = 1.0;
    std::vector<float> scratch_;  // maxRenderFrames * channels
    std::vector<float> sourceIn_; // input waiting for the resampler
    std::size_t sourceFrames_ = 0;
    std::array<std::atomic<float>, historyFrames> history_{};
    std::atomic<std::int64_t> historyWritten_{0};
    std::int64_t spectrumEnd_ = -1; // control thread: where the cached spectrum was taken
    std::array<float, Spectrum::bins> spectrum_{};

    std::thread decodeThread_;
};

} // namespace orvu::engine
