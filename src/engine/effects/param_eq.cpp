// Purpose: one parametric-equalizer band: a peaking biquad (cookbook design), bandwidth in semitones.
#include "engine/effects/param_eq.h"

#include "engine/effects/parameters.h"
#include "engine/effects/ramp.h"
#include "engine/effects/simd.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace orvu::engine::fx {
namespace {

// During a glide the coefficients are recomputed every this many frames.
constexpr std::size_t stepFrames = 16;

// Two doubles (one band's left and right), SSE2 on every x86-64.
using D2 = double __attribute__((vector_size(16)));

// Coefficients and memories of a fused run of stereo bands, band k's left and right side by side so
// each band is one two-lane vector.
struct Cascade {
    static constexpr std::size_t lanes = 2 * ParamEq::maxRun;
    alignas(16) std::array<double, lanes> b0{}, b1{}, b2{}, a1{}, a2{}, x1{}, x2{}, y1{}, y2{};

    // Band k on one stereo frame of doubles, in place: the same direct form I, in the same order, as
    // ParamEq::filter and the vector loop.
    void step(std::size_t band, double* frame) {
        for (std::size_t i = 2 * band, ch = 0; ch < 2; ++i, ++ch) {
            const double x = frame[ch];
            const double y = (b0[i] * x + b1[i] * x1[i] + b2[i] * x2[i] - a2[i] * y2[i]) - a1[i] * y1[i];
            x2[i] = x1[i];
            x1[i] = x;
            y2[i] = y1[i];
            y1[i] = y;
            frame[ch] = y;
        }
    }
    void step(std::size_t band, float* frame) {
        double f[2] = {frame[0], frame[1]};
        step(band, f);
        frame[0] = static_cast<float>(f[0]);
        frame[1] = static_cast<float>(f[1]);
    }
};

D2 loadD2(const double* p) {
    D2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void storeD2(double* p, D2 v) {
    std::memcpy(p, &v, sizeof v);
}

// Runs B bands over stereo frames in place. The bands form a wavefront: in each iteration band k
// works on frame n - k, taking as input what band k - 1 produced in the previous iteration, so the B
// recursions are independent within an iteration and the processor overlaps them, where a
// frame-by-frame cascade would wait on each band in turn. The triangles before and after the
// wavefront (band k's first B-1-k frames and its last k) are done frame by frame, so the block is
// complete when it returns: no latency. Between bands the signal stays in double, as within a band.
template <std::size_t B>
void runCascade(Cascade& c, float* samples, std::size_t frames) {
    constexpr std::size_t skew = B - 1;
    if (frames < B) {
        for (std::size_t n = 0; n < frames; ++n) {
            double frame[2] = {samples[2 * n], samples[2 * n + 1]};
            for (std::size_t k = 0; k < B; ++k)
                c.step(k, frame);
            samples[2 * n] = static_cast<float>(frame[0]);
            samples[2 * n + 1] = static_cast<float>(frame[1]);
        }
        return;
    }
    // The first triangle, kept in double: afterwards held[n] is band (skew - 1 - n)'s output at frame
    // n, the input band skew - n needs first.
    std::array<D2, B> held{};
    for (std::size_t n = 0; n < skew; ++n) {
        double frame[2] = {samples[2 * n], samples[2 * n + 1]};
        for (std::size_t k = 0; k < skew - n; ++k)
            c.step(k, frame);
        held[n] = D2{frame[0], frame[1]};
    }

    D2 b0[B], b1[B], b2[B], a1[B], a2[B], x1[B], x2[B], y1[B], y2[B], out[B];
#pragma GCC unroll 16
    for (std::size_t k = 0; k < B; ++k) {
        b0[k] = loadD2(&c.b0[2 * k]);
        b1[k] = loadD2(&c.b1[2 * k]);
        b2[k] = loadD2(&c.b2[2 * k]);
        a1[k] = loadD2(&c.a1[2 * k]);
        a2[k] = loadD2(&c.a2[2 * k]);
        x1[k] = loadD2(&c.x1[2 * k]);
        x2[k] = loadD2(&c.x2[2 * k]);
        y1[k] = loadD2(&c.y1[2 * k]);
        y2[k] = loadD2(&c.y2[2 * k]);
        out[k] = k < skew ? held[skew - 1 - k] : D2{}; // band k's output at frame skew - 1 - k
    }
    for (std::size_t n = 0; n + skew < frames; ++n) {
        const float* fresh = samples + 2 * (n + skew); // the first band's frame
        D2 in = D2{fresh[0], fresh[1]};
#pragma GCC unroll 16
        for (std::size_t k = 0; k < B; ++k) {
            const D2 y = (b0[k] * in + b1[k] * x1[k] + b2[k] * x2[k] - a2[k] * y2[k]) - a1[k] * y1[k];
            x2[k] = x1[k];
            x1[k] = in;
            y2[k] = y1[k];
            y1[k] = y;
            in = out[k]; // band k's previous output: band k + 1's input now
            out[k] = y;
        }
        samples[2 * n] = static_cast<float>(out[skew][0]); // the last band has finished frame n
        samples[2 * n + 1] = static_cast<float>(out[skew][1]);
    }
#pragma GCC unroll 16
    for (std::size_t k = 0; k < B; ++k) {
        storeD2(&c.x1[2 * k], x1[k]);
        storeD2(&c.x2[2 * k], x2[k]);
        storeD2(&c.y1[2 * k], y1[k]);
        storeD2(&c.y2[2 * k], y2[k]);
    }
    // The closing triangle: band k (below the last) has reached frame frames - 1 - k, and its output
    // there is the next band's first input; frame by frame, each frame goes through the bands left.
    for (std::size_t j = 0; j < skew; ++j) {
        const std::size_t n = frames - skew + j; // bands j + 1 … skew still to run on frame n
        const D2 from = out[skew - 1 - j];
        double frame[2] = {from[0], from[1]};
        for (std::size_t k = skew - j; k < B; ++k)
            c.step(k, frame);
        samples[2 * n] = static_cast<float>(frame[0]);
        samples[2 * n + 1] = static_cast<float>(frame[1]);
    }
}

template <std::size_t... Index>
constexpr auto cascadeKernels(std::index_sequence<Index...>) {
    return std::array<void (*)(Cascade&, float*, std::size_t), sizeof...(Index)>{&runCascade<Index + 1>...};
}

// runCascade for 1 … maxRun bands.
constexpr auto kernels = cascadeKernels(std::make_index_sequence<ParamEq::maxRun>{});

} // namespace

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
    return {(1.0 + alpha * a) / a0, -2.0 * std::cos(w0) / a0, (1.0 - alpha * a) / a0,
            -2.0 * std::cos(w0) / a0, (1.0 - alpha / a) / a0};
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
        // At 0 dB the band is the identity: once the memories show no transient left from an
        // earlier gain, skip the arithmetic (and its rounding) but keep the memories as the filter
        // would have them, so a later gain change starts without a jump.
        if (step_ >= glideSteps_ && to_.gain == 0.0 && transientGone())
            passThrough(samples, run);
        else
            filter(samples, run);
        samples += run * channels;
        frames -= run;
    }
}

