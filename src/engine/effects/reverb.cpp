// Purpose: the reverb: an eight-line feedback delay network whose low frequencies decay by the reverb
// time (RT60) and whose highest frequencies decay by that time times the high-frequency ratio.
//
// Each pass through line k (D_k frames) multiplies its signal by g_k = 10^(-3·D_k / (fs·RT)), so any
// path loses 60 dB in RT seconds whatever lines it visits. A two-tap filter (1-h)+h·z⁻¹ in each line
// leaves low frequencies alone and scales the Nyquist frequency by (1 - 2h), chosen so the loss per
// pass there is 10^(-3·D_k / (fs·RT·ratio)): the highest frequencies die away in RT·ratio. A
// Householder matrix (I - 2/N·11ᵀ, lossless) mixes the lines so the echo density grows quickly.
#include "engine/effects/reverb.h"

#include "engine/effects/parameters.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace orvu::engine::fx {
namespace {

constexpr double shortestLineSeconds = 0.030;
constexpr float diffusion = 0.618f;
constexpr std::array<double, 4> diffuserSeconds = {0.0017, 0.0006, 0.0019, 0.0007}; // left pair, right pair
constexpr double maxNorm = 32.0; // cap of the wet level compensation for very short reverb times

// Sign of line k in the injection and output sums, so the sides start decorrelated.
constexpr float signOf(std::size_t k) {
    return (k % 4) < 2 ? 1.0f : -1.0f;
}

} // namespace

bool Reverb::accept(Record& record, int /*rate*/) {
    return isValid(record);
}

float Reverb::Diffuser::run(float x) {
    const float delayed = buffer[position];
    const float w = flushTiny(x + diffusion * delayed);
    buffer[position] = w;
    position = position + 1 == buffer.size() ? 0 : position + 1;
    return delayed - diffusion * w;
}

Reverb::Reverb(int rate, int channels, const Record& initial)
    : rate_(rate)
    , channels_(std::max(channels, 1)) {
    for (std::size_t k = 0; k < lineCount; ++k) {
        Line& line = lines_[k];
        // Lengths spread over an octave from 30 ms (dense enough to decay smoothly even at 100 ms),
        // odd so no two share a common period.
        line.delay = static_cast<std::size_t>(
                         std::lround(rate_ * shortestLineSeconds * std::exp2(static_cast<double>(k) / 8.0))) |
                     1u;
        line.buffer.assign(std::bit_ceil(line.delay + 1), 0.0f);
    }
    for (std::size_t i = 0; i < diffusers_.size(); ++i)
        diffusers_[i].buffer.assign(
            std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(rate_ * diffuserSeconds[i]))),
            0.0f);
    aim(initial, false);
}

void Reverb::setParameters(const Record& record) {
    if (isValid(record))
        aim(record, heard_);
}

void Reverb::aim(const Record& record, bool glide) {
    const int frames = glide ? glideFrames(static_cast<int>(rate_)) : 0;
    const double rt = record.fReverbTime / 1000.0;
    const double ratio = record.fHighFreqRTRatio;
    double meanSquare = 0.0;
    for (Line& line : lines_) {
        const double exponent = -3.0 * static_cast<double>(line.delay) / (rate_ * rt);
        const double gain = std::pow(10.0, exponent);
        const double nyquist = std::pow(10.0, exponent * (1.0 / ratio - 1.0));
        line.gain.glideTo(static_cast<float>(gain), frames);
        line.damping.glideTo(static_cast<float>((1.0 - nyquist) / 2.0), frames);
        meanSquare += gain * gain / lineCount;
    }
    // Levels: the mix is a power ratio m shared between the direct signal and the reverb, and the
    // reverb is scaled so its long-term energy roughly matches the input's. Each side injects into
    // and reads from half the lines with weight 1/2, so a side's output carries a quarter of the
    // energy circulating per line pair: ρ = ḡ²/(1-ḡ²) of the input.
    const double inGain = std::pow(10.0, record.fInGain / 20.0);
    const double mix = std::pow(10.0, record.fReverbMix / 10.0);
    const double circulating = meanSquare / (1.0 - meanSquare);
    const double norm = circulating > 0.0 ? std::min(maxNorm, 2.0 / std::sqrt(circulating)) : maxNorm;
    dry_.glideTo(static_cast<float>(std::sqrt(std::max(0.0, 1.0 - mix)) * inGain), frames);
    wet_.glideTo(static_cast<float>(std::sqrt(mix) * inGain * norm), frames);
}

