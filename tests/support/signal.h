// Purpose: measurements on rendered or decoded audio for the engine tests: tone level, RMS, frequency.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orvu::test {

// Path of a build-time fixture ("sine1k.mp3" ...).
std::string fixturePath(const std::string& name);

// One channel of interleaved frames.
std::vector<float> channelOf(const std::vector<float>& interleaved, int channels, int channel);

// Peak amplitude of the sinusoid at `frequency` in the samples (Goertzel over whole samples).
double toneAmplitude(const std::vector<float>& samples, double frequency, double sampleRate);

// Root mean square of the samples.
double rms(const std::vector<float>& samples);

// Frequency estimated from the rising zero crossings of a (near) pure tone.
double zeroCrossingFrequency(const std::vector<float>& samples, double sampleRate);

// Largest absolute difference between neighbouring samples (a click or discontinuity shows as a jump).
double largestStep(const std::vector<float>& samples);

} // namespace orvu::test