void ParamEq::filter(float* samples, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(channels_);
    const Coefficients c = c_;
    // Direct form I: it copes best with coefficients that change while a glide runs. The recursive
    // terms come last so each sample waits on one multiply-add of the previous output.
    const auto run = [&](Memory& m, float* s, std::size_t stride) {
        double x1 = m.x1, x2 = m.x2, y1 = m.y1, y2 = m.y2;
        for (std::size_t i = 0; i < frames; ++i) {
            const double x = s[i * stride];
            const double y = (c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a2 * y2) - c.a1 * y1;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            s[i * stride] = static_cast<float>(y);
        }
        m = {x1, x2, flushTiny(y1), flushTiny(y2)};
    };
    if (channels == 2) {
        // Both sides in one loop: two independent recursions keep the processor busy.
        Memory& l = memory_[0];
        Memory& r = memory_[1];
        double lx1 = l.x1, lx2 = l.x2, ly1 = l.y1, ly2 = l.y2;
        double rx1 = r.x1, rx2 = r.x2, ry1 = r.y1, ry2 = r.y2;
        for (std::size_t i = 0; i < frames; ++i) {
            const double lx = samples[2 * i];
            const double rx = samples[2 * i + 1];
            const double ly = (c.b0 * lx + c.b1 * lx1 + c.b2 * lx2 - c.a2 * ly2) - c.a1 * ly1;
            const double ry = (c.b0 * rx + c.b1 * rx1 + c.b2 * rx2 - c.a2 * ry2) - c.a1 * ry1;
            lx2 = lx1;
            lx1 = lx;
            ly2 = ly1;
            ly1 = ly;
            rx2 = rx1;
            rx1 = rx;
            ry2 = ry1;
            ry1 = ry;
            samples[2 * i] = static_cast<float>(ly);
            samples[2 * i + 1] = static_cast<float>(ry);
        }
        l = {lx1, lx2, flushTiny(ly1), flushTiny(ly2)};
        r = {rx1, rx2, flushTiny(ry1), flushTiny(ry2)};
        return;
    }
    for (std::size_t ch = 0; ch < channels; ++ch)
        run(memory_[ch], samples + ch, channels);
}

