// Purpose: measurements on rendered or decoded audio for the engine tests: tone level, RMS, frequency.
#include "support/signal.h"

#include <cmath>

namespace orvu::test {

std::string fixturePath(const std::string& name) {
    return std::string(ORVU_FIXTURE_DIR) + "/" + name;
}

std::vector<float> channelOf(const std::vector<float>& interleaved, int channels, int channel) {
    std::vector<float> out;
    out.reserve(interleaved.size() / static_cast<std::size_t>(channels));
    for (std::size_t i = static_cast<std::size_t>(channel); i < interleaved.size(); i += channels)
        out.push_back(interleaved[i]);
    return out;
}

double toneAmplitude(const std::vector<float>& samples, double frequency, double sampleRate) {
    if (samples.empty())
        return 0.0;
    const double w = 2.0 * M_PI * frequency / sampleRate;
    double re = 0.0, im = 0.0;
    for (std::size_t n = 0; n < samples.size(); ++n) {
        re += samples[n] * std::cos(w * static_cast<double>(n));
        im -= samples[n] * std::sin(w * static_cast<double>(n));
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(samples.size());
}

double rms(const std::vector<float>& samples) {
    if (samples.empty())
        return 0.0;
    double sum = 0.0;
    for (float s : samples)
        sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

double zeroCrossingFrequency(const std::vector<float>& samples, double sampleRate) {
    std::size_t first = 0, last = 0, crossings = 0;
    double firstAt = 0.0, lastAt = 0.0;
    for (std::size_t n = 1; n < samples.size(); ++n) {
        if (samples[n - 1] < 0.0f && samples[n] >= 0.0f) {
            // Interpolate where the signal crosses zero between the two samples.
            const double at = static_cast<double>(n - 1) + samples[n - 1] / (samples[n - 1] - samples[n]);
            if (crossings++ == 0) {
                first = n;
                firstAt = at;
            }
            last = n;
            lastAt = at;
        }
    }
    if (crossings < 2 || last == first)
        return 0.0;
    return static_cast<double>(crossings - 1) * sampleRate / (lastAt - firstAt);
}

double largestStep(const std::vector<float>& samples) {
    double step = 0.0;
    for (std::size_t n = 1; n < samples.size(); ++n)
        step = std::max(step, std::fabs(static_cast<double>(samples[n]) - samples[n - 1]));
    return step;
}

} // namespace orvu::test
