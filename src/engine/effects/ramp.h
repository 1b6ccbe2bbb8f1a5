// Purpose: a gain or coefficient that glides linearly to a new target, so parameter changes do not click.
#pragma once

namespace orvu::engine::fx {

class Ramp {
public:
    explicit Ramp(float value = 0.0f) { snap(value); }

    // Jumps to `value` at once (nothing has been heard yet, or the state was just cleared).
    void snap(float value) {
        value_ = target_ = value;
        step_ = 0.0f;
        remaining_ = 0;
    }

    // Starts a glide from the current value that reaches `target` after `frames` calls of next().
    void glideTo(float target, int frames) {
        if (frames <= 0) {
            snap(target);
            return;
        }
        target_ = target;
        step_ = (target - value_) / static_cast<float>(frames);
        remaining_ = frames;
    }

    // The value for the next frame; the last step lands exactly on the target.
    float next() {
        if (remaining_ > 0)
            value_ = --remaining_ == 0 ? target_ : value_ + step_;
        return value_;
    }

    float value() const { return value_; }
    float target() const { return target_; }
    bool moving() const { return remaining_ > 0; }
    // Calls of next() left before the value stops changing.
    int remaining() const { return remaining_; }

private:
    float value_ = 0.0f;
    float target_ = 0.0f;
    float step_ = 0.0f;
    int remaining_ = 0;
};

// Frames over which the effects glide to new parameters: 5 ms, short enough to be heard within one
// device buffer and long enough to avoid clicks.
inline int glideFrames(int rate) {
    return rate / 200 > 16 ? rate / 200 : 16;
}

// Adds and removes a tiny constant so values decaying towards zero become exactly zero instead of
// denormal numbers, which are very slow to compute with on x86.
inline float flushTiny(float value) {
    constexpr float tiny = 1e-18f;
    return (value + tiny) - tiny;
}
inline double flushTiny(double value) {
    constexpr double tiny = 1e-30;
    return (value + tiny) - tiny;
}

} // namespace orvu::engine::fx
