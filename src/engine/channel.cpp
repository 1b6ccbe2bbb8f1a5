// Purpose: one playing stream or module: its decode thread, the ring it fills, and how the output
// callback turns it into sound (effects, history for the spectrum, rate change, volume, pan).
#include "engine/channel.h"

#include <samplerate.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace orvu::engine {
namespace {

constexpr std::size_t blockFrames = 1024;
constexpr double minRate = 100.0;
constexpr double maxRate = 100000.0;

std::size_t blockCountFor(int bufferMs, int rate) {
    const double frames = static_cast<double>(bufferMs) * rate / 1000.0;
    return std::max<std::size_t>(4, static_cast<std::size_t>(std::ceil(frames / blockFrames)) + 1);
}

std::int64_t nanosSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

void deleteResampler(SRC_STATE_tag* state) {
    src_delete(state);
}

} // namespace

Channel::Channel(ChannelSetup setup, std::unique_ptr<Decoder> decoder)
    : setup_(std::move(setup))
    , decoder_(std::move(decoder))
    , rate_(std::clamp(decoder_->sampleRate(), 1, 1000000))
    , channels_(std::clamp(decoder_->channels(), 1, 8))
    , lengthFrames_(decoder_->lengthFrames())
    , loops_((setup_.flags & kSampleLoop) != 0)
    , downmix_(stereoDownmix(decoder_->channelLayout(), channels_))
    , ring_(blockCountFor(setup_.bufferMs, rate_), blockFrames, channels_)
    , resampler_(nullptr, &deleteResampler)
    , scratch_(maxRenderFrames * static_cast<std::size_t>(channels_))
    , sourceIn_(blockFrames * static_cast<std::size_t>(channels_)) {
    info_.freq = static_cast<std::uint32_t>(rate_);
    info_.chans = static_cast<std::uint32_t>(channels_);
    info_.flags = setup_.flags;
    info_.ctype = decoder_->ctype();
    info_.origres = decoder_->origres();
    info_.filename = setup_.path;
    if (setup_.music)
        musicTags_ = {decoder_->metadata("title"), decoder_->metadata("artist")};

    int error = 0;
    resampler_.reset(src_new(SRC_SINC_FASTEST, channels_, &error));
    decodeThread_ = std::thread([this] { decodeLoop(); });
}

Channel::~Channel() {
    beginShutdown();
    if (decodeThread_.joinable())
        decodeThread_.join();
}

void Channel::beginShutdown() {
    quit_.store(true, std::memory_order_release);
    ring_.wakeProducer();
}

void Channel::requestSeek(std::int64_t frame) {
    generationFrame_.store(frame, std::memory_order_relaxed);
    generation_.fetch_add(1, std::memory_order_release);
    ring_.wakeProducer();
}

// ---- decode thread --------------------------------------------------------------------------

void Channel::decodeLoop() {
    std::uint64_t generation = ~0ull;
    std::int64_t next = 0;
    bool dry = false;         // nothing more to decode for this generation
    bool decodedPass = false; // this pass through the file produced audio, so looping makes sense
    const auto announce = [this] {
        decodeProgress_.fetch_add(1, std::memory_order_release);
        decodeProgress_.notify_all();
    };

    for (;;) {
        // The ticket is taken before anything the wait below depends on is looked at (quitting, the
        // generation, room in the ring), so a change made after the look wakes the wait.
        const std::uint32_t wake = ring_.wakeTicket();
        if (quit_.load(std::memory_order_acquire))
            break;
        const std::uint64_t wanted = generation_.load(std::memory_order_acquire);
        if (wanted != generation) {
            generation = wanted;
            next = generationFrame_.load(std::memory_order_relaxed);
            dry = !decoder_->seek(next);
            decodedPass = next > 0;
            if (dry) {
                endedGeneration_.store(generation, std::memory_order_release);
                announce();
            }
        }
        DecodedBlock* block = dry ? nullptr : ring_.beginWrite();
        if (block == nullptr) {
            ring_.waitForWake(wake);
            continue;
        }

        const auto started = std::chrono::steady_clock::now();
        const std::size_t frames = decoder_->read(block->samples, ring_.blockFrames());
        if (setup_.cpuNanos)
            setup_.cpuNanos->fetch_add(nanosSince(started), std::memory_order_relaxed);

        if (frames == 0) {
            // End of the file, or a decode error that ends this pass: loop from the start when the
            // pass gave any audio, otherwise the file has nothing to play.
            if (loops_ && decodedPass && decoder_->seek(0)) {
                next = 0;
                decodedPass = false;
                continue;
            }
            dry = true;
            endedGeneration_.store(generation, std::memory_order_release);
            announce();
            continue;
        }
        decodedPass = true;
        block->generation = generation;
        block->startFrame = next;
        block->frames = std::min(frames, ring_.blockFrames());
        next += static_cast<std::int64_t>(block->frames);
        ring_.commitWrite();
        announce();
    }
}

