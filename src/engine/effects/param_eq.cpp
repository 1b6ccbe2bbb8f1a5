// Purpose: one parametric-equalizer band: a peaking biquad (cookbook design), bandwidth in semitones.
#include "engine/effects/param_eq.h"

#include "engine/effects/parameters.h"
#include "engine/effects/ramp.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orvu::engine::fx {
namespace {

// During a glide the coefficients are recomputed every this many frames.
constexpr std::size_t stepFrames = 16;

// Frames a run of more than two bands takes at a time: the double buffer between its passes (4 KiB)
// lives on the callback's stack.
constexpr std::size_t chunkFrames = 256;

// Two doubles (one band's left and right), SSE2 on every x86-64.
using D2 = double __attribute__((vector_size(16)));

D2 splat(double x) {
    return D2{x, x};
}

D2 load2(const double* p) {
    D2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

D2 load2(const float* p) {
    return D2{p[0], p[1]};
}

void store2(double* p, D2 v) {
    std::memcpy(p, &v, sizeof v);
}

void store2(float* p, D2 v) {
    p[0] = static_cast<float>(v[0]);
    p[1] = static_cast<float>(v[1]);
}

D2 flushTiny2(D2 v) {
    return D2{flushTiny(v[0]), flushTiny(v[1])};
}

} // namespace

// `Bands` adjacent bands over stereo frames, left and right in one vector, from `in` to `out` (which
// may be the same buffer). Frame by frame, each band takes what the one before it produced. A band's
// recursion waits on one multiply and one subtract per frame; two bands in one pass keep two such
// chains in flight, which the processor overlaps. More bands per pass measured no faster (three) or
// slower (five, ten): a frame's path through the cascade grows longer than the processor looks
// ahead, and the state outgrows the sixteen vector registers.
template <std::size_t Bands, class In, class Out>
void ParamEq::stereoPass(ParamEq* const* bands, const In* in, Out* out, std::size_t frames) {
    D2 g[Bands], a1[Bands], a2[Bands], x1[Bands], x2[Bands], w1[Bands], w2[Bands];
    for (std::size_t k = 0; k < Bands; ++k) {
        const ParamEq& band = *bands[k];
        g[k] = splat(band.c_.g);
        a1[k] = splat(band.c_.a1);
        a2[k] = splat(band.c_.a2);
        x1[k] = load2(band.memory_.x1.data());
        x2[k] = load2(band.memory_.x2.data());
        w1[k] = load2(band.memory_.w1.data());
        w2[k] = load2(band.memory_.w2.data());
    }
    for (std::size_t n = 0; n < frames; ++n) {
        D2 x = load2(in + 2 * n);
        // Unrolled, so every band's coefficients and memories stay in registers.
#pragma GCC unroll 4
        for (std::size_t k = 0; k < Bands; ++k) {
            // The recursive term last, so each frame waits on one multiply-subtract of the previous.
            const D2 w = (g[k] * (x - x2[k]) - a2[k] * w2[k]) - a1[k] * w1[k];
            x2[k] = x1[k];
            x1[k] = x;
            w2[k] = w1[k];
            w1[k] = w;
            x += w;
        }
        store2(out + 2 * n, x);
    }
    for (std::size_t k = 0; k < Bands; ++k) {
        Memory& m = bands[k]->memory_;
        store2(m.x1.data(), x1[k]);
        store2(m.x2.data(), x2[k]);
        store2(m.w1.data(), flushTiny2(w1[k]));
        store2(m.w2.data(), flushTiny2(w2[k]));
    }
}

bool ParamEq::accept(Record& record, int rate) {
    if (!isValid(record))
        return false;
    record.fCenter = std::min(record.fCenter, maxParamEqCentre(rate));
    return true;
}

ParamEq::ParamEq(int rate, int channels, const Record& initial)
    : rate_(rate)
    , channels_(std::clamp(channels, 1, maxChannels))
    , glideSteps_(std::max(1, glideFrames(rate) / static_cast<int>(stepFrames))) {
    Record record = initial;
    accept(record, rate);
    from_ = to_ = shapeOf(record);
    step_ = glideSteps_;
    c_ = design(to_);
}

ParamEq::Shape ParamEq::shapeOf(const Record& record) {
    return {std::log(static_cast<double>(record.fCenter)), record.fBandwidth, record.fGain};
}

ParamEq::Coefficients ParamEq::design(const Shape& shape) const {
    const double w0 = 2.0 * M_PI * std::exp(shape.logCentre) / rate_;
    const double a = std::pow(10.0, shape.gain / 40.0);
    const double octaves = shape.bandwidth / 12.0;
    const double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2.0 * octaves * w0 / std::sin(w0));
    const double a0 = 1.0 + alpha / a;
    return {alpha * (a - 1.0 / a) / a0, -2.0 * std::cos(w0) / a0, (1.0 - alpha / a) / a0};
}

void ParamEq::setParameters(const Record& record) {
    Record accepted = record;
    if (!accept(accepted, static_cast<int>(rate_)))
        return;
    const Shape target = shapeOf(accepted);
    if (!heard_) {
        from_ = to_ = target;
        step_ = glideSteps_;
        c_ = design(to_);
        return;
    }
    // Start from where the current glide has got to.
    const double t = static_cast<double>(step_) / glideSteps_;
    from_ = {from_.logCentre + (to_.logCentre - from_.logCentre) * t,
             from_.bandwidth + (to_.bandwidth - from_.bandwidth) * t,
             from_.gain + (to_.gain - from_.gain) * t};
    to_ = target;
    step_ = 0;
    untilStep_ = 0;
}

