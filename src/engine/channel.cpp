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

// A damaged float file can hold NaN and infinite samples: they would reach the device and poison the
// effects' feedback state for good, so they become silence as they leave the decoder.
void silenceNonFinite(float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(samples[i]))
            samples[i] = 0.0f;
}

void deleteResampler(SRC_STATE_tag* state) {
    src_delete(state);
}

// A generation and a pass through the source, packed so one atomic carries both.
std::uint64_t passMark(std::uint64_t generation, std::uint32_t pass) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(generation)) << 32) | pass;
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
    , fadeFrames_(std::clamp<std::size_t>(static_cast<std::size_t>(setup_.deviceRate) * fadeMs / 1000, 1,
                                          maxRenderFrames))
    , tail_(2 * fadeFrames_)
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

// ---- decode thread --------------------------------------------------------------------------

void Channel::decodeLoop() {
    std::uint64_t generation = ~0ull;
    std::int64_t next = 0;
    std::uint32_t pass = 0;   // loops completed in this generation
    bool dry = false;         // nothing more to decode for this generation
    bool decodedPass = false; // this pass through the file produced audio, so looping makes sense
    const auto announce = [this] {
        decodeProgress_.fetch_add(1, std::memory_order_release);
        decodeProgress_.notify_all();
    };
    const auto runDry = [&] {
        dry = true;
        endedMark_.store(passMark(generation, pass), std::memory_order_release);
        announce();
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
            pass = 0;
            dry = false;
            if (decoder_->seek(next)) {
                next = decoder_->seekLanded(next);
                decodedPass = next > 0;
            } else {
                passEndMark_.store(passMark(generation, pass), std::memory_order_release);
                runDry();
            }
        }
        DecodedBlock* block = dry ? nullptr : ring_.beginWrite();
        if (block == nullptr) {
            ring_.waitForWake(wake);
            continue;
        }

        const auto started = std::chrono::steady_clock::now();
        const std::size_t frames = decoder_->read(block->samples, ring_.blockFrames());
        silenceNonFinite(block->samples,
                         std::min(frames, ring_.blockFrames()) * static_cast<std::size_t>(channels_));
        if (setup_.cpuNanos)
            setup_.cpuNanos->fetch_add(nanosSince(started), std::memory_order_relaxed);

        if (frames == 0) {
            // The real end of this pass (end of the file, or a decode error it cannot get past): loop
            // from the start when the pass gave any audio, otherwise the file has nothing more to play.
            // Whether a loop is heard is the output callback's choice: a queued channel takes over there.
            passEndMark_.store(passMark(generation, pass), std::memory_order_release);
            if (loops_ && decodedPass && decoder_->seek(0)) {
                next = decoder_->seekLanded(0);
                ++pass;
                decodedPass = false;
                continue;
            }
            runDry();
            continue;
        }
        decodedPass = true;
        block->generation = generation;
        block->pass = pass;
        block->startFrame = next;
        block->frames = std::min(frames, ring_.blockFrames());
        next += static_cast<std::int64_t>(block->frames);
        ring_.commitWrite();
        announce();
    }
}

// ---- output callback ------------------------------------------------------------------------

Channel::Handover Channel::render(float* stereoOut, std::size_t frames, std::int64_t nowFrame) {
    frames = std::min(frames, maxRenderFrames);
    std::size_t skip = 0;
    if (nowFrame < renderedUpTo_) { // it took over from another channel earlier in this chunk
        skip = static_cast<std::size_t>(renderedUpTo_ - nowFrame);
        if (skip >= frames)
            return {};
        stereoOut += 2 * skip;
        frames -= skip;
        nowFrame += static_cast<std::int64_t>(skip);
    }
    queuedNext_ = next_.load(std::memory_order_seq_cst);
    const bool dying = dying_.load(std::memory_order_seq_cst);
    const bool playing = !dying && state_.load(std::memory_order_acquire) == Playing;
    const bool seekAsked = requestGeneration_.load(std::memory_order_acquire) != renderGeneration_;
    if (sounding_ && (!playing || seekAsked))
        fadeOut(nowFrame);
    if (seekAsked)
        commitSeek();
    const bool tail = mixTail(stereoOut, frames) > 0;
    Handover handover = playing ? playOn(stereoOut, frames, nowFrame) : Handover{};
    handover.at += skip;
    if (playing || tail)
        renderedUpTo_ = nowFrame + static_cast<std::int64_t>(frames);
    if (!sounding_ && tailLength_ == 0) {
        if (audible_.load(std::memory_order_relaxed))
            audible_.store(false, std::memory_order_seq_cst);
        if (dying)
            faded_.store(true, std::memory_order_release);
    }
    return handover;
}

