// Purpose: one playing stream or module: its decode thread, the ring it fills, and how the output
// callback turns it into sound (effects, history for the spectrum, rate change, volume, pan).
//
// Threading:
// - control thread (the player's UI thread): construction, destruction, play/pause/stop,
//   setPosition, the queries and the attribute setters;
// - the channel's decode thread: reads the decoder and fills the ring; it alone touches the decoder;
// - the output callback: render(); it never blocks, locks or allocates (except in manual mode,
//   where the test drives render itself and render waits for decoded data).
// They share only atomics and the lock-free rings.
//
// Clicks: pausing, stopping, seeking and freeing a channel that is heard fade its sound out over a few
// milliseconds (the fade-out is rendered ahead into a small tail and mixed over the next frames), and
// resuming fades it in. A freshly opened channel starting at its first frame and a gapless takeover
// start at full level, so the join stays sample-exact.
#pragma once

#include "engine/block_ring.h"
#include "engine/decoder.h"
#include "engine/downmix.h"
#include "engine/effect_chain.h"
#include "engine/engine_types.h"
#include "engine/slide.h"
#include "engine/spectrum.h"
#include "engine/tags/tags.h"
#include "engine/timing_ring.h"

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
    static constexpr int fadeMs = 5; // pause, resume, stop, seek and free ramp the sound over this long

    Channel(ChannelSetup setup, std::unique_ptr<Decoder> decoder);
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Control thread. `heard` is the device frame being heard now.
    Handle handle() const { return setup_.handle; }
    bool isMusic() const { return setup_.music; }
    bool play(bool restart);
    bool pause();
    bool stop(std::int64_t heard);
    std::uint32_t activity() const;
    std::int64_t lengthBytes() const;
    std::int64_t positionBytes(std::int64_t heard) const;
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

    // Gapless succession: `next` starts in the frame after this channel's real end (nullptr clears).
    void setNext(Channel* next) { next_.store(next, std::memory_order_seq_cst); }
    void forgetNext(Channel* gone);
    bool isPlaying() const { return state_.load(std::memory_order_acquire) == Playing; }
    std::uint64_t passesHeard(std::int64_t heard) const { return passEnds_.heardBy(heard); }
    bool decodeEnded() const;
    // The channel is being freed. True when it is heard: the output callback then fades it out and
    // reports fadedOut(); false when it is silent and stays silent, so it can go at once.
    bool beginDying();
    bool fadedOut() const { return faded_.load(std::memory_order_acquire); }

    // Output callback: adds this channel's sound for device frames [nowFrame, nowFrame + frames) to the
    // interleaved stereo buffer. When the channel ends there and a queued channel takes over, the result
    // names it and the frame (from `stereoOut`) where it starts; the caller renders it from there.
    struct Handover {
        Channel* next = nullptr;
        std::size_t at = 0;
    };
    Handover render(float* stereoOut, std::size_t frames, std::int64_t nowFrame);