void ParamEq::reset() {
    memory_ = {};
    heard_ = false;
    if (step_ < glideSteps_) {
        step_ = glideSteps_;
        c_ = design(to_);
    }
}

void ParamEq::process(float* samples, std::size_t frames) {
    if (frames == 0)
        return;
    heard_ = true;
    const auto channels = static_cast<std::size_t>(channels_);
    while (frames > 0) {
        std::size_t run = frames;
        if (step_ < glideSteps_) {
            if (untilStep_ == 0) {
                ++step_;
                const double t = static_cast<double>(step_) / glideSteps_;
                c_ = design({from_.logCentre + (to_.logCentre - from_.logCentre) * t,
                             from_.bandwidth + (to_.bandwidth - from_.bandwidth) * t,
                             from_.gain + (to_.gain - from_.gain) * t});
                untilStep_ = stepFrames;
            }
            run = std::min(run, untilStep_);
            untilStep_ -= run;
        }
        // At 0 dB the band is the identity (g = 0): once the memories show no transient left from an
        // earlier gain, skip the arithmetic but keep the memories as the filter would have them, so
        // a later gain change starts without a jump.
        if (step_ >= glideSteps_ && to_.gain == 0.0 && transientGone())
            passThrough(samples, run);
        else
            filter(samples, run);
        samples += run * channels;
        frames -= run;
    }
}

void ParamEq::filter(float* samples, std::size_t frames) {
    // Direct form I in its input-plus-resonance shape (see Coefficients): its memories are past
    // inputs and outputs (as w = y - x), the form that copes best with coefficients that change while
    // a glide runs.
    if (channels_ == 2) {
        ParamEq* self = this;
        stereoPass<1>(&self, samples, samples, frames);
        return;
    }
    const auto channels = static_cast<std::size_t>(channels_);
    const Coefficients c = c_;
    Memory& m = memory_;
    for (std::size_t ch = 0; ch < channels; ++ch) {
        double x1 = m.x1[ch], x2 = m.x2[ch], w1 = m.w1[ch], w2 = m.w2[ch];
        for (std::size_t i = 0; i < frames; ++i) {
            float& s = samples[i * channels + ch];
            const double x = s;
            const double w = (c.g * (x - x2) - c.a2 * w2) - c.a1 * w1;
            x2 = x1;
            x1 = x;
            w2 = w1;
            w1 = w;
            s = static_cast<float>(x + w);
        }
        m.x1[ch] = x1;
        m.x2[ch] = x2;
        m.w1[ch] = flushTiny(w1);
        m.w2[ch] = flushTiny(w2);
    }
}

bool ParamEq::fusable() const {
    return channels_ == 2 && step_ >= glideSteps_ && !(to_.gain == 0.0 && transientGone());
}

void ParamEq::processRun(ParamEq* const* bands, std::size_t count, float* samples, std::size_t frames) {
    if (frames == 0)
        return;
    for (std::size_t i = 0; i < count;) {
        if (!bands[i]->fusable()) {
            bands[i]->process(samples, frames);
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < count && bands[end]->fusable())
            ++end;
        cascade(bands + i, end - i, samples, frames);
        i = end;
    }
}

void ParamEq::cascade(ParamEq* const* bands, std::size_t count, float* samples, std::size_t frames) {
    for (std::size_t k = 0; k < count; ++k)
        bands[k]->heard_ = true;
    if (count <= 2) {
        if (count == 2)
            stereoPass<2>(bands, samples, samples, frames);
        else
            stereoPass<1>(bands, samples, samples, frames);
        return;
    }
    // Pairs of bands, the signal in double from the first pair's input to the last pair's output.
    alignas(16) double between[2 * chunkFrames];
    for (std::size_t done = 0; done < frames; done += chunkFrames) {
        const std::size_t n = std::min(chunkFrames, frames - done);
        float* chunk = samples + 2 * done;
        stereoPass<2>(bands, chunk, between, n);
        std::size_t k = 2;
        for (; count - k > 2; k += 2)
            stereoPass<2>(bands + k, between, between, n);
        if (count - k == 2)
            stereoPass<2>(bands + k, between, chunk, n);
        else
            stereoPass<1>(bands + k, between, chunk, n);
    }
}

bool ParamEq::transientGone() const {
    for (std::size_t ch = 0; ch < static_cast<std::size_t>(channels_); ++ch) {
        if (std::fabs(memory_.w1[ch]) + std::fabs(memory_.w2[ch]) > 1e-9)
            return false;
    }
    return true;
}

void ParamEq::passThrough(const float* samples, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(channels_);
    Memory& m = memory_;
    for (std::size_t ch = 0; ch < channels; ++ch) {
        m.x2[ch] = frames >= 2 ? samples[(frames - 2) * channels + ch] : m.x1[ch];
        m.x1[ch] = samples[(frames - 1) * channels + ch];
        m.w1[ch] = 0.0;
        m.w2[ch] = 0.0;
    }
}

} // namespace orvu::engine::fx