// Starts sounding. A channel being freed never starts: either the control thread sees it audible and
// lets it fade, or this sees it dying (both accesses are sequentially consistent).
bool Channel::start() {
    audible_.store(true, std::memory_order_seq_cst);
    if (dying_.load(std::memory_order_seq_cst))
        return false;
    sounding_ = true;
    const bool fresh = !everSounded_ && generationFrame_.load(std::memory_order_relaxed) == 0;
    fadeInDone_ = fresh || gaplessStart_ ? fadeFrames_ : 0;
    everSounded_ = true;
    gaplessStart_ = false;
    return true;
}

float Channel::fadeInGain() const {
    return Ramp{fadeInDone_, fadeInDone_ < fadeFrames_ ? fadeFrames_ : 0, false, 1.0f}.gain(0);
}

float Channel::Ramp::gain(std::size_t frame) const {
    if (length == 0)
        return scale;
    const std::size_t k = done + frame + (falling ? 1 : 0);
    if (k >= length)
        return falling ? 0.0f : scale;
    const float rise =
        0.5f -
        0.5f * static_cast<float>(std::cos(M_PI * static_cast<double>(k) / static_cast<double>(length)));
    return scale * (falling ? 1.0f - rise : rise);
}

// Renders the next few milliseconds into the tail with a falling ramp, from the level the channel is at
// (part way up a fade-in, say); the channel then falls silent. What remains of an earlier tail is kept.
void Channel::fadeOut(std::int64_t nowFrame) {
    const std::size_t left = tailLength_ - tailRead_;
    std::memmove(tail_.data(), tail_.data() + 2 * tailRead_, 2 * left * sizeof(float));
    std::fill(tail_.begin() + static_cast<std::ptrdiff_t>(2 * left), tail_.end(), 0.0f);
    tailRead_ = 0;
    const Produced produced =
        renderAudio(tail_.data(), fadeFrames_, nowFrame, Ramp{0, fadeFrames_, true, fadeInGain()});
    tailLength_ = std::max(left, produced.frames);
    sounding_ = false;
}

std::size_t Channel::mixTail(float* stereoOut, std::size_t frames) {
    const std::size_t count = std::min(frames, tailLength_ - tailRead_);
    const float* tail = tail_.data() + 2 * tailRead_;
    for (std::size_t i = 0; i < 2 * count; ++i)
        stereoOut[i] += tail[i];
    tailRead_ += count;
    if (tailRead_ == tailLength_)
        tailRead_ = tailLength_ = 0;
    return count;
}

// Takes over the request: the decode thread starts on it, and everything that belonged to the audio
// before it (queued blocks, effect and resampler state, pass and timing counts) goes.
void Channel::commitSeek() {
    const std::uint64_t generation = requestGeneration_.load(std::memory_order_acquire);
    const std::int64_t frame = requestFrame_.load(std::memory_order_relaxed);
    generationFrame_.store(frame, std::memory_order_relaxed);
    generation_.store(generation, std::memory_order_release);
    ring_.wakeProducer();
    renderGeneration_ = generation;
    renderPass_ = 0;
    renderPassMark_.store(passMark(generation, 0), std::memory_order_release);
    blockOffset_ = 0;
    pulled_ = 0;
    outputSource_ = 0.0;
    passBase_ = 0.0;
    passFirstFrame_ = static_cast<double>(frame);
    landed_ = false;
    wrapCount_ = 0;
    effects_.reset();
    if (resampler_)
        src_reset(resampler_.get());
    resampling_ = false;
    sourceFrames_ = 0;
    dropStaleBlocks();
}

