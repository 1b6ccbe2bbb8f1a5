// Purpose: one effect on a channel as the engine and the effect chain see it: its handle, priority,
// parameter record and processing.
#include "engine/effects/effect.h"

#include "engine/effects/echo.h"
#include "engine/effects/param_eq.h"
#include "engine/effects/parameters.h"
#include "engine/effects/reverb.h"

namespace orvu::engine::fx {

std::unique_ptr<Effect> makeEffect(std::uint32_t type, Handle handle, int priority, int rate, int channels) {
    switch (type) {
    case kFxDx8ParamEq: {
        ParamEqParameters initial = defaultParamEq;
        ParamEq::accept(initial, rate); // the default centre is lowered at rates under 24 kHz
        return std::make_unique<EffectOf<ParamEq>>(handle, priority, rate, channels, initial);
    }
    case kFxDx8Echo:
        return std::make_unique<EffectOf<Echo>>(handle, priority, rate, channels, defaultEcho);
    case kFxDx8Reverb:
        return std::make_unique<EffectOf<Reverb>>(handle, priority, rate, channels, defaultReverb);
    default:
        return nullptr;
    }
}

} // namespace orvu::engine::fx