void Reverb::reset() {
    for (Line& line : lines_) {
        std::fill(line.buffer.begin(), line.buffer.end(), 0.0f);
        line.previous = 0.0f;
        line.gain.snap(line.gain.target());
        line.damping.snap(line.damping.target());
    }
    for (Diffuser& diffuser : diffusers_) {
        std::fill(diffuser.buffer.begin(), diffuser.buffer.end(), 0.0f);
        diffuser.position = 0;
    }
    write_ = 0;
    dry_.snap(dry_.target());
    wet_.snap(wet_.target());
    heard_ = false;
}

void Reverb::process(float* samples, std::size_t frames) {
    if (frames == 0)
        return;
    heard_ = true;
    const auto channels = static_cast<std::size_t>(channels_);
    constexpr float half = 0.5f; // 1/sqrt(lineCount/2): injection and output weight per line
    constexpr float householder = 2.0f / static_cast<float>(lineCount);
    // Outside a glide the loop coefficients are constant: keep them in locals.
    bool gliding = dry_.moving() || wet_.moving();
    std::array<float, lineCount> gains{}, taps{};
    std::array<std::size_t, lineCount> masks{};
    for (std::size_t k = 0; k < lineCount; ++k) {
        gliding = gliding || lines_[k].gain.moving() || lines_[k].damping.moving();
        gains[k] = lines_[k].gain.value();
        taps[k] = lines_[k].damping.value();
        masks[k] = lines_[k].buffer.size() - 1;
    }
    for (std::size_t i = 0; i < frames; ++i, samples += channels) {
        // Sides: even channels feed the left, odd ones the right; mono feeds both.
        float left = 0.0f;
        float right = 0.0f;
        for (std::size_t ch = 0; ch < channels; ++ch)
            (ch % 2 == 0 ? left : right) += samples[ch];
        if (channels == 1)
            right = left;
        else {
            left /= static_cast<float>((channels + 1) / 2);
            right /= static_cast<float>(channels / 2);
        }
        left = diffusers_[1].run(diffusers_[0].run(left));
        right = diffusers_[3].run(diffusers_[2].run(right));

        std::array<float, lineCount> out{};
        float sum = 0.0f;
        for (std::size_t k = 0; k < lineCount; ++k) {
            Line& line = lines_[k];
            const float v = line.buffer[(write_ - line.delay) & masks[k]];
            if (gliding) {
                taps[k] = line.damping.next();
                gains[k] = line.gain.next();
            }
            const float h = taps[k];
            out[k] = gains[k] * ((1.0f - h) * v + h * line.previous);
            line.previous = v;
            sum += out[k];
        }
        float wetLeft = 0.0f;
        float wetRight = 0.0f;
        for (std::size_t k = 0; k < lineCount; ++k) {
            Line& line = lines_[k];
            const float input = k % 2 == 0 ? left : right;
            line.buffer[write_ & masks[k]] = flushTiny(out[k] - householder * sum + half * signOf(k) * input);
            (k % 2 == 0 ? wetLeft : wetRight) += half * signOf(k) * out[k];
        }
        write_ = write_ + 1;

        const float dry = dry_.next();
        const float wet = wet_.next();
        if (channels == 1) {
            samples[0] = dry * samples[0] + wet * (wetLeft + wetRight) * 0.70710678f;
            continue;
        }
        for (std::size_t ch = 0; ch < channels; ++ch)
            samples[ch] = dry * samples[ch] + wet * (ch % 2 == 0 ? wetLeft : wetRight);
    }
}

} // namespace orvu::engine::fx