Channel::Handover Channel::playOn(float* stereoOut, std::size_t frames, std::int64_t nowFrame) {
    if (!sounding_ && !start())
        return {};
    const Ramp ramp{fadeInDone_, fadeInDone_ < fadeFrames_ ? fadeFrames_ : 0, false, 1.0f};
    const Produced produced = renderAudio(stereoOut, frames, nowFrame, ramp);
    fadeInDone_ = std::min(fadeFrames_, fadeInDone_ + produced.frames);
    stalled_.store(produced.frames < frames && !produced.ended, std::memory_order_relaxed);
    if (produced.ended)
        return finish(nowFrame + static_cast<std::int64_t>(produced.frames), produced.frames);
    const bool fadedOut =
        volume_.target() < 0.0f && volume_.settledAt(nowFrame + static_cast<std::int64_t>(frames));
    if (fadedOut) { // silent already: no fade needed
        int playing = Playing;
        state_.compare_exchange_strong(playing, Stopped, std::memory_order_acq_rel);
        sounding_ = false;
    }
    return {};
}

// The source ended at device frame endFrame, `at` frames into this render: the pass counts once heard,
// and a queued channel takes over from that frame.
Channel::Handover Channel::finish(std::int64_t endFrame, std::size_t at) {
    passEnds_.append(endFrame);
    finishedGeneration_.store(renderGeneration_, std::memory_order_release);
    int playing = Playing;
    state_.compare_exchange_strong(playing, Stopped, std::memory_order_acq_rel);
    sounding_ = false;
    Channel* next = queuedNext_;
    if (next == nullptr || !next_.compare_exchange_strong(next, nullptr, std::memory_order_seq_cst))
        return {};
    next->gaplessStart_ = true;
    if (resamplerToNext_) {
        std::swap(resampler_, next->resampler_);
        next->resampling_ = true;
        src_reset(resampler_.get());
    }
    next->state_.store(Playing, std::memory_order_release);
    return {next, at};
}

Channel::Produced Channel::renderAudio(float* stereoOut, std::size_t frames, std::int64_t nowFrame,
                                       const Ramp& ramp) {
    const double rate = effectiveRate(nowFrame);
    Produced produced;
    double ratio = 1.0; // source frames a device frame
    resamplerToNext_ = false;
    if (resampler_ && (resampling_ || std::fabs(rate - setup_.deviceRate) > 1e-6)) {
        resampling_ = true;
        const double conversion = std::clamp(setup_.deviceRate / rate, 1.0 / 256.0, 256.0);
        ratio = 1.0 / conversion;
        resamplerToNext_ = queuedNext_ != nullptr && resamplesLike(*queuedNext_, nowFrame);
        produced.frames = resample(scratch_.data(), frames, conversion);
        produced.ended = produced.frames < frames && sourceFrames_ == 0 && sourceEnded();
    } else {
        produced.frames = pull(scratch_.data(), frames);
        // Looking ahead at a full render finds an end (or a loop's wrap) that falls right after it.
        produced.ended = !ramp.falling && endsHere();
    }
    recordOutput(nowFrame, produced.frames, ratio);

    const auto end = nowFrame + static_cast<std::int64_t>(frames);
    const float vol0 = std::max(volume_.valueAt(nowFrame), 0.0f);
    const float vol1 = std::max(volume_.valueAt(end), 0.0f);
    const float pan0 = std::clamp(pan_.valueAt(nowFrame), -1.0f, 1.0f);
    const float pan1 = std::clamp(pan_.valueAt(end), -1.0f, 1.0f);
    Ramp heard = ramp;
    if (heard.falling)
        heard.length = produced.frames; // the fade ends at silence even when the source gave less
    mixToStereo(scratch_.data(), produced.frames, stereoOut, vol0, vol1, pan0, pan1, heard);
    return produced;
}

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
        endedMark_.load(std::memory_order_acquire) == passMark(renderGeneration_, renderPass_))
        return false;
    decodeProgress_.wait(seenProgress, std::memory_order_acquire);
    return true;
}

