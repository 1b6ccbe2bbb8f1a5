// Purpose: how far one decoded window of audio is shifted against a reference window of the same
// signal, and how much differs once the two are lined up.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace orvu::test {

struct Alignment {
    long offset = 0;        // frames: got[i] lines up with reference[i + offset]
    double correlation = 0; // normalised cross-correlation at that offset, 1 for identical windows
    double residual = 1;    // RMS of the difference over RMS of the reference, once lined up
};

// RMS of the difference over RMS of the reference, with got[i] lined up with reference[i + offset], over
// the frames both hold; 1 when they share none.
inline double residualAt(const std::vector<float>& reference, const std::vector<float>& got, int channels,
                         long offset) {
    const long ch = channels;
    const long first = std::max(0L, -offset);
    const long last =
        std::min(static_cast<long>(got.size()) / ch, static_cast<long>(reference.size()) / ch - offset);
    double dd = 0, rr = 0;
    for (long i = first * ch; i < last * ch; ++i) {
        const double r = reference[static_cast<std::size_t>(i + offset * ch)];
        dd += (r - got[static_cast<std::size_t>(i)]) * (r - got[static_cast<std::size_t>(i)]);
        rr += r * r;
    }
    return last > first ? std::sqrt(dd / (rr + 1e-30)) : 1.0;
}

// Searches offsets in [-maxOffset, maxOffset] for the best normalised cross-correlation of two
// interleaved windows, over the frames both hold at that offset (at least half the shorter window).
inline Alignment alignWindows(const std::vector<float>& reference, const std::vector<float>& got,
                              int channels, long maxOffset) {
    const long ch = channels;
    const long refFrames = static_cast<long>(reference.size()) / ch;
    const long gotFrames = static_cast<long>(got.size()) / ch;
    const long minOverlap = std::min(refFrames, gotFrames) / 2;
    Alignment best;
    best.correlation = -2;
    for (long offset = -maxOffset; offset <= maxOffset; ++offset) {
        const long first = std::max(0L, -offset);
        const long last = std::min(gotFrames, refFrames - offset);
        if (last - first < std::max(minOverlap, 1L))
            continue;
        const float* r = reference.data() + (first + offset) * ch;
        const float* g = got.data() + first * ch;
        const long n = (last - first) * ch;
        double rg = 0, rr = 0, gg = 0;
        for (long i = 0; i < n; ++i) {
            rg += static_cast<double>(r[i]) * g[i];
            rr += static_cast<double>(r[i]) * r[i];
            gg += static_cast<double>(g[i]) * g[i];
        }
        const double c = rg / std::sqrt(rr * gg + 1e-30);
        if (c > best.correlation) {
            best.correlation = c;
            best.offset = offset;
        }
    }
    best.residual = residualAt(reference, got, channels, best.offset);
    return best;
}

} // namespace orvu::test