// ---- output callback ------------------------------------------------------------------------

void Channel::dropStaleBlocks() {
    while (DecodedBlock* block = ring_.front()) {
        if (block->generation == renderGeneration_)
            break;
        ring_.popFront();
        blockOffset_ = 0;
    }
}

bool Channel::waitForDecoded(std::uint32_t seenProgress) {
    if (!setup_.manualRender || quit_.load(std::memory_order_acquire) ||
        endedGeneration_.load(std::memory_order_acquire) == renderGeneration_)
        return false;
    decodeProgress_.wait(seenProgress, std::memory_order_acquire);
    return true;
}

std::size_t Channel::pull(float* out, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(channels_);
    std::size_t done = 0;
    while (done < frames) {
        const std::uint32_t progress = decodeProgress_.load(std::memory_order_acquire);
        DecodedBlock* block = ring_.front();
        if (block == nullptr) {
            if (waitForDecoded(progress))
                continue;
            break;
        }
        if (block->generation != renderGeneration_) {
            ring_.popFront();
            blockOffset_ = 0;
            continue;
        }
        const std::size_t take = std::min(block->frames - blockOffset_, frames - done);
        float* destination = out + done * channels;
        std::memcpy(destination, block->samples + blockOffset_ * channels, take * channels * sizeof(float));
        effects_.process(destination, take, channels_);
        recordHistory(destination, take);
        blockOffset_ += take;
        done += take;
        consumedFrame_.store(block->startFrame + static_cast<std::int64_t>(blockOffset_),
                             std::memory_order_relaxed);
        consumedSinceSeek_.fetch_add(static_cast<std::int64_t>(take), std::memory_order_relaxed);
        consumedGeneration_.store(renderGeneration_, std::memory_order_release);
        if (blockOffset_ == block->frames) {
            ring_.popFront();
            blockOffset_ = 0;
        }
    }
    return done;
}

bool Channel::sourceEnded() {
    // The end flag is published after the last block, so an ended generation with an empty ring has
    // nothing more to come. An empty ring alone is only an underrun.
    return endedGeneration_.load(std::memory_order_acquire) == renderGeneration_ && ring_.front() == nullptr;
}

// Converts the channel's audio to the device rate. The resampler is told the input ended only when
// the stream really ended: on an underrun it produces what the input allows and the rest of the
// chunk stays silent, so the converter is ready for the audio that arrives later. Every pass of the
// loop consumes input or produces output, or the loop ends.
std::size_t Channel::resample(float* out, std::size_t frames, double ratio) {
    const auto channels = static_cast<std::size_t>(channels_);
    std::size_t produced = 0;
    while (produced < frames) {
        if (sourceFrames_ < blockFrames)
            sourceFrames_ += pull(sourceIn_.data() + sourceFrames_ * channels, blockFrames - sourceFrames_);
        SRC_DATA data{};
        data.data_in = sourceIn_.data();
        data.input_frames = static_cast<long>(sourceFrames_);
        data.data_out = out + produced * channels;
        data.output_frames = static_cast<long>(frames - produced);
        data.src_ratio = ratio;
        data.end_of_input = sourceFrames_ == 0 && sourceEnded() ? 1 : 0;
        if (src_process(resampler_.get(), &data) != 0)
            break;
        const auto used = static_cast<std::size_t>(data.input_frames_used);
        const auto generated = static_cast<std::size_t>(data.output_frames_gen);
        sourceFrames_ -= used;
        std::memmove(sourceIn_.data(), sourceIn_.data() + used * channels,
                     sourceFrames_ * channels * sizeof(float));
        produced += generated;
        if (used == 0 && generated == 0)
            break;
    }
    return produced;
}

void Channel::recordHistory(const float* samples, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(channels_);
    const std::int64_t written = historyWritten_.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < frames; ++i) {
        float sum = 0.0f;
        for (std::size_t c = 0; c < channels; ++c)
            sum += samples[i * channels + c];
        const float mono = std::clamp(sum / static_cast<float>(channels), -1.0f, 1.0f);
        history_[static_cast<std::size_t>(written + static_cast<std::int64_t>(i)) % historyFrames].store(
            mono, std::memory_order_relaxed);
    }
    historyWritten_.store(written + static_cast<std::int64_t>(frames), std::memory_order_release);
}

