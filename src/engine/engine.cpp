// Purpose: the audio engine's one door: output, channels (streams and tracker modules), their
// attributes and spectrum, tags, add-ons and the CD door.
#include "engine/engine.h"

#include "engine/cd/cd_door.h"
#include "engine/channel.h"
#include "engine/effects/effect.h"
#include "engine/formats/formats.h"
#include "engine/output.h"
#include "engine/spectrum.h"
#include "engine/tags/tags.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

namespace orvu::engine {

// One open on its opener thread. The control thread waits for it up to the time limit; when it gives
// up first, the opener frees what it made itself.
struct Engine::PendingOpen {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    std::unique_ptr<Decoder> decoder;
};

Engine::Engine()
    : formats_(std::make_unique<FormatRegistry>())
    , spectrum_(std::make_unique<Spectrum>())
    , cd_(std::make_unique<CdDoor>()) {}

Engine::~Engine() {
    free();
    // A slow open still running uses function-local statics of FFmpeg, libopenmpt and the decoders,
    // which go when main returns: wait for it here.
    joinOpeners(true);
}

// Opens a decoder on an opener thread and waits at most the time limit for it. A file that takes
// longer (a hung network mount, say) fails at once; its opener is kept and joined once it is done.
std::unique_ptr<Decoder> Engine::openWithin(Opener open) {
    joinOpeners(false);
    auto pending = std::make_shared<PendingOpen>();
    std::thread thread;
    try {
        thread = std::thread([pending, open = std::move(open)] {
            std::unique_ptr<Decoder> decoder;
            try {
                decoder = open();
            } catch (...) { // a failed open is a null decoder; nothing is thrown across the thread
            }
            std::unique_lock lock(pending->mutex);
            if (pending->abandoned) {
                lock.unlock();
                decoder.reset();
                lock.lock();
            } else {
                pending->decoder = std::move(decoder);
            }
            pending->finished = true;
            pending->done.notify_all();
        });
    } catch (const std::system_error&) {
        return nullptr; // no thread to open on
    }
    std::unique_lock lock(pending->mutex);
    if (pending->done.wait_for(lock, openTimeLimit_, [&] { return pending->finished; })) {
        std::unique_ptr<Decoder> decoder = std::move(pending->decoder);
        lock.unlock();
        thread.join(); // it is finishing: only its captures are left to free
        return decoder;
    }
    pending->abandoned = true;
    lock.unlock();
    openers_.push_back({std::move(thread), std::move(pending)});
    return nullptr;
}

// Joins the openers that have finished, or all of them.
void Engine::joinOpeners(bool evenUnfinished) {
    std::erase_if(openers_, [evenUnfinished](OpenerThread& opener) {
        if (!evenUnfinished) {
            std::scoped_lock lock(opener.pending->mutex);
            if (!opener.pending->finished)
                return false;
        }
        opener.thread.join();
        return true;
    });
}

bool Engine::init(int device, std::uint32_t freq, std::uint32_t /*flags*/) {
    if (initialised_ || freq == 0)
        return false;
    rate_ = static_cast<int>(freq);
    if (device == kDeviceDefault)
        output_ = openDeviceOutput(rate_, &Engine::renderEntry, this);
    else if (device == kDeviceNoSound)
        output_ = openClockOutput(rate_, &Engine::renderEntry, this);
    if (!output_)
        return false;
    initialised_ = true;
    return output_->start();
}

bool Engine::initManual(std::uint32_t freq, ManualRender mode) {
    if (initialised_ || freq == 0)
        return false;
    rate_ = static_cast<int>(freq);
    manual_ = mode == ManualRender::WaitForDecoder;
    initialised_ = true;
    return true;
}

bool Engine::start() {
    collectRetired();
    return initialised_ && (!output_ || output_->start());
}

bool Engine::stop() {
    collectRetired();
    if (!initialised_)
        return false;
    if (output_)
        output_->stop();
    return true;
}

bool Engine::free() {
    if (!initialised_)
        return false;
    joinOpeners(false);
    if (output_)
        output_->stop(); // no render runs from here on
    for (auto& slot : slots_)
        slot.store(nullptr, std::memory_order_release);
    effects_.clear();
    channels_.clear();
    dying_.clear();
    retired_.clear();
    output_.reset();
    initialised_ = false;
    manual_ = false;
    return true;
}

bool Engine::setConfig(std::uint32_t option, std::uint32_t value) {
    if (option != kConfigBuffer)
        return false;
    bufferMs_ = static_cast<int>(std::clamp<std::uint32_t>(value, 10, 5000)); // sizes channels created later
    return true;
}

Handle Engine::pluginLoad(const std::string& path, std::uint32_t /*flags*/) {
    if (!formats_->loadPlugin(path))
        return 0;
    const Handle handle = nextHandle();
    plugins_.push_back(handle);
    return handle;
}

Handle Engine::streamCreateFile(bool memory, const std::string& path, std::uint64_t /*offset*/,
                                std::uint64_t /*length*/, std::uint32_t flags) {
    collectRetired();
    if (!initialised_ || memory)
        return 0;
    FormatRegistry formats = *formats_;
    return streamCreateOpener([formats, path] { return openStreamDecoder(path, formats); }, flags, path);
}

Handle Engine::streamCreateOpener(Opener open, std::uint32_t flags, const std::string& name) {
    collectRetired();
    if (!initialised_)
        return 0;
    return adopt(openWithin(std::move(open)), flags, name, false);
}

Handle Engine::streamCreateDecoder(std::unique_ptr<Decoder> decoder, std::uint32_t flags,
                                   const std::string& name) {
    collectRetired();
    return adopt(std::move(decoder), flags, name, false);
}

Handle Engine::adopt(std::unique_ptr<Decoder> decoder, std::uint32_t flags, const std::string& name,
                     bool music) {
    if (!initialised_ || !decoder || decoder->sampleRate() < 1000 || decoder->sampleRate() > 1000000 ||
        decoder->channels() < 1 || decoder->channels() > 8)
        return 0;
    const Handle handle = nextHandle();
    ChannelSetup setup{handle, music, name, flags, bufferMs_, rate_, manual_, &cpuNanos_};
    return addChannel(std::make_unique<Channel>(std::move(setup), std::move(decoder)));
}

Handle Engine::musicLoad(bool memory, const std::string& path, std::uint64_t /*offset*/,
                         std::uint32_t /*length*/, std::uint32_t flags, std::uint32_t /*freq*/) {
    collectRetired();
    if (!initialised_ || memory)
        return 0;
    return adopt(openWithin([path, flags] { return openMusicDecoder(path, flags); }), flags, path, true);
}

Handle Engine::addChannel(std::unique_ptr<Channel> channel) {
    for (auto& slot : slots_) {
        if (slot.load(std::memory_order_relaxed) == nullptr) {
            const Handle handle = channel->handle();
            slot.store(channel.get(), std::memory_order_release);
            channels_.emplace(handle, std::move(channel));
            return handle;
        }
    }
    return 0; // every slot in use
}

bool Engine::freeChannel(Handle handle, bool music) {
    collectRetired();
    const auto it = channels_.find(handle);
    if (it == channels_.end() || it->second->isMusic() != music)
        return false;
    std::unique_ptr<Channel> channel = std::move(it->second);
    channels_.erase(it);
    for (auto& [other, queuing] : channels_)
        queuing->forgetNext(channel.get());
    std::erase_if(effects_, [&](const auto& entry) { return entry.second.channel == handle; });
    // A channel being heard fades out on the output thread first, where something renders: the device
    // or, without one, the caller.
    const bool rendered = !output_ || output_->running();
    if (channel->beginDying() && rendered)
        dying_.push_back(std::move(channel));
    else
        retire(std::move(channel));
    return true;
}

// Takes a channel out of the mix. The slot store and the epoch load are sequentially consistent, as
// are render's slot and queue loads and its epoch increment: either a render call sees the cleared slot
// (and queue), or its increment comes after the epoch read here. So a channel whose epoch has since
// moved on is no longer in use.
void Engine::retire(std::unique_ptr<Channel> channel) {
    for (auto& slot : slots_)
        if (slot.load(std::memory_order_relaxed) == channel.get())
            slot.store(nullptr, std::memory_order_seq_cst);
    channel->beginShutdown();
    // A render that began before the slot was cleared may still use the channel: keep it until the
    // output thread has completed a render call since.
    if (output_ && output_->running())
        retired_.push_back({std::move(channel), renderEpoch_.load(std::memory_order_seq_cst)});
}

void Engine::collectRetired() {
    const bool rendered = !output_ || output_->running();
    for (auto it = dying_.begin(); it != dying_.end();) {
        if (!rendered || (*it)->fadedOut()) {
            retire(std::move(*it));
            it = dying_.erase(it);
        } else {
            ++it;
        }
    }
    const std::uint64_t epoch = renderEpoch_.load(std::memory_order_acquire);
    const bool idle = !output_ || !output_->running();
    std::erase_if(retired_, [&](const Retired& r) { return idle || epoch > r.epoch; });
}

bool Engine::streamFree(Handle handle) {
    return freeChannel(handle, false);
}
bool Engine::musicFree(Handle handle) {
    return freeChannel(handle, true);
}

Channel* Engine::find(Handle handle) {
    const auto it = channels_.find(handle);
    return it == channels_.end() ? nullptr : it->second.get();
}

std::int64_t Engine::latencyFrames() const {
    return output_ ? output_->latencyFrames() : 0;
}

// The device frame being heard: frames rendered minus those still queued at the device. A device that
// plays each call's frames out steadily is followed between calls by the clock, never further than the
// last call's frames (so never ahead of what was rendered), and the answer never goes backwards.
std::int64_t Engine::heardFrame() {
    std::int64_t heard = deviceFrames_.load(std::memory_order_acquire);
    if (output_) {
        heard -= output_->latencyFrames();
        for (int attempt = 0; attempt < 8 && output_->playsOutSteadily(); ++attempt) {
            const std::uint32_t serial = stampSerial_.load(std::memory_order_acquire);
            if (serial & 1u)
                continue;
            const std::int64_t frames = stampFrames_.load(std::memory_order_acquire);
            const std::int64_t began = stampNanos_.load(std::memory_order_acquire);
            const std::int64_t length = stampLength_.load(std::memory_order_acquire);
            if (stampSerial_.load(std::memory_order_relaxed) != serial)
                continue;
            const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count();
            const double played = static_cast<double>(nanos - began) * rate_ / 1e9;
            heard = frames - output_->latencyFrames() +
                    std::clamp<std::int64_t>(static_cast<std::int64_t>(played), 0, length);
            break;
        }
    }
    lastHeard_ = std::max(heard, lastHeard_);
    return lastHeard_;
}

bool Engine::channelPlay(Handle handle, bool restart) {
    Channel* channel = find(handle);
    return channel && channel->play(restart);
}

bool Engine::channelPause(Handle handle) {
    Channel* channel = find(handle);
    return channel && channel->pause();
}

bool Engine::channelStop(Handle handle) {
    Channel* channel = find(handle);
    return channel && channel->stop(heardFrame());
}

std::uint32_t Engine::channelIsActive(Handle handle) {
    Channel* channel = find(handle);
    return channel ? channel->activity() : kActiveStopped;
}

std::int64_t Engine::channelGetLength(Handle handle, std::uint32_t mode) {
    Channel* channel = find(handle);
    return channel && mode == kPosByte ? channel->lengthBytes() : -1;
}

std::int64_t Engine::channelGetPosition(Handle handle, std::uint32_t mode) {
    Channel* channel = find(handle);
    return channel && mode == kPosByte ? channel->positionBytes(heardFrame()) : -1;
}

bool Engine::channelSetPosition(Handle handle, std::uint64_t position, std::uint32_t mode) {
    Channel* channel = find(handle);
    return channel && mode == kPosByte && channel->setPositionBytes(position);
}

bool Engine::channelSetNext(Handle handle, Handle next) {
    Channel* channel = find(handle);
    if (!channel)
        return false;
    if (next == 0) {
        channel->setNext(nullptr);
        return true;
    }
    Channel* following = find(next);
    if (!following || following == channel || following->isPlaying())
        return false;
    channel->setNext(following);
    return true;
}

std::uint64_t Engine::channelPassesHeard(Handle handle) {
    Channel* channel = find(handle);
    return channel ? channel->passesHeard(heardFrame()) : 0;
}

bool Engine::channelDecodeEnded(Handle handle) {
    Channel* channel = find(handle);
    return channel && channel->decodeEnded();
}

double Engine::channelBytes2Seconds(Handle handle, std::int64_t bytes) {
    Channel* channel = find(handle);
    return channel ? channel->bytesToSeconds(bytes) : -1.0;
}

std::int64_t Engine::channelSeconds2Bytes(Handle handle, double seconds) {
    Channel* channel = find(handle);
    return channel ? channel->secondsToBytes(seconds) : -1;
}

bool Engine::channelSetAttribute(Handle handle, std::uint32_t attribute, float value) {
    Channel* channel = find(handle);
    return channel && channel->setAttribute(attribute, value, now());
}

bool Engine::channelGetAttribute(Handle handle, std::uint32_t attribute, float* value) {
    Channel* channel = find(handle);
    const std::optional<float> current = channel ? channel->attribute(attribute, now()) : std::nullopt;
    if (!current || value == nullptr)
        return false;
    *value = *current;
    return true;
}

bool Engine::channelSlideAttribute(Handle handle, std::uint32_t attribute, float value,
                                   std::uint32_t timeMs) {
    Channel* channel = find(handle);
    return channel && channel->slideAttribute(attribute, value, timeMs, now());
}

bool Engine::channelGetInfo(Handle handle, ChannelInfo* info) {
    Channel* channel = find(handle);
    if (!channel || info == nullptr)
        return false;
    *info = channel->info();
    return true;
}

std::int32_t Engine::channelGetData(Handle handle, float* buffer, std::uint32_t length) {
    Channel* channel = find(handle);
    if (!channel || buffer == nullptr || length != kDataFft256)
        return -1;
    channel->heardSpectrum(*spectrum_, buffer, latencyFrames());
    return static_cast<std::int32_t>(Spectrum::size) * channel->bytesPerFrame();
}

Handle Engine::channelSetFX(Handle handle, std::uint32_t type, int priority) {
    Channel* channel = find(handle);
    if (!channel)
        return 0;
    const Handle effectHandle = nextHandle();
    std::unique_ptr<fx::Effect> effect =
        fx::makeEffect(type, effectHandle, priority, static_cast<int>(channel->info().freq),
                       static_cast<int>(channel->info().chans));
    fx::Effect* raw = effect.get();
    if (!effect || !channel->addEffect(std::move(effect)))
        return 0;
    effects_.emplace(effectHandle, EffectEntry{handle, raw});
    return effectHandle;
}

fx::Effect* Engine::findEffect(Handle fx) {
    const auto it = effects_.find(fx);
    return it == effects_.end() || !find(it->second.channel) ? nullptr : it->second.effect;
}

bool Engine::fxSetParameters(Handle fx, const void* record) {
    fx::Effect* effect = findEffect(fx);
    return effect && record != nullptr && effect->setParameters(record);
}

bool Engine::fxGetParameters(Handle fx, void* record) {
    fx::Effect* effect = findEffect(fx);
    if (!effect || record == nullptr)
        return false;
    effect->getParameters(record);
    return true;
}

float Engine::getCPU() {
    const std::int64_t frames = deviceFrames_.load(std::memory_order_acquire);
    const std::int64_t nanos = cpuNanos_.load(std::memory_order_relaxed);
    const std::int64_t newFrames = frames - cpuLastFrames_;
    if (newFrames >= rate_ / 10) { // smooth over about a second of audio
        const double audioNanos = static_cast<double>(newFrames) * 1e9 / rate_;
        const auto sample =
            static_cast<float>(100.0 * static_cast<double>(nanos - cpuLastNanos_) / audioNanos);
        cpuPercent_ = cpuLastFrames_ == 0 ? sample : 0.7f * cpuPercent_ + 0.3f * sample;
        cpuLastFrames_ = frames;
        cpuLastNanos_ = nanos;
    }
    return cpuPercent_;
}

std::string Engine::tagsRead(Handle handle, std::string_view format) {
    Channel* channel = find(handle);
    return channel ? formatTags(channel->tags(), format) : std::string();
}

bool Engine::cdDoorIsOpen(std::uint32_t drive) {
    return cd_->isOpen(drive);
}
bool Engine::cdDoorIsLocked(std::uint32_t drive) {
    return cd_->isLocked(drive);
}
bool Engine::cdDoor(std::uint32_t drive, std::uint32_t action) {
    return cd_->act(drive, action);
}

void Engine::renderEntry(void* engine, float* stereo, std::size_t frames) {
    static_cast<Engine*>(engine)->render(stereo, frames);
}

void Engine::render(float* stereo, std::size_t frames) {
    const auto started = std::chrono::steady_clock::now();
    std::fill(stereo, stereo + 2 * frames, 0.0f);
    for (std::size_t done = 0; done < frames;) {
        const std::size_t chunk = std::min(frames - done, Channel::maxRenderFrames);
        const std::int64_t clock = deviceFrames_.load(std::memory_order_relaxed);
        for (auto& slot : slots_)
            if (Channel* channel = slot.load(std::memory_order_seq_cst))
                renderChain(channel, stereo + 2 * done, chunk, clock);
        deviceFrames_.store(clock + static_cast<std::int64_t>(chunk), std::memory_order_release);
        done += chunk;
    }
    for (std::size_t i = 0; i < 2 * frames; ++i)
        stereo[i] = std::clamp(stereo[i], -1.0f, 1.0f);
    stampRender(deviceFrames_.load(std::memory_order_relaxed),
                std::chrono::duration_cast<std::chrono::nanoseconds>(started.time_since_epoch()).count(),
                frames);
    cpuNanos_.fetch_add(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - started)
            .count(),
        std::memory_order_relaxed);
    renderEpoch_.fetch_add(1, std::memory_order_seq_cst);
}

// Renders a channel and, when it ends inside the chunk, each channel queued to follow it from the
// frame where the one before ended.
void Engine::renderChain(Channel* channel, float* stereo, std::size_t frames, std::int64_t clock) {
    std::size_t offset = 0;
    for (std::size_t hops = 0; channel != nullptr && hops <= maxChannels; ++hops) {
        const Channel::Handover handover =
            channel->render(stereo + 2 * offset, frames - offset, clock + static_cast<std::int64_t>(offset));
        offset += handover.at;
        channel = handover.next;
    }
}

void Engine::stampRender(std::int64_t framesAfter, std::int64_t startNanos, std::size_t frames) {
    stampSerial_.fetch_add(1, std::memory_order_acq_rel); // odd: being written
    stampFrames_.store(framesAfter, std::memory_order_release);
    stampNanos_.store(startNanos, std::memory_order_release);
    stampLength_.store(static_cast<std::int64_t>(frames), std::memory_order_release);
    stampSerial_.fetch_add(1, std::memory_order_release);
}

} // namespace orvu::engine
