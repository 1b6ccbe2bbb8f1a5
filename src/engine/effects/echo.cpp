// Purpose: the echo: a feedback delay per channel with an energy-normalised input and a wet/dry
// crossfade; with pan delay the channels feed each other, so echoes alternate sides.
#include "engine/effects/echo.h"

#include "engine/effects/parameters.h"
#include "engine/effects/simd.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace orvu::engine::fx {

bool Echo::accept(Record& record, int /*rate*/) {
    return isValid(record);
}

Echo::Echo(int rate, int channels, const Record& initial)
    : rate_(rate)
    , channels_(static_cast<std::size_t>(std::clamp(channels, 1, maxChannels)))
    , size_(std::bit_ceil(static_cast<std::size_t>(std::ceil(maxDelayMs * rate / 1000.0)) + 2)) {
    lines_.assign(size_ * channels_, 0.0f);
    aim(initial, false);
}

void Echo::setParameters(const Record& record) {
    if (isValid(record))
        aim(record, heard_);
}

void Echo::aim(const Record& record, bool glide) {
    const int frames = glide ? glideFrames(static_cast<int>(rate_)) : 0;
    const float feedback = record.fFeedback / 100.0f;
    wet_.glideTo(record.fWetDryMix / 100.0f, frames);
    feedback_.glideTo(feedback, frames);
    // The input is scaled so the whole train of echoes carries the energy of one echo at full level.
    inputGain_.glideTo(std::sqrt(std::max(0.0f, 1.0f - feedback * feedback)), frames);

    const auto delayOf = [&](std::size_t line) {
        const double ms = (line % 2 == 0 || channels_ == 1) ? record.fLeftDelay : record.fRightDelay;
        return std::clamp<std::size_t>(static_cast<std::size_t>(std::lround(ms * rate_ / 1000.0)), 1,
                                       size_ - 1);
    };
    std::array<Tap, maxChannels> taps{};
    for (std::size_t ch = 0; ch < channels_; ++ch) {
        // Pan delay: each side reads (and feeds back) its partner's line at the partner's delay.
        const std::size_t partner = (ch ^ 1u) < channels_ ? (ch ^ 1u) : ch;
        const std::size_t line = record.lPanDelay != 0 ? partner : ch;
        taps[ch] = {line, delayOf(line)};
    }
    oldTaps_ = glide ? taps_ : taps;
    taps_ = taps;
    fade_.snap(glide ? 0.0f : 1.0f);
    fade_.glideTo(1.0f, frames);
}

void Echo::reset() {
    std::fill(lines_.begin(), lines_.end(), 0.0f);
    write_ = 0;
    wet_.snap(wet_.target());
    feedback_.snap(feedback_.target());
    inputGain_.snap(inputGain_.target());
    oldTaps_ = taps_;
    fade_.snap(1.0f);
    heard_ = false;
}

void Echo::process(float* samples, std::size_t frames) {
    if (frames == 0)
        return;
    heard_ = true;
    while (frames > 0) {
        const auto gliding = static_cast<std::size_t>(
            std::max({wet_.remaining(), feedback_.remaining(), inputGain_.remaining(), fade_.remaining()}));
        const std::size_t run =
            gliding > 0 ? processGliding(samples, std::min(frames, gliding)) : processSteady(samples, frames);
        samples += run * channels_;
        frames -= run;
    }
}

std::size_t Echo::processSteady(float* samples, std::size_t frames) {
    // One stretch: no ring wraps inside it, and it is no longer than any tap's delay, so no frame of it
    // reads what another frame of it writes and four frames can go at once.
    std::size_t run = std::min(frames, size_ - write_);
    std::array<const float*, maxChannels> read{};
    for (std::size_t ch = 0; ch < channels_; ++ch) {
        const Tap& tap = taps_[ch];
        const std::size_t from = (write_ - tap.delay) & (size_ - 1);
        run = std::min({run, tap.delay, size_ - from});
        read[ch] = lines_.data() + tap.line * size_ + from;
    }
    const float wet = wet_.value();
    const float feedback = feedback_.value();
    const float inputGain = inputGain_.value();
    float* line = lines_.data() + write_;
    std::size_t i = 0;
    if (channels_ == 2) {
        const float* readLeft = read[0];
        const float* readRight = read[1];
        float* left = line;
        float* right = line + size_;
        for (; i + 4 <= run; i += 4) {
            float* s = samples + 2 * i;
            const F4 a = load4(s);
            const F4 b = load4(s + 4);
            const F4 x0 = __builtin_shuffle(a, b, I4{0, 2, 4, 6});
            const F4 x1 = __builtin_shuffle(a, b, I4{1, 3, 5, 7});
            const F4 d0 = load4(readLeft + i);
            const F4 d1 = load4(readRight + i);
            store4(left + i, flushTiny4(inputGain * x0 + feedback * d0));
            store4(right + i, flushTiny4(inputGain * x1 + feedback * d1));
            const F4 y0 = x0 + (d0 - x0) * wet;
            const F4 y1 = x1 + (d1 - x1) * wet;
            store4(s, __builtin_shuffle(y0, y1, I4{0, 4, 1, 5}));
            store4(s + 4, __builtin_shuffle(y0, y1, I4{2, 6, 3, 7}));
        }
    }
    for (float* s = samples + i * channels_; i < run; ++i, s += channels_) {
        std::array<float, maxChannels> delayed{};
        for (std::size_t ch = 0; ch < channels_; ++ch)
            delayed[ch] = read[ch][i];
        for (std::size_t ch = 0; ch < channels_; ++ch) {
            const float x = s[ch];
            const float d = delayed[ch];
            line[ch * size_ + i] = flushTiny(inputGain * x + feedback * d);
            s[ch] = x + (d - x) * wet;
        }
    }
    write_ = (write_ + run) & (size_ - 1);
    return run;
}

std::size_t Echo::processGliding(float* samples, std::size_t frames) {
    const std::size_t mask = size_ - 1;
    float* lines = lines_.data();
    std::array<float, maxChannels> delayed{};
    for (std::size_t i = 0; i < frames; ++i, samples += channels_) {
        const float wet = wet_.next();
        const float feedback = feedback_.next();
        const float inputGain = inputGain_.next();
        const bool fading = fade_.moving();
        const float t = fade_.next();
        for (std::size_t ch = 0; ch < channels_; ++ch) {
            const Tap& tap = taps_[ch];
            float d = lines[tap.line * size_ + ((write_ - tap.delay) & mask)];
            if (fading) {
                const Tap& old = oldTaps_[ch];
                const float before = lines[old.line * size_ + ((write_ - old.delay) & mask)];
                d = before + (d - before) * t;
            }
            delayed[ch] = d;
        }
        for (std::size_t ch = 0; ch < channels_; ++ch) {
            const float x = samples[ch];
            const float d = delayed[ch];
            lines[ch * size_ + write_] = flushTiny(inputGain * x + feedback * d);
            samples[ch] = x + (d - x) * wet; // (1 - wet)·x + wet·d
        }
        write_ = (write_ + 1) & mask;
    }
    return frames;
}

} // namespace orvu::engine::fx
