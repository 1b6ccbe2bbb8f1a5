// Purpose: one parametric-equalizer band: a peaking biquad (cookbook design), bandwidth in semitones.
#include "engine/effects/param_eq.h"

#include "engine/effects/parameters.h"
#include "engine/effects/ramp.h"

#include <algorithm>
#include <cmath>

namespace orvu::engine::fx {
namespace {

// During a glide the coefficients are recomputed every this many frames.
constexpr std::size_t stepFrames = 16;

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
