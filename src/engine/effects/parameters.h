// Purpose: the valid ranges and the starting values of the effects' parameter records.
#pragma once

#include "engine/engine_types.h"

namespace orvu::engine::fx {

// The values an effect starts with.
inline constexpr ParamEqParameters defaultParamEq{8000.0f, 12.0f, 0.0f};
inline constexpr EchoParameters defaultEcho{50.0f, 50.0f, 500.0f, 500.0f, 0};
inline constexpr ReverbParameters defaultReverb{0.0f, 0.0f, 1000.0f, 0.001f};

// True when every field lies in its range (NaN never does). A record that fails is refused whole.
bool isValid(const ParamEqParameters& record);
bool isValid(const EchoParameters& record);
bool isValid(const ReverbParameters& record);

// The highest centre a band may have at `rate`: a third of the rate. Higher valid centres are
// accepted and lowered to it.
float maxParamEqCentre(int rate);

} // namespace orvu::engine::fx
