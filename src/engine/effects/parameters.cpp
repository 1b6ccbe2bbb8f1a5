// Purpose: the valid ranges and the starting values of the effects' parameter records.
#include "engine/effects/parameters.h"

namespace orvu::engine::fx {
namespace {

// Written so that NaN fails.
bool within(float value, float low, float high) {
    return value >= low && value <= high;
}

} // namespace

bool isValid(const ParamEqParameters& r) {
    return within(r.fCenter, 80.0f, 16000.0f) && within(r.fBandwidth, 1.0f, 36.0f) &&
           within(r.fGain, -15.0f, 15.0f);
}

bool isValid(const EchoParameters& r) {
    return within(r.fWetDryMix, 0.0f, 100.0f) && within(r.fFeedback, 0.0f, 100.0f) &&
           within(r.fLeftDelay, 1.0f, 2000.0f) && within(r.fRightDelay, 1.0f, 2000.0f) &&
           (r.lPanDelay == 0 || r.lPanDelay == 1);
}

bool isValid(const ReverbParameters& r) {
    return within(r.fInGain, -96.0f, 0.0f) && within(r.fReverbMix, -96.0f, 0.0f) &&
           within(r.fReverbTime, 0.001f, 3000.0f) && within(r.fHighFreqRTRatio, 0.001f, 0.999f);
}

float maxParamEqCentre(int rate) {
    return static_cast<float>(rate) / 3.0f;
}

} // namespace orvu::engine::fx