// A block of a later pass is a loop's wrap: with a channel queued to follow, the source ends there
// instead.
void Channel::beginPass(std::uint32_t pass) {
    renderPass_ = pass;
    renderPassMark_.store(passMark(renderGeneration_, pass), std::memory_order_release);
    if (wrapCount_ < wraps_.size())
        wraps_[wrapCount_++] = pulled_;
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
        if (block->pass != renderPass_) {
            if (queuedNext_ != nullptr)
                break;
            beginPass(block->pass);
        }
        if (!landed_) { // where the decoder's seek landed
            landed_ = true;
            passFirstFrame_ =
                static_cast<double>(block->startFrame + static_cast<std::int64_t>(blockOffset_));
        }
        const std::size_t take = std::min(block->frames - blockOffset_, frames - done);
        float* destination = out + done * channels;
        std::memcpy(destination, block->samples + blockOffset_ * channels, take * channels * sizeof(float));
        effects_.process(destination, take, channels_);
        recordHistory(destination, take);
        blockOffset_ += take;
        done += take;
        pulled_ += static_cast<std::int64_t>(take);
        if (blockOffset_ == block->frames) {
            ring_.popFront();
            blockOffset_ = 0;
        }
    }
    return done;
}

bool Channel::resamplesLike(Channel& other, std::int64_t frame) const {
    return other.resampler_ && other.channels_ == channels_ && other.setup_.deviceRate == setup_.deviceRate &&
           std::fabs(other.effectiveRate(frame) - effectiveRate(frame)) < 1e-6;
}

bool Channel::sourceEnded() {
    // The end mark is published after the last block, so a dry decoder with an empty ring has nothing
    // more to come. An empty ring alone is only an underrun.
    const bool dry = endedMark_.load(std::memory_order_acquire) == passMark(renderGeneration_, renderPass_);
    const DecodedBlock* block = ring_.front();
    if (block == nullptr)
        return dry;
    return block->generation == renderGeneration_ && block->pass != renderPass_ && queuedNext_ != nullptr;
}

// After a render that took all it asked for: whether the source ends right there. A loop's wrap found
// there is taken at once, so its pass counts from this very frame. Manual rendering waits for the
// decoder's answer; a device never waits and finds the end one render later.
bool Channel::endsHere() {
    for (;;) {
        const std::uint32_t progress = decodeProgress_.load(std::memory_order_acquire);
        const bool dry =
            endedMark_.load(std::memory_order_acquire) == passMark(renderGeneration_, renderPass_);
        const DecodedBlock* block = ring_.front();
        if (block != nullptr && block->generation != renderGeneration_) {
            ring_.popFront();
            blockOffset_ = 0;
            continue;
        }
        if (block != nullptr) {
            if (block->pass == renderPass_)
                return false;
            if (queuedNext_ != nullptr)
                return true;
            beginPass(block->pass);
            return false;
        }
        if (dry)
            return true;
        if (!waitForDecoded(progress))
            return false;
    }
}

// Records where the output stood: one timing segment for each stretch without a loop's wrap, and the
// device frame of each wrap played out.
void Channel::recordOutput(std::int64_t deviceFrame, std::size_t frames, double ratio) {
    while (wrapCount_ > 0) {
        const double until = (static_cast<double>(wraps_[0]) - outputSource_) / ratio;
        if (until > static_cast<double>(frames))
            break;
        const auto before =
            static_cast<std::size_t>(std::clamp(std::ceil(until), 0.0, static_cast<double>(frames)));
        appendSegment(deviceFrame, before, ratio);
        deviceFrame += static_cast<std::int64_t>(before);
        frames -= before;
        passEnds_.append(deviceFrame);
        passBase_ = static_cast<double>(wraps_[0]);
        passFirstFrame_ = 0.0;
        std::copy(wraps_.begin() + 1, wraps_.begin() + static_cast<std::ptrdiff_t>(wrapCount_),
                  wraps_.begin());
        --wrapCount_;
    }
    appendSegment(deviceFrame, frames, ratio);
}

