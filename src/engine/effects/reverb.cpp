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
#include "engine/effects/simd.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

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

void Reverb::Diffuser::run(float* __restrict x, std::size_t frames) {
    // Split at the buffer's end: within a stretch every frame reads and writes its own slot, so the
    // frames are independent and go four at a time.
    const F4 d = splat4(diffusion);
    float* __restrict buf = buffer.data();
    while (frames > 0) {
        const std::size_t stretch = std::min(frames, buffer.size() - position);
        float* b = buf + position;
        std::size_t i = 0;
        for (; i + 4 <= stretch; i += 4) {
            const F4 delayed = load4(b + i);
            const F4 w = flushTiny4(load4(x + i) + d * delayed);
            store4(b + i, w);
            store4(x + i, delayed - d * w);
        }
        for (; i < stretch; ++i) {
            const float delayed = b[i];
            const float w = flushTiny(x[i] + diffusion * delayed);
            b[i] = w;
            x[i] = delayed - diffusion * w;
        }
        position = position + stretch == buffer.size() ? 0 : position + stretch;
        x += stretch;
        frames -= stretch;
    }
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
    chunk_ = std::min(maxChunk, lines_[0].delay); // the first line is the shortest
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

int Reverb::glideLeft() const {
    int left = std::max(dry_.remaining(), wet_.remaining());
    for (const Line& line : lines_)
        left = std::max({left, line.gain.remaining(), line.damping.remaining()});
    return left;
}

void Reverb::process(float* samples, std::size_t frames) {
    if (frames == 0)
        return;
    heard_ = true;
    const auto channels = static_cast<std::size_t>(channels_);
    while (frames > 0) {
        const auto gliding = static_cast<std::size_t>(glideLeft());
        const std::size_t run = std::min({frames, chunk_, gliding > 0 ? gliding : chunk_});
        if (gliding > 0)
            processGliding(samples, run);
        else
            processChunk(samples, run);
        samples += run * channels;
        frames -= run;
    }
}

void Reverb::sides(const float* samples, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(channels_);
    float* left = left_.data();
    float* right = right_.data();
    if (channels == 2) {
        std::size_t i = 0;
        for (; i + 4 <= frames; i += 4) {
            const F4 a = load4(samples + 2 * i);
            const F4 b = load4(samples + 2 * i + 4);
            store4(left + i, __builtin_shuffle(a, b, I4{0, 2, 4, 6}));
            store4(right + i, __builtin_shuffle(a, b, I4{1, 3, 5, 7}));
        }
        for (; i < frames; ++i) {
            left[i] = samples[2 * i];
            right[i] = samples[2 * i + 1];
        }
    } else {
        // Even channels feed the left, odd ones the right; mono feeds both.
        for (std::size_t i = 0; i < frames; ++i, samples += channels) {
            float l = 0.0f;
            float r = 0.0f;
            for (std::size_t ch = 0; ch < channels; ++ch)
                (ch % 2 == 0 ? l : r) += samples[ch];
            if (channels == 1)
                r = l;
            else {
                l /= static_cast<float>((channels + 1) / 2);
                r /= static_cast<float>(channels / 2);
            }
            left[i] = l;
            right[i] = r;
        }
    }
    diffusers_[0].run(left, frames);
    diffusers_[1].run(left, frames);
    diffusers_[2].run(right, frames);
    diffusers_[3].run(right, frames);
}

namespace {

// Copies `count` samples of a power-of-two ring from `from` on, wrapping at its end.
void readRing(const std::vector<float>& ring, std::size_t from, float* to, std::size_t count) {
    const std::size_t first = std::min(count, ring.size() - from);
    std::memcpy(to, ring.data() + from, first * sizeof(float));
    std::memcpy(to + first, ring.data(), (count - first) * sizeof(float));
}

void writeRing(std::vector<float>& ring, std::size_t at, const float* from, std::size_t count) {
    const std::size_t first = std::min(count, ring.size() - at);
    std::memcpy(ring.data() + at, from, first * sizeof(float));
    std::memcpy(ring.data(), from + first, (count - first) * sizeof(float));
}

constexpr float half = 0.5f; // 1/sqrt(lineCount/2): injection and output weight per line
constexpr float householder = 2.0f / static_cast<float>(Reverb::lineCount);

} // namespace

void Reverb::processChunk(float* samples, std::size_t frames) {
    sides(samples, frames);
    // The chunk is no longer than any line, so every tap it reads was written before it: each stage
    // runs over all its frames before the next, four frames to a vector.
    float* sum = sum_.data();
    std::fill_n(sum, frames, 0.0f);
    const std::size_t whole = frames & ~std::size_t{3};
    for (std::size_t k = 0; k < lineCount; ++k) {
        Line& line = lines_[k];
        const std::size_t mask = line.buffer.size() - 1;
        float* taps = taps_.data(); // taps[i + 1] is frame i's tap, taps[i] the damping memory
        readRing(line.buffer, (write_ - line.delay - 1) & mask, taps, frames + 1);
        const float g = line.gain.value();
        const float h = line.damping.value();
        float* out = out_[k].data();
        for (std::size_t i = 0; i < whole; i += 4) {
            const F4 o = g * ((1.0f - h) * load4(taps + i + 1) + h * load4(taps + i));
            store4(out + i, o);
            store4(sum + i, load4(sum + i) + o);
        }
        for (std::size_t i = whole; i < frames; ++i) {
            out[i] = g * ((1.0f - h) * taps[i + 1] + h * taps[i]);
            sum[i] += out[i];
        }
    }
    std::fill_n(wetLeft_.data(), frames, 0.0f);
    std::fill_n(wetRight_.data(), frames, 0.0f);
    for (std::size_t k = 0; k < lineCount; ++k) {
        Line& line = lines_[k];
        const float* input = k % 2 == 0 ? left_.data() : right_.data();
        float* wet = k % 2 == 0 ? wetLeft_.data() : wetRight_.data();
        const float weight = half * signOf(k);
        const float* out = out_[k].data();
        float* next = taps_.data();
        for (std::size_t i = 0; i < whole; i += 4) {
            const F4 o = load4(out + i);
            store4(next + i, flushTiny4(o - householder * load4(sum + i) + weight * load4(input + i)));
            store4(wet + i, load4(wet + i) + weight * o);
        }
        for (std::size_t i = whole; i < frames; ++i) {
            next[i] = flushTiny(out[i] - householder * sum[i] + weight * input[i]);
            wet[i] += weight * out[i];
        }
        writeRing(line.buffer, write_ & (line.buffer.size() - 1), next, frames);
    }
    write_ += frames;
    mixOut(samples, frames);
}

void Reverb::processGliding(float* samples, std::size_t frames) {
    sides(samples, frames);
    for (std::size_t i = 0; i < frames; ++i) {
        std::array<float, lineCount> out{};
        float sum = 0.0f;
        for (std::size_t k = 0; k < lineCount; ++k) {
            Line& line = lines_[k];
            const std::size_t mask = line.buffer.size() - 1;
            const float v = line.buffer[(write_ - line.delay) & mask];
            const float previous = line.buffer[(write_ - line.delay - 1) & mask];
            const float h = line.damping.next();
            out[k] = line.gain.next() * ((1.0f - h) * v + h * previous);
            sum += out[k];
        }
        float wetLeft = 0.0f;
        float wetRight = 0.0f;
        for (std::size_t k = 0; k < lineCount; ++k) {
            Line& line = lines_[k];
            const float input = k % 2 == 0 ? left_[i] : right_[i];
            const float weight = half * signOf(k);
            line.buffer[write_ & (line.buffer.size() - 1)] =
                flushTiny(out[k] - householder * sum + weight * input);
            (k % 2 == 0 ? wetLeft : wetRight) += weight * out[k];
        }
        ++write_;
        wetLeft_[i] = wetLeft;
        wetRight_[i] = wetRight;
    }
    mixOut(samples, frames);
}

void Reverb::mixOut(float* samples, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(channels_);
    const float* wetLeft = wetLeft_.data();
    const float* wetRight = wetRight_.data();
    std::size_t i = 0;
    if (channels == 2 && !dry_.moving() && !wet_.moving()) {
        const F4 dry = splat4(dry_.value());
        const F4 wet = splat4(wet_.value());
        for (; i + 4 <= frames; i += 4) {
            const F4 l = load4(wetLeft + i);
            const F4 r = load4(wetRight + i);
            float* s = samples + 2 * i;
            store4(s, dry * load4(s) + wet * __builtin_shuffle(l, r, I4{0, 4, 1, 5}));
            store4(s + 4, dry * load4(s + 4) + wet * __builtin_shuffle(l, r, I4{2, 6, 3, 7}));
        }
    }
    for (samples += i * channels; i < frames; ++i, samples += channels) {
        const float dry = dry_.next();
        const float wet = wet_.next();
        if (channels == 1) {
            samples[0] = dry * samples[0] + wet * (wetLeft[i] + wetRight[i]) * 0.70710678f;
            continue;
        }
        for (std::size_t ch = 0; ch < channels; ++ch)
            samples[ch] = dry * samples[ch] + wet * (ch % 2 == 0 ? wetLeft[i] : wetRight[i]);
    }
}

} // namespace orvu::engine::fx
