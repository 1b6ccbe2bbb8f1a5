// Purpose: four-float vectors (GCC vector extensions, SSE on every x86-64) for the effects' block loops.
#pragma once

#include <cstring>

namespace orvu::engine::fx {

using F4 = float __attribute__((vector_size(16)));
using I4 = int __attribute__((vector_size(16))); // lane indices for __builtin_shuffle

inline F4 load4(const float* p) {
    F4 v;
    std::memcpy(&v, p, sizeof v); // unaligned load
    return v;
}

inline void store4(float* p, F4 v) {
    std::memcpy(p, &v, sizeof v);
}

inline F4 splat4(float x) {
    return F4{x, x, x, x};
}

// Four lanes of flushTiny (ramp.h): values decaying towards zero become zero, not denormal.
inline F4 flushTiny4(F4 v) {
    const F4 tiny = splat4(1e-18f);
    return (v + tiny) - tiny;
}

} // namespace orvu::engine::fx
