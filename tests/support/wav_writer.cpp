// Purpose: test helper that writes a 16-bit PCM WAV file of a sine (or silence) of any length.
#include "support/wav_writer.h"

#include <QByteArray>
#include <QFile>

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace orvu::test {
namespace {

void put16(QByteArray& out, std::uint16_t v) {
    out.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
}
void put32(QByteArray& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

} // namespace

void writeWav(const QString& path, const WavSpec& wav) {
    const auto frames = static_cast<std::uint32_t>(std::lround(wav.seconds * wav.rate));
    const auto dataBytes = frames * static_cast<std::uint32_t>(wav.channels) * 2;
    QByteArray out;
    out.reserve(static_cast<qsizetype>(44 + dataBytes));
    out.append("RIFF");
    put32(out, 36 + dataBytes);
    out.append("WAVEfmt ");
    put32(out, 16);
    put16(out, 1);
    put16(out, static_cast<std::uint16_t>(wav.channels));
    put32(out, static_cast<std::uint32_t>(wav.rate));
    put32(out, static_cast<std::uint32_t>(wav.rate * wav.channels * 2));
    put16(out, static_cast<std::uint16_t>(wav.channels * 2));
    put16(out, 16);
    out.append("data");
    put32(out, dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double n = static_cast<double>(wav.firstFrame + static_cast<long>(i));
        const double value =
            wav.frequency > 0.0 ? wav.amplitude * std::sin(2.0 * M_PI * wav.frequency * n / wav.rate) : 0.0;
        const auto sample = static_cast<std::int16_t>(std::lround(value * 32767.0));
        for (int c = 0; c < wav.channels; ++c)
            put16(out, static_cast<std::uint16_t>(sample));
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace orvu::test