void Channel::appendSegment(std::int64_t deviceFrame, std::size_t frames, double ratio) {
    if (frames == 0)
        return;
    timing_.append({deviceFrame, passFirstFrame_ + outputSource_ - passBase_, ratio,
                    static_cast<std::int64_t>(frames), renderGeneration_});
    outputSource_ += ratio * static_cast<double>(frames);
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
        // At the real end the converter flushes what it holds, unless the next channel goes on with it.
        data.end_of_input = sourceFrames_ == 0 && sourceEnded() && !resamplerToNext_ ? 1 : 0;
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
                          float pan0, float pan1, const Ramp& ramp) const {
    const auto channels = static_cast<std::size_t>(channels_);
    const float step = frames > 1 ? 1.0f / static_cast<float>(frames) : 0.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) * step;
        const float volume = (vol0 + (vol1 - vol0) * t) * ramp.gain(i);
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

// ---- control thread -------------------------------------------------------------------------

double Channel::effectiveRate(std::int64_t frame) const {
    const double freq = freq_.valueAt(frame);
    return freq <= 0.0 ? static_cast<double>(rate_) : std::clamp(freq, minRate, maxRate);
}

double Channel::latencySourceFrames(std::int64_t latencyDeviceFrames) const {
    return static_cast<double>(latencyDeviceFrames) * static_cast<double>(rate_) / setup_.deviceRate;
}

void Channel::requestSeek(std::int64_t frame) {
    requestFrame_.store(frame, std::memory_order_relaxed);
    requestGeneration_.fetch_add(1, std::memory_order_release);
}

bool Channel::play(bool restart) {
    const bool finished = finishedGeneration_.load(std::memory_order_acquire) ==
                          requestGeneration_.load(std::memory_order_relaxed);
    if (restart || (finished && state_.load(std::memory_order_acquire) == Stopped))
        requestSeek(0);
    state_.store(Playing, std::memory_order_release);
    return true;
}

bool Channel::pause() {
    int playing = Playing;
    return state_.compare_exchange_strong(playing, Paused, std::memory_order_acq_rel);
}

bool Channel::stop(std::int64_t heard) {
    // Playback resumes from what was last heard; the queued audio and the effects' state go.
    const std::int64_t frame = heardFrame(heard);
    state_.store(Stopped, std::memory_order_release);
    requestSeek(frame);
    return true;
}

void Channel::forgetNext(Channel* gone) {
    Channel* expected = gone;
    next_.compare_exchange_strong(expected, nullptr, std::memory_order_seq_cst);
}

bool Channel::beginDying() {
    next_.store(nullptr, std::memory_order_seq_cst);
    dying_.store(true, std::memory_order_seq_cst);
    return audible_.load(std::memory_order_seq_cst);
}

bool Channel::decodeEnded() const {
    const auto generation = static_cast<std::uint32_t>(requestGeneration_.load(std::memory_order_acquire));
    const std::uint64_t end = passEndMark_.load(std::memory_order_acquire);
    if (static_cast<std::uint32_t>(end >> 32) != generation)
        return false;
    const std::uint64_t rendering = renderPassMark_.load(std::memory_order_acquire);
    const std::uint32_t pass =
        static_cast<std::uint32_t>(rendering >> 32) == generation ? static_cast<std::uint32_t>(rendering) : 0;
    return static_cast<std::uint32_t>(end) >= pass;
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

// The source frame heard at device frame `heard`: the seek target until the first audio from it is
// heard, then where the timing of the rendered audio puts it.
std::int64_t Channel::heardFrame(std::int64_t heard) const {
    const std::uint64_t generation = requestGeneration_.load(std::memory_order_acquire);
    const std::int64_t target = requestFrame_.load(std::memory_order_relaxed);
    const std::optional<double> source = timing_.sourceAt(heard, generation);
    return source ? std::max<std::int64_t>(static_cast<std::int64_t>(std::floor(*source)), 0) : target;
}

std::int64_t Channel::positionBytes(std::int64_t heard) const {
    return heardFrame(heard) * bytesPerFrame();
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