private:
    enum State : int { Stopped, Playing, Paused };

    // A raised-cosine gain over a run of output frames; an empty ramp is a constant gain.
    struct Ramp {
        std::size_t done = 0;   // frames of the ramp already behind
        std::size_t length = 0; // 0: constant
        bool falling = false;
        float scale = 1.0f;
        float gain(std::size_t frame) const;
    };
    struct Produced {
        std::size_t frames = 0;
        bool ended = false; // the source ended after these frames
    };

    // decode thread
    void decodeLoop();
    // output callback
    void commitSeek();
    bool start();
    float fadeInGain() const;
    void fadeOut(std::int64_t nowFrame);
    std::size_t mixTail(float* stereoOut, std::size_t frames);
    Handover playOn(float* stereoOut, std::size_t frames, std::int64_t nowFrame);
    Handover finish(std::int64_t endFrame, std::size_t at);
    Produced renderAudio(float* stereoOut, std::size_t frames, std::int64_t nowFrame, const Ramp& ramp);
    std::size_t pull(float* out, std::size_t frames);
    void beginPass(std::uint32_t pass);
    bool waitForDecoded(std::uint32_t seenProgress);
    void dropStaleBlocks();
    bool sourceEnded();
    bool resamplesLike(Channel& other, std::int64_t frame) const;
    bool endsHere();
    void recordOutput(std::int64_t deviceFrame, std::size_t frames, double ratio);
    void appendSegment(std::int64_t deviceFrame, std::size_t frames, double ratio);
    void recordHistory(const float* samples, std::size_t frames);
    void mixToStereo(const float* samples, std::size_t frames, float* out, float vol0, float vol1, float pan0,
                     float pan1, const Ramp& ramp) const;
    std::size_t resample(float* out, std::size_t frames, double ratio);
    // control thread
    void requestSeek(std::int64_t frame);
    std::int64_t heardFrame(std::int64_t heard) const;
    // any thread
    double effectiveRate(std::int64_t frame) const;
    double latencySourceFrames(std::int64_t latencyDeviceFrames) const;

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
    std::atomic<int> state_{Stopped}; // what the caller asked for; the output callback follows with a fade
    std::atomic<bool> stalled_{false};
    std::atomic<bool> quit_{false};
    std::atomic<Channel*> next_{nullptr};
    std::atomic<bool> dying_{false};
    std::atomic<bool> faded_{false};
    std::atomic<bool> audible_{false}; // the output callback is sounding the channel or its fade

    // Seeks and stops: the control thread asks with a generation and the frame to start from. The
    // output callback fades out what it was playing and then commits the request: the decode thread
    // stamps blocks with the committed generation it worked for, and the callback drops stale blocks.
    std::atomic<std::uint64_t> requestGeneration_{0};
    std::atomic<std::int64_t> requestFrame_{0};
    std::atomic<std::uint64_t> generation_{0}; // committed
    std::atomic<std::int64_t> generationFrame_{0};
    // Marks (generation, pass) packed by passMark(): where the decoder ran dry, where it reached the end
    // of a pass, the pass the callback is rendering, and the generation that played to its end.
    std::atomic<std::uint64_t> endedMark_{~0ull};
    std::atomic<std::uint64_t> passEndMark_{~0ull};
    std::atomic<std::uint64_t> renderPassMark_{0};
    std::atomic<std::uint64_t> finishedGeneration_{~0ull};
    std::atomic<std::uint32_t> decodeProgress_{0}; // bumped by the decode thread on output

    SlidingValue volume_{1.0f};
    SlidingValue pan_{0.0f};
    SlidingValue freq_{0.0f}; // 0: the channel's own rate

    TimingRing timing_;
    PassLog passEnds_;

    // Render-thread state.
    std::uint64_t renderGeneration_ = 0;
    std::uint32_t renderPass_ = 0;
    std::size_t blockOffset_ = 0;
    std::int64_t pulled_ = 0;     // source frames taken from the ring in this generation
    double outputSource_ = 0.0;   // source frames played out in this generation (device frames x ratio)
    double passBase_ = 0.0;       // outputSource_ at the start of the pass being played out
    double passFirstFrame_ = 0.0; // source frame at that start: where a seek landed, 0 after a wrap
    bool landed_ = false;         // the generation's first block has been seen
    std::array<std::int64_t, 8> wraps_{}; // pulled_ at each loop wrap not yet played out
    std::size_t wrapCount_ = 0;
    Channel* queuedNext_ = nullptr; // next_ as this render call saw it
    std::int64_t renderedUpTo_ = 0; // device frame up to which this channel has rendered
    bool sounding_ = false;         // producing audio (not counting a fade-out tail)
    bool everSounded_ = false;
    bool gaplessStart_ = false; // taking over from another channel: no fade-in
    std::size_t fadeFrames_;
    std::size_t fadeInDone_ = 0;
    std::vector<float> tail_; // stereo fade-out still to be mixed
    std::size_t tailLength_ = 0;
    std::size_t tailRead_ = 0;
    EffectChain effects_;
    std::unique_ptr<SRC_STATE_tag, void (*)(SRC_STATE_tag*)> resampler_;
    bool resampling_ = false;
    // The queued channel converts at the same ratio: it takes this channel's resampler over at the
    // join, so the converter's filter runs on across the two as over one stream.
    bool resamplerToNext_ = false;
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