bool ParamEq::fusable() const {
    return channels_ == 2 && step_ >= glideSteps_ && !(to_.gain == 0.0 && transientGone());
}

void ParamEq::processRun(ParamEq* const* bands, std::size_t count, float* samples, std::size_t frames) {
    if (frames == 0)
        return;
    std::array<ParamEq*, maxRun> run{};
    std::size_t length = 0;
    const auto flush = [&] {
        if (length == 1)
            run[0]->process(samples, frames);
        else if (length > 1)
            cascade(run.data(), length, samples, frames);
        length = 0;
    };
    for (std::size_t i = 0; i < count; ++i) {
        ParamEq* band = bands[i];
        if (!band->fusable()) {
            flush();
            band->process(samples, frames);
            continue;
        }
        if (length == maxRun)
            flush();
        run[length++] = band;
    }
    flush();
}

void ParamEq::cascade(ParamEq* const* bands, std::size_t count, float* samples, std::size_t frames) {
    Cascade c;
    for (std::size_t k = 0; k < count; ++k) {
        ParamEq& band = *bands[k];
        band.heard_ = true;
        for (std::size_t i = 2 * k, ch = 0; ch < 2; ++i, ++ch) {
            const Memory& m = band.memory_[ch];
            c.b0[i] = band.c_.b0;
            c.b1[i] = band.c_.b1;
            c.b2[i] = band.c_.b2;
            c.a1[i] = band.c_.a1;
            c.a2[i] = band.c_.a2;
            c.x1[i] = m.x1;
            c.x2[i] = m.x2;
            c.y1[i] = m.y1;
            c.y2[i] = m.y2;
        }
    }
    kernels[count - 1](c, samples, frames);
    for (std::size_t k = 0; k < count; ++k)
        for (std::size_t i = 2 * k, ch = 0; ch < 2; ++i, ++ch)
            bands[k]->memory_[ch] = {c.x1[i], c.x2[i], flushTiny(c.y1[i]), flushTiny(c.y2[i])};
}

bool ParamEq::transientGone() const {
    for (int ch = 0; ch < channels_; ++ch) {
        const Memory& m = memory_[static_cast<std::size_t>(ch)];
        if (std::fabs(m.y1 - m.x1) + std::fabs(m.y2 - m.x2) > 1e-9)
            return false;
    }
    return true;
}

void ParamEq::passThrough(const float* samples, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(channels_);
    for (std::size_t ch = 0; ch < channels; ++ch) {
        Memory& m = memory_[ch];
        const double last = samples[(frames - 1) * channels + ch];
        const double before = frames >= 2 ? samples[(frames - 2) * channels + ch] : m.x1;
        m = {last, before, last, before};
    }
}

} // namespace orvu::engine::fx
