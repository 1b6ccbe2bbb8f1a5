// Purpose: the audio engine's one door: output, channels (streams and tracker modules), their
// attributes and spectrum, tags, add-ons and the CD door.
//
// Threading contract:
// - Every public member except render() is called from one control thread (the player's UI
//   thread). Each returns at once: opening a file waits at most two seconds, a slow file fails. The
//   opener thread of a slow file runs on until the file gives up; the engine joins it when the
//   opener is done and, at the latest, in its destructor, so none outlives the engine.
// - render() runs on the output thread (SDL's callback or the no-sound clock); it never takes a
//   lock the control thread holds, never allocates and never does I/O. A test or benchmark that
//   initialises with initManual() calls render() itself, on the control thread; render then waits
//   for decoded data, so the result is deterministic.
// - Each channel decodes on a thread of its own; nothing calls back into the player.
// - Positions and pass counts are what is heard: the frames rendered minus the output's latency,
//   followed between two device callbacks by the clock.
// - Freeing a channel that is heard takes its handle away at once; the output thread fades its sound
//   out over a few milliseconds and the engine lets it go after that.
// Failure values: handles are 0, lengths and positions -1, seconds negative, booleans false.
// A call on handle 0 or a freed handle fails and changes nothing; handles are never reused.
#pragma once

#include "engine/engine_types.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace orvu::engine {

class Channel;
class Decoder;
class Output;
class Spectrum;
class CdDoor;
class FormatRegistry;
namespace fx {
class Effect;
}

class Engine {
public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    std::uint32_t version() const { return kVersion; }

    // device kDeviceDefault (-1): the system's default output; kDeviceNoSound (0): a real-time clock
    // consumes the mix. Output starts at once. False when already initialised or there is no device.
    bool init(int device, std::uint32_t freq, std::uint32_t flags);
    // No output thread: the caller renders. For tests and benchmarks. WaitForDecoder makes render
    // wait for decoded data, so the output is deterministic; Underrun renders as a device would,
    // with silence where the decoder has not caught up.
    enum class ManualRender { WaitForDecoder, Underrun };
    bool initManual(std::uint32_t freq, ManualRender mode = ManualRender::WaitForDecoder);
    bool start();
    bool stop();
    bool free();
    bool setConfig(std::uint32_t option, std::uint32_t value);
    Handle pluginLoad(const std::string& path, std::uint32_t flags);

    Handle streamCreateFile(bool memory, const std::string& path, std::uint64_t offset, std::uint64_t length,
                            std::uint32_t flags);
    Handle musicLoad(bool memory, const std::string& path, std::uint64_t offset, std::uint32_t length,
                     std::uint32_t flags, std::uint32_t freq);
    // A stream over a decoder the caller made (generated signals in tests and benchmarks).
    Handle streamCreateDecoder(std::unique_ptr<Decoder> decoder, std::uint32_t flags,
                               const std::string& name);
    // A stream whose decoder `open` makes the way streamCreateFile opens a file: on an opener thread,
    // failing when it takes longer than the open-time limit.
    using Opener = std::function<std::unique_ptr<Decoder>()>;
    Handle streamCreateOpener(Opener open, std::uint32_t flags, const std::string& name);
    // The longest a stream or module open may take; two seconds unless a test sets a shorter one.
    void setOpenTimeLimit(std::chrono::milliseconds limit) { openTimeLimit_ = limit; }
    bool streamFree(Handle handle);
    bool musicFree(Handle handle);

    bool channelPlay(Handle handle, bool restart);
    bool channelPause(Handle handle);
    bool channelStop(Handle handle);
    std::uint32_t channelIsActive(Handle handle);
    std::int64_t channelGetLength(Handle handle, std::uint32_t mode);
    std::int64_t channelGetPosition(Handle handle, std::uint32_t mode);
    bool channelSetPosition(Handle handle, std::uint64_t position, std::uint32_t mode);
    // `next` follows `handle` without a gap: when handle's decoder reaches its real end of stream and
    // its last frame has been rendered, next's first frame follows in the same render call; handle then
    // stops and next plays (next's volume, pan, rate and effects are whatever the caller set on it).
    // A channel with a queued next does not loop. next 0 clears the queue. False when a handle is bad,
    // they are the same channel, or next is playing. Freeing either channel clears the queue safely.
    bool channelSetNext(Handle handle, Handle next);
    // How many times the heard position has passed the end of a pass of this channel: each loop's
    // wrap and the final end count once they have been heard (after the output latency). 0 on a bad handle.
    std::uint64_t channelPassesHeard(Handle handle);
    // True once the decoder has reached the real end of the current pass (what remains is queued
    // audio); false again after a seek or a restart. Lets the caller open the next channel in time.
    bool channelDecodeEnded(Handle handle);
    double channelBytes2Seconds(Handle handle, std::int64_t bytes);
    std::int64_t channelSeconds2Bytes(Handle handle, double seconds);
    bool channelSetAttribute(Handle handle, std::uint32_t attribute, float value);
    bool channelGetAttribute(Handle handle, std::uint32_t attribute, float* value);
    bool channelSlideAttribute(Handle handle, std::uint32_t attribute, float value, std::uint32_t timeMs);
    bool channelGetInfo(Handle handle, ChannelInfo* info);
    // kDataFft256: 128 magnitudes of what is heard. Returns the bytes of channel data analysed, -1 on
    // failure.
    std::int32_t channelGetData(Handle handle, float* buffer, std::uint32_t length);

