// Purpose: where the engine's mix goes: the system's default output through SDL2, or a real-time
// clock that consumes the mix when there is no sound.
//
// Threading: open/start/stop/close on the control thread. The output thread (SDL's or the clock's)
// calls the render function; stop() returns only when no render call is running.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvu::engine {

// Fills `frames` interleaved stereo float frames.
using RenderFunction = void (*)(void* context, float* stereo, std::size_t frames);

class Output {
public:
    virtual ~Output() = default;
    virtual bool start() = 0;
    virtual void stop() = 0;
    virtual bool running() const = 0;
    // Frames between the mix and the listener's ears.
    virtual std::int64_t latencyFrames() const = 0;
    // True when the device plays each render call's frames out steadily until the next call, so the
    // frame being heard between two calls follows the clock; false when each call's frames count as
    // heard at once (the no-sound clock).
    virtual bool playsOutSteadily() const { return false; }
};

// The system's default output device; nullptr when there is none.
std::unique_ptr<Output> openDeviceOutput(int rate, RenderFunction render, void* context);
// A clock that renders in real time and discards the sound.
std::unique_ptr<Output> openClockOutput(int rate, RenderFunction render, void* context);

} // namespace orvu::engine
