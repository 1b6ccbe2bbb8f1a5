// Purpose: test helper that writes a 16-bit PCM WAV file of a sine (or silence) of any length.
#pragma once

#include <QString>

namespace orvu::test {

struct WavSpec {
    double seconds = 1.0;
    int rate = 8000;
    int channels = 1;
    double frequency = 0.0; // 0: silence
    double amplitude = 0.5;
    long firstFrame = 0; // the sine's phase starts here: files cut from one continuous tone
};

void writeWav(const QString& path, const WavSpec& wav);

} // namespace orvu::test