void Channel::mixToStereo(const float* samples, std::size_t frames, float* out, float vol0, float vol1,
                          float pan0, float pan1) const {
    const auto channels = static_cast<std::size_t>(channels_);
    const float step = frames > 1 ? 1.0f / static_cast<float>(frames) : 0.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) * step;
        const float volume = vol0 + (vol1 - vol0) * t;
        const float pan = pan0 + (pan1 - pan0) * t;
        const float* frame = samples + i * channels;
        float left = frame[0];
        float right = frame[0];
        if (channels == 2) {
            right = frame[1];
        } else if (channels > 2) { // the speakers' standard downmix
            left = right = 0.0f;
            for (std::size_t c = 0; c < channels; ++c) {
                left += downmix_.left[c] * frame[c];
                right += downmix_.right[c] * frame[c];
            }
        }
        // Balance: panning towards one side attenuates the other.
        out[2 * i] += left * volume * (pan > 0.0f ? 1.0f - pan : 1.0f);
        out[2 * i + 1] += right * volume * (pan < 0.0f ? 1.0f + pan : 1.0f);
    }
}

void Channel::render(float* stereoOut, std::size_t frames, std::int64_t nowFrame) {
    const std::uint64_t generation = generation_.load(std::memory_order_acquire);
    if (generation != renderGeneration_) {
        renderGeneration_ = generation;
        blockOffset_ = 0;
        consumedSinceSeek_.store(0, std::memory_order_relaxed);
        effects_.reset();
        if (resampler_)
            src_reset(resampler_.get());
        resampling_ = false;
        sourceFrames_ = 0;
    }
    if (state_.load(std::memory_order_acquire) != Playing) {
        dropStaleBlocks();
        return;
    }

    frames = std::min(frames, maxRenderFrames);
    const auto end = nowFrame + static_cast<std::int64_t>(frames);
    const float vol0 = std::max(volume_.valueAt(nowFrame), 0.0f);
    const float vol1 = std::max(volume_.valueAt(end), 0.0f);
    const float pan0 = std::clamp(pan_.valueAt(nowFrame), -1.0f, 1.0f);
    const float pan1 = std::clamp(pan_.valueAt(end), -1.0f, 1.0f);

    const double rate = effectiveRate(nowFrame);
    std::size_t produced = 0;
    if (resampler_ && (resampling_ || std::fabs(rate - setup_.deviceRate) > 1e-6)) {
        resampling_ = true;
        const double ratio = std::clamp(setup_.deviceRate / rate, 1.0 / 256.0, 256.0);
        produced = resample(scratch_.data(), frames, ratio);
    } else {
        produced = pull(scratch_.data(), frames);
    }
    mixToStereo(scratch_.data(), produced, stereoOut, vol0, vol1, pan0, pan1);

    const bool ended = endedGeneration_.load(std::memory_order_acquire) == renderGeneration_;
    stalled_.store(produced < frames && !ended, std::memory_order_relaxed);
    const bool fadedOut = volume_.target() < 0.0f && volume_.settledAt(end);
    if ((produced < frames && sourceEnded() && sourceFrames_ == 0) || fadedOut) {
        int playing = Playing;
        state_.compare_exchange_strong(playing, Stopped, std::memory_order_acq_rel);
    }
}

// ---- control thread -------------------------------------------------------------------------

double Channel::effectiveRate(std::int64_t frame) const {
    const double freq = freq_.valueAt(frame);
    return freq <= 0.0 ? static_cast<double>(rate_) : std::clamp(freq, minRate, maxRate);
}

double Channel::latencySourceFrames(std::int64_t latencyDeviceFrames) const {
    return static_cast<double>(latencyDeviceFrames) * static_cast<double>(rate_) / setup_.deviceRate;
}

bool Channel::play(bool restart) {
    const bool finished = !loops_ && endedGeneration_.load(std::memory_order_acquire) ==
                                         generation_.load(std::memory_order_acquire);
    if (restart || (finished && state_.load() == Stopped))
        requestSeek(0);
    state_.store(Playing, std::memory_order_release);
    return true;
}

bool Channel::pause() {
    int playing = Playing;
    return state_.compare_exchange_strong(playing, Paused, std::memory_order_acq_rel);
}

bool Channel::stop(std::int64_t latencyDeviceFrames) {
    // Playback resumes from what was last heard; the queued audio and the effects' state go.
    const std::int64_t heard = positionBytes(latencyDeviceFrames) / bytesPerFrame();
    state_.store(Stopped, std::memory_order_release);
    requestSeek(heard);
    return true;
}

std::uint32_t Channel::activity() const {
    switch (state_.load(std::memory_order_acquire)) {
    case Playing:
        return stalled_.load(std::memory_order_relaxed) ? kActiveStalled : kActivePlaying;
    case Paused:
        return kActivePaused;
    default:
        return kActiveStopped;
    }
}

std::int64_t Channel::lengthBytes() const {
    return lengthFrames_ < 0 ? -1 : lengthFrames_ * bytesPerFrame();
}

