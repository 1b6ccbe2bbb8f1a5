// Purpose: lets the fuzz build (clang) compile GCC's two-vector __builtin_shuffle, which the effects use
// and clang lacks; forced into every file of that build with -include. A lane-by-lane copy is slower
// than the real shuffle, which only matters for speed, not for what the fuzzer finds. The proper fix is
// a shuffle helper in src/engine/effects/simd.h that uses __builtin_shufflevector under clang.
#pragma once

#if defined(__clang__) && defined(__cplusplus)
template <class Vector, class Mask>
inline Vector orvuShuffle(Vector a, Vector b, Mask mask) {
    constexpr int lanes = sizeof(Vector) / sizeof(a[0]);
    Vector result{};
    for (int i = 0; i < lanes; ++i) {
        const int k = mask[i] & (2 * lanes - 1);
        result[i] = k < lanes ? a[k] : b[k - lanes];
    }
    return result;
}
// Variadic, as the mask is a braced list whose commas split macro arguments.
#define __builtin_shuffle(a, b, ...) orvuShuffle(a, b, __VA_ARGS__)
#endif
