// Purpose: writes tiny tracker modules and MIDI files for the decoder tests (see module_writer.h).
#include "support/module_writer.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace orvu::test {

namespace {

constexpr int kSampleLength = 256; // eight cycles of 32 samples
constexpr int kSamplesPerCycle = 32;
constexpr int kRows = 16;
constexpr double kMiddleCRate = 8363.0;      // XM, S3M and IT middle C with no fine-tuning
constexpr double kAmigaPalClock = 7093789.2; // MOD periods are in this clock's ticks
constexpr int kModMiddleCPeriod = 428;

// Signed 8-bit sine, eight cycles, looped end to start without a step.
std::vector<std::int8_t> sineSample() {
    std::vector<std::int8_t> s(kSampleLength);
    for (int i = 0; i < kSampleLength; ++i)
        s[i] = static_cast<std::int8_t>(std::lround(100.0 * std::sin(2.0 * M_PI * i / kSamplesPerCycle)));
    return s;
}

class Bytes {
public:
    void u8(unsigned v) { data.push_back(static_cast<char>(v & 0xff)); }
    void le16(unsigned v) {
        u8(v);
        u8(v >> 8);
    }
    void le32(std::uint32_t v) {
        le16(v & 0xffff);
        le16(v >> 16);
    }
    void be16(unsigned v) {
        u8(v >> 8);
        u8(v);
    }
    void be32(std::uint32_t v) {
        be16(v >> 16);
        be16(v & 0xffff);
    }
    void zeros(std::size_t n) { data.insert(data.end(), n, '\0'); }
    // Writes text into a fixed-size field, padded with zeros.
    void text(const std::string& s, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            u8(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
    }
    void padTo(std::size_t size) {
        if (data.size() < size)
            zeros(size - data.size());
    }
    void patchLe16(std::size_t at, unsigned v) {
        data[at] = static_cast<char>(v & 0xff);
        data[at + 1] = static_cast<char>((v >> 8) & 0xff);
    }
    void patchLe32(std::size_t at, std::uint32_t v) {
        patchLe16(at, v & 0xffff);
        patchLe16(at + 2, v >> 16);
    }
    std::size_t size() const { return data.size(); }
    std::vector<char> data;
};

std::vector<char> makeMod(const std::string& title) {
    Bytes b;
    b.text(title, 20);
    b.text("sine", 22);
    b.be16(kSampleLength / 2); // lengths count 16-bit words
    b.u8(0);                   // finetune
    b.u8(64);                  // volume
    b.be16(0);                 // loop start
    b.be16(kSampleLength / 2); // loop length
    for (int i = 1; i < 31; ++i) {
        b.zeros(22 + 2 + 1 + 1 + 2);
        b.be16(1); // an unused sample's loop length is one word
    }
    b.u8(1);   // one order
    b.u8(127); // restart position, unused
    b.zeros(128);
    b.text("M.K.", 4);
    for (int row = 0; row < 64; ++row) {
        for (int channel = 0; channel < 4; ++channel) {
            if (row == 0 && channel == 0) {
                b.u8(kModMiddleCPeriod >> 8);   // sample number high nibble 0, period high bits
                b.u8(kModMiddleCPeriod & 0xff); // period low byte
                b.u8(0x10);                     // sample 1, no effect
                b.u8(0);
            } else if (row == kRows - 1 && channel == 1) {
                b.u8(0);
                b.u8(0);
                b.u8(0x0d); // pattern break: the song ends after this row
                b.u8(0);
            } else {
                b.zeros(4);
            }
        }
    }
    for (std::int8_t s : sineSample())
        b.u8(static_cast<std::uint8_t>(s));
    return b.data;
}

std::vector<char> makeXm(const std::string& title) {
    Bytes b;
    b.text("Extended Module: ", 17);
    b.text(title, 20);
    b.u8(0x1a);
    b.text("orvu tests", 20);
    b.le16(0x0104);
    b.le32(276); // header size, counted from this field
    b.le16(1);   // song length
    b.le16(0);   // restart
    b.le16(4);   // channels
    b.le16(1);   // patterns
    b.le16(1);   // instruments
    b.le16(1);   // linear frequency table
    b.le16(6);   // speed
    b.le16(125); // BPM
    b.zeros(256);

    b.le32(9); // pattern header length
    b.u8(0);   // packing type
    b.le16(kRows);
    b.le16(kRows * 4 * 5); // unpacked: five bytes per cell
    for (int row = 0; row < kRows; ++row) {
        for (int channel = 0; channel < 4; ++channel) {
            if (row == 0 && channel == 0) {
                b.u8(49); // C-4
                b.u8(1);  // instrument 1
                b.zeros(3);
            } else {
                b.zeros(5);
            }
        }
    }

    b.le32(263); // instrument header size
    b.text("sine", 22);
    b.u8(0);
    b.le16(1);                  // one sample
    b.le32(40);                 // sample header size
    b.zeros(96 + 48 + 48);      // key map, volume and panning envelopes
    b.zeros(2 + 3 + 3 + 2 + 4); // envelope counts, sustain and loop points, types, vibrato
    b.le16(0);                  // fadeout
    b.zeros(22);
    b.le32(kSampleLength);
    b.le32(0);             // loop start
    b.le32(kSampleLength); // loop length
    b.u8(64);              // volume
    b.u8(0);               // finetune
    b.u8(1);               // forward loop, 8-bit
    b.u8(128);             // panning
    b.u8(0);               // relative note
    b.u8(0);
    b.text("sine", 22);
    std::int8_t previous = 0; // XM stores sample deltas
    for (std::int8_t s : sineSample()) {
        b.u8(static_cast<std::uint8_t>(s - previous));
        previous = s;
    }
    return b.data;
}

std::vector<char> makeS3m(const std::string& title) {
    Bytes b;
    b.text(title, 28);
    b.u8(0x1a);
    b.u8(16); // type: S3M module
    b.zeros(2);
    b.le16(2); // orders
    b.le16(1); // instruments
    b.le16(1); // patterns
    b.le16(0); // flags
    b.le16(0x1320);
    b.le16(2); // unsigned samples
    b.text("SCRM", 4);
    b.u8(64);   // global volume
    b.u8(6);    // speed
    b.u8(125);  // tempo
    b.u8(0xb0); // stereo, master volume 48
    b.u8(0);
    b.u8(0); // no panning table
    b.zeros(8);
    b.le16(0);
    b.u8(0); // channel 1: left 1
    b.u8(8); // channel 2: right 1
    for (int i = 2; i < 32; ++i)
        b.u8(255);
    b.u8(0);   // order 0: pattern 0
    b.u8(255); // end of song
    const std::size_t instrumentPointer = b.size();
    b.le16(0);
    const std::size_t patternPointer = b.size();
    b.le16(0);

    b.padTo(0x70);
    b.patchLe16(instrumentPointer, 0x70 >> 4);
    b.u8(1); // sampled instrument
    b.text("sine.raw", 12);
    const std::size_t memseg = b.size();
    b.zeros(3);
    b.le32(kSampleLength);
    b.le32(0);             // loop begin
    b.le32(kSampleLength); // loop end
    b.u8(64);              // volume
    b.u8(0);
    b.u8(0); // not packed
    b.u8(1); // looped
    b.le32(static_cast<std::uint32_t>(kMiddleCRate));
    b.zeros(12);
    b.text("sine", 28);
    b.text("SCRS", 4);

    b.padTo(0xc0);
    b.patchLe16(patternPointer, 0xc0 >> 4);
    const std::size_t patternStart = b.size();
    b.le16(0); // packed length, patched below
    for (int row = 0; row < 64; ++row) {
        if (row == 0) {
            b.u8(0x20 | 0); // channel 0: note and instrument follow
            b.u8(0x40);     // C-4
            b.u8(1);
        } else if (row == kRows - 1) {
            b.u8(0x80 | 1); // channel 1: command follows
            b.u8(3);        // C: pattern break
            b.u8(0);
        }
        b.u8(0); // end of row
    }
    b.patchLe16(patternStart, static_cast<unsigned>(b.size() - patternStart));

    b.padTo((b.size() + 15) / 16 * 16);
    const std::size_t samplePara = b.size() >> 4;
    b.data[memseg] = static_cast<char>((samplePara >> 16) & 0xff);
    b.patchLe16(memseg + 1, samplePara & 0xffff);
    for (std::int8_t s : sineSample())
        b.u8(static_cast<std::uint8_t>(s + 128));
    return b.data;
}

std::vector<char> makeIt(const std::string& title) {
    Bytes b;
    b.text("IMPM", 4);
    b.text(title, 26);
    b.u8(4);
    b.u8(16);
    b.le16(2); // orders
    b.le16(0); // instruments: samples mode
    b.le16(1); // samples
    b.le16(1); // patterns
    b.le16(0x0214);
    b.le16(0x0214);
    b.le16(0x0009); // stereo, linear slides
    b.le16(0);
    b.u8(128); // global volume
    b.u8(48);  // mixing volume
    b.u8(6);   // speed
    b.u8(125); // tempo
    b.u8(128); // separation
    b.u8(0);
    b.le16(0); // message length
    b.le32(0); // message offset
    b.zeros(4);
    for (int i = 0; i < 64; ++i)
        b.u8(i < 4 ? 32 : 32 + 128); // centre; channels past the fourth disabled
    for (int i = 0; i < 64; ++i)
        b.u8(64);
    b.u8(0);
    b.u8(255);
    const std::size_t sampleOffset = b.size();
    b.le32(0);
    const std::size_t patternOffset = b.size();
    b.le32(0);

    b.patchLe32(sampleOffset, static_cast<std::uint32_t>(b.size()));
    b.text("IMPS", 4);
    b.text("sine.raw", 12);
    b.u8(0);
    b.u8(64);          // global volume
    b.u8(0x01 | 0x10); // sample present, looped, 8-bit
    b.u8(64);          // volume
    b.text("sine", 26);
    b.u8(0x01); // signed samples
    b.u8(0);    // default pan off
    b.le32(kSampleLength);
    b.le32(0);
    b.le32(kSampleLength);
    b.le32(static_cast<std::uint32_t>(kMiddleCRate));
    b.le32(0);
    b.le32(0);
    const std::size_t samplePointer = b.size();
    b.le32(0);
    b.zeros(4); // vibrato

    b.patchLe32(patternOffset, static_cast<std::uint32_t>(b.size()));
    const std::size_t patternStart = b.size();
    b.le16(0); // packed length, patched below
    b.le16(kRows);
    b.zeros(4);
    b.u8(0x81); // channel 1, mask follows
    b.u8(0x03); // note and sample
    b.u8(60);   // C-5
    b.u8(1);
    for (int row = 0; row < kRows; ++row)
        b.u8(0); // end of row
    b.patchLe16(patternStart, static_cast<unsigned>(b.size() - patternStart - 8));

    b.patchLe32(samplePointer, static_cast<std::uint32_t>(b.size()));
    for (std::int8_t s : sineSample())
        b.u8(static_cast<std::uint8_t>(s));
    return b.data;
}

} // namespace

std::vector<char> makeModule(ModuleKind kind, const std::string& title) {
    switch (kind) {
    case ModuleKind::Mod:
        return makeMod(title);
    case ModuleKind::Xm:
        return makeXm(title);
    case ModuleKind::S3m:
        return makeS3m(title);
    case ModuleKind::It:
        return makeIt(title);
    }
    return {};
}

double moduleToneFrequency(ModuleKind kind) {
    if (kind == ModuleKind::Mod)
        return kAmigaPalClock / (2.0 * kModMiddleCPeriod) / kSamplesPerCycle;
    return kMiddleCRate / kSamplesPerCycle;
}

std::string moduleExtension(ModuleKind kind) {
    switch (kind) {
    case ModuleKind::Mod:
        return "mod";
    case ModuleKind::Xm:
        return "xm";
    case ModuleKind::S3m:
        return "s3m";
    case ModuleKind::It:
        return "it";
    }
    return {};
}

std::vector<char> makeMidi() {
    Bytes track;
    const unsigned char events[] = {
        0x00, 0xff, 0x51, 0x03, 0x07, 0xa1, 0x20, // tempo: 500000 us a quarter note (120 BPM)
        0x00, 0xc0, 73,                           // program: flute
        0x00, 0x90, 69,   100,                    // A4 on
        0x81, 0x40, 0x80, 69,   64,               // 192 ticks (1 s) later: A4 off
        0x00, 0xff, 0x2f, 0x00,                   // end of track
    };
    for (unsigned char e : events)
        track.u8(e);
    Bytes b;
    b.text("MThd", 4);
    b.be32(6);
    b.be16(0);  // format 0
    b.be16(1);  // one track
    b.be16(96); // ticks per quarter note
    b.text("MTrk", 4);
    b.be32(static_cast<std::uint32_t>(track.size()));
    b.data.insert(b.data.end(), track.data.begin(), track.data.end());
    return b.data;
}

void writeFile(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace orvu::test