std::int64_t Channel::positionBytes(std::int64_t latencyDeviceFrames) const {
    const std::uint64_t generation = generation_.load(std::memory_order_acquire);
    const std::int64_t start = generationFrame_.load(std::memory_order_relaxed);
    std::int64_t frame = start;
    if (consumedGeneration_.load(std::memory_order_acquire) == generation) {
        const auto latency = static_cast<std::int64_t>(latencySourceFrames(latencyDeviceFrames));
        // Until more than the output's latency has been consumed since the seek, the seek target
        // is what is heard; afterwards, what was consumed minus what is still queued.
        if (consumedSinceSeek_.load(std::memory_order_relaxed) > latency)
            frame = std::max<std::int64_t>(consumedFrame_.load(std::memory_order_relaxed) - latency, 0);
    }
    return frame * bytesPerFrame();
}

bool Channel::setPositionBytes(std::uint64_t bytes) {
    const auto frame = static_cast<std::int64_t>(std::min<std::uint64_t>(bytes / bytesPerFrame(), INT64_MAX));
    if (lengthFrames_ >= 0 && frame >= std::max<std::int64_t>(lengthFrames_, 1))
        return false;
    requestSeek(frame);
    return true;
}

double Channel::bytesToSeconds(std::int64_t bytes) const {
    if (bytes < 0)
        return -1.0;
    return static_cast<double>(bytes) / (static_cast<double>(rate_) * bytesPerFrame());
}

std::int64_t Channel::secondsToBytes(double seconds) const {
    if (!std::isfinite(seconds))
        return -1;
    return static_cast<std::int64_t>(std::floor(seconds * rate_)) * bytesPerFrame();
}

bool Channel::setAttribute(std::uint32_t attribute, float value, std::int64_t nowFrame) {
    switch (attribute) {
    case kAttribVol:
        if (!(value >= 0.0f))
            return false;
        volume_.set(value, nowFrame);
        return true;
    case kAttribPan:
        if (!(value >= -1.0f && value <= 1.0f))
            return false;
        pan_.set(value, nowFrame);
        return true;
    case kAttribFreq:
        if (!(value == 0.0f || (value >= minRate && value <= maxRate)))
            return false;
        freq_.set(value, nowFrame);
        return true;
    default:
        return false;
    }
}

bool Channel::slideAttribute(std::uint32_t attribute, float value, std::uint32_t ms, std::int64_t nowFrame) {
    const auto duration = static_cast<std::int64_t>(ms) * setup_.deviceRate / 1000;
    switch (attribute) {
    case kAttribVol: // a negative target fades out and then stops the channel
        if (!std::isfinite(value))
            return false;
        volume_.slideTo(value < 0.0f ? -1.0f : value, nowFrame, duration);
        return true;
    case kAttribPan:
        if (!std::isfinite(value))
            return false;
        pan_.slideTo(std::clamp(value, -1.0f, 1.0f), nowFrame, duration);
        return true;
    case kAttribFreq:
        if (!(value >= minRate && value <= maxRate))
            return false;
        if (freq_.valueAt(nowFrame) <= 0.0f)
            freq_.set(static_cast<float>(rate_), nowFrame);
        freq_.slideTo(value, nowFrame, duration);
        return true;
    default:
        return false;
    }
}

std::optional<float> Channel::attribute(std::uint32_t attribute, std::int64_t nowFrame) const {
    switch (attribute) {
    case kAttribVol:
        return std::max(volume_.valueAt(nowFrame), 0.0f);
    case kAttribPan:
        return std::clamp(pan_.valueAt(nowFrame), -1.0f, 1.0f);
    case kAttribFreq:
        return static_cast<float>(effectiveRate(nowFrame));
    default:
        return std::nullopt;
    }
}

void Channel::heardSpectrum(Spectrum& fft, float* out, std::int64_t latencyDeviceFrames) {
    const std::int64_t end = historyWritten_.load(std::memory_order_acquire) -
                             static_cast<std::int64_t>(latencySourceFrames(latencyDeviceFrames));
    if (end != spectrumEnd_) {
        std::array<float, Spectrum::size> heard{};
        for (std::size_t i = 0; i < heard.size(); ++i) {
            const std::int64_t index =
                end - static_cast<std::int64_t>(heard.size()) + static_cast<std::int64_t>(i);
            heard[i] = index < 0 ? 0.0f
                                 : history_[static_cast<std::size_t>(index) % historyFrames].load(
                                       std::memory_order_relaxed);
        }
        fft.magnitudes(heard.data(), spectrum_.data());
        spectrumEnd_ = end;
    }
    std::copy(spectrum_.begin(), spectrum_.end(), out);
}

const TagFields& Channel::tags() {
    if (!tags_)
        tags_ = readTagFields(setup_.path, setup_.music ? &musicTags_ : nullptr);
    return *tags_;
}

} // namespace orvu::engine
