// Purpose: the visualization's frames: the shapes each drawing mode draws from the four level values.
#include "core/vis_geometry.h"

#include <cstdint>
#include <cstdlib>

namespace orvu {

namespace {

using u128 = unsigned __int128;

// n / 2^shift rounded to the nearest integer, an exact half to the even neighbour (shift 1..127).
u128 shiftRoundedHalfEven(u128 n, int shift) {
    const u128 quotient = n >> shift;
    const u128 remainder = n - (quotient << shift);
    const u128 half = u128{1} << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0))
        return quotient + 1;
    return quotient;
}

int bitLength(u128 n) {
    int bits = 0;
    for (; n != 0; n >>= 1)
        ++bits;
    return bits;
}

// A number in 80-bit extended precision: mantissa * 2^-scale, the mantissa holding 64 significant bits.
struct Extended {
    u128 mantissa;
    int scale;
};

// Rounds mantissa * 2^-scale to 64 significant bits, halves to even, as the extended format stores it.
Extended toExtended(u128 mantissa, int scale) {
    const int excess = bitLength(mantissa) - 64;
    if (excess <= 0)
        return {mantissa, scale};
    u128 rounded = shiftRoundedHalfEven(mantissa, excess);
    scale -= excess;
    if (bitLength(rounded) > 64) { // rounding carried into a 65th bit
        rounded >>= 1;
        --scale;
    }
    return {rounded, scale};
}

// hundredths / 100 as its nearest extended value.
Extended extendedFraction(int hundredths) {
    // Scaled until the quotient holds 64 bits, with the remainder deciding the last one.
    int scale = 0;
    while ((u128(hundredths) << scale) / 100 < (u128{1} << 63))
        ++scale;
    const u128 numerator = u128(hundredths) << scale;
    u128 quotient = numerator / 100;
    const u128 twiceRemainder = 2 * (numerator - quotient * 100);
    if (twiceRemainder > 100 || (twiceRemainder == 100 && (quotient & 1) != 0))
        ++quotient;
    return toExtended(quotient, scale);
}

// The fractions 0.01 .. 0.99, computed once.
const Extended& fraction(int hundredths) {
    static const auto table = [] {
        std::array<Extended, 100> values{};
        for (int h = 1; h < 100; ++h)
            values[static_cast<std::size_t>(h)] = extendedFraction(h);
        return values;
    }();
    return table[static_cast<std::size_t>(hundredths)];
}

int half(int value) {
    return roundedQuotient(value, 2);
}

int level(const VisLevels& levels, int k) {
    return levels[static_cast<std::size_t>(k)];
}

} // namespace

int roundedQuotient(int value, int divisor) {
    const bool negative = (value < 0) != (divisor < 0);
    const std::int64_t n = std::llabs(value), d = std::llabs(divisor);
    std::int64_t quotient = n / d;
    const std::int64_t twiceRemainder = 2 * (n % d);
    if (twiceRemainder > d || (twiceRemainder == d && quotient % 2 != 0))
        ++quotient;
    return static_cast<int>(negative ? -quotient : quotient);
}

int roundedFraction(int hundredths, int value) {
    if (value == 0)
        return 0;
    const Extended f = fraction(hundredths);
    const std::uint64_t magnitude = static_cast<std::uint64_t>(std::llabs(value));
    const Extended product = toExtended(f.mantissa * magnitude, f.scale);
    // Products of an int and a fraction below 1 keep a scale of at least 1: they always have a
    // fractional part to round away.
    const auto rounded = static_cast<std::int64_t>(shiftRoundedHalfEven(product.mantissa, product.scale));
    return static_cast<int>(value < 0 ? -rounded : rounded);
}

ElipseFrame elipseFrame(const VisLevels& levels, QSize surface) {
    const int w = surface.width(), h = surface.height();
    const int grow = 2 * level(levels, 0);
    const int cx = half(w), cy = half(h), rx = roundedQuotient(w, 10), ry = roundedQuotient(h, 10);
    return {roundedQuotient(level(levels, 3), 20),
            {cx - grow - rx, cy - grow - ry, cx + grow + rx, cy + grow + ry}};
}

SpectrumFrame spectrumFrame(const VisLevels& levels, QSize surface) {
    // Two bars for L0, two for L1, two for L2 and three for L3; L0's bars are shorter.
    static constexpr std::array<int, 9> barLevel{0, 0, 1, 1, 2, 2, 3, 3, 3};
    SpectrumFrame frame;
    for (std::size_t i = 0; i < barLevel.size(); ++i) {
        const int y = roundedFraction(static_cast<int>(i + 1) * 10, surface.height());
        const int k = barLevel[i];
        const int length = (k == 0 ? 5 : 6) * level(levels, k);
        frame.bars[i] = {0, y, length, y + 1};
    }
    frame.penWidthAfter = roundedQuotient(level(levels, 0), 20);
    return frame;
}

SparcFrame sparcFrame(const VisLevels& levels, QSize surface, int& sparcY) {
    sparcY += level(levels, 0) + level(levels, 3);
    if (surface.height() < sparcY)
        sparcY = -5;
    const int x0 = roundedQuotient(surface.width(), 10);
    SparcFrame frame;
    for (int i = 0; i < 12; ++i)
        frame.points[static_cast<std::size_t>(i)] = {x0 + 8 * level(levels, i % 4), sparcY + i};
    return frame;
}

DoplerFrame doplerFrame(const VisLevels& levels, QSize surface, DoplerEdges& edges) {
    const int w = surface.width(), h = surface.height();
    const int step = roundedQuotient(level(levels, 0), 100);
    edges.rise -= step;
    edges.fall += step;
    if (edges.rise < 0)
        edges.rise = h;
    if (h < edges.fall)
        edges.fall = 0;
    DoplerFrame frame;
    for (int k = 0; k < 4; ++k) {
        const int left = roundedFraction(15 + 20 * k, w), right = roundedFraction(25 + 20 * k, w);
        const int tip = h - 6 * level(levels, k);
        frame.hanging[static_cast<std::size_t>(k)] = {left, edges.fall, right, tip};
        frame.standing[static_cast<std::size_t>(k)] = {left, tip, right, edges.rise};
    }
    frame.penWidthAfter = roundedQuotient(level(levels, 0), 40);
    return frame;
}

std::optional<VisDrawMode> advanceRandomCycle(int& randomTick) {
    ++randomTick;
    std::optional<VisDrawMode> picked;
    switch (randomTick) {
    case 250:
        picked = VisDrawMode::Elipse;
        break;
    case 500:
        picked = VisDrawMode::Spectrum;
        break;
    case 750:
        picked = VisDrawMode::Sparc;
        break;
    case 1000:
        picked = VisDrawMode::Dopler;
        break;
    case 1250:
        randomTick = 0;
        break;
    default:
        break;
    }
    return picked;
}

} // namespace orvu