    // Effects (kFxDx8ParamEq, kFxDx8Echo, kFxDx8Reverb) run on the channel's output at its own rate,
    // higher priority first. The effect's handle dies with its channel.
    Handle channelSetFX(Handle handle, std::uint32_t type, int priority);
    // `record` is the effect's record (ParamEqParameters, EchoParameters or ReverbParameters). A record
    // with any field out of range is refused whole and the effect keeps its parameters.
    bool fxSetParameters(Handle fx, const void* record);
    bool fxGetParameters(Handle fx, void* record);

    float getCPU();
    std::string tagsRead(Handle handle, std::string_view format);

    bool cdDoorIsOpen(std::uint32_t drive);
    bool cdDoorIsLocked(std::uint32_t drive);
    bool cdDoor(std::uint32_t drive, std::uint32_t action);

    // Output thread: mixes every playing channel into `frames` interleaved stereo float frames.
    void render(float* stereo, std::size_t frames);

private:
    static constexpr std::size_t maxChannels = 64;

    struct PendingOpen;
    struct OpenerThread {
        std::thread thread;
        std::shared_ptr<PendingOpen> pending;
    };

    Channel* find(Handle handle);
    fx::Effect* findEffect(Handle fx);
    Handle adopt(std::unique_ptr<Decoder> decoder, std::uint32_t flags, const std::string& name, bool music);
    Handle addChannel(std::unique_ptr<Channel> channel);
    bool freeChannel(Handle handle, bool music);
    void retire(std::unique_ptr<Channel> channel);
    void collectRetired();
    std::unique_ptr<Decoder> openWithin(Opener open);
    void joinOpeners(bool evenUnfinished);
    std::int64_t latencyFrames() const;
    std::int64_t heardFrame();
    void renderChain(Channel* channel, float* stereo, std::size_t frames, std::int64_t clock);
    void stampRender(std::int64_t framesAfter, std::int64_t startNanos, std::size_t frames);
    std::int64_t now() const { return deviceFrames_.load(std::memory_order_acquire); }
    Handle nextHandle() { return nextHandle_++; }
    static void renderEntry(void* engine, float* stereo, std::size_t frames);

    bool initialised_ = false;
    bool manual_ = false;
    int rate_ = 44100;
    int bufferMs_ = 500;
    std::chrono::milliseconds openTimeLimit_{2000};
    Handle nextHandle_ = 1;
    std::unique_ptr<FormatRegistry> formats_;
    std::vector<Handle> plugins_;
    std::map<Handle, std::unique_ptr<Channel>> channels_;
    struct EffectEntry {
        Handle channel;
        fx::Effect* effect; // owned by the channel's effect chain
    };
    std::map<Handle, EffectEntry> effects_;
    struct Retired {
        std::unique_ptr<Channel> channel;
        std::uint64_t epoch;
    };
    std::vector<Retired> retired_;
    std::vector<std::unique_ptr<Channel>> dying_; // freed, still in their slots while they fade out
    std::unique_ptr<Output> output_;
    std::unique_ptr<Spectrum> spectrum_;
    std::unique_ptr<CdDoor> cd_;
    std::vector<OpenerThread> openers_; // openers that outlived their time limit

    // Shared with the output thread.
    std::array<std::atomic<Channel*>, maxChannels> slots_{};
    std::atomic<std::int64_t> deviceFrames_{0}; // frames rendered since init: the clock of slides
    std::atomic<std::uint64_t> renderEpoch_{0}; // render calls completed
    std::atomic<std::int64_t> cpuNanos_{0};     // decoding and rendering time
    // The last render call, for the frame heard between calls: a sequence counter (odd while written),
    // the frames rendered once it was done, when it began (steady clock) and how many it rendered.
    std::atomic<std::uint32_t> stampSerial_{0};
    std::atomic<std::int64_t> stampFrames_{0};
    std::atomic<std::int64_t> stampNanos_{0};
    std::atomic<std::int64_t> stampLength_{0};

    std::int64_t lastHeard_ = 0; // control thread: the heard frame never goes backwards

    // getCPU's smoothing, control thread only.
    std::int64_t cpuLastNanos_ = 0;
    std::int64_t cpuLastFrames_ = 0;
    float cpuPercent_ = 0.0f;
};

} // namespace orvu::engine
