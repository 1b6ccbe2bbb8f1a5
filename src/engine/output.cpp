// Purpose: where the engine's mix goes: the system's default output through SDL2, or a real-time
// clock that consumes the mix when there is no sound.
#include "engine/output.h"

#include <SDL2/SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace orvu::engine {
namespace {

constexpr int deviceBufferFrames = 1024;

class DeviceOutput final : public Output {
public:
    DeviceOutput(RenderFunction render, void* context)
        : render_(render)
        , context_(context) {}

    ~DeviceOutput() override {
        if (device_ != 0)
            SDL_CloseAudioDevice(device_);
        if (initialised_)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool open(int rate) {
        // SDL would otherwise take SIGINT and SIGTERM for its own quit event, which the player never
        // reads: a termination request must stay the player's.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        initialised_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        if (!initialised_)
            return false;
        SDL_AudioSpec wanted{};
        wanted.freq = rate;
        wanted.format = AUDIO_F32SYS;
        wanted.channels = 2;
        wanted.samples = deviceBufferFrames;
        wanted.callback = &DeviceOutput::callback;
        wanted.userdata = this;
        SDL_AudioSpec obtained{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0); // SDL converts if it must
        if (device_ == 0)
            return false;
        latency_ = 2 * static_cast<std::int64_t>(obtained.samples); // the driver's period plus ours
        return true;
    }

    bool start() override {
        SDL_PauseAudioDevice(device_, 0);
        running_ = true;
        return true;
    }
    void stop() override {
        SDL_PauseAudioDevice(device_, 1); // waits for a running callback to finish
        running_ = false;
    }
    bool running() const override { return running_; }
    std::int64_t latencyFrames() const override { return latency_; }
    bool playsOutSteadily() const override { return true; }

private:
    static void callback(void* self, Uint8* stream, int bytes) {
        auto* output = static_cast<DeviceOutput*>(self);
        output->render_(output->context_, reinterpret_cast<float*>(stream),
                        static_cast<std::size_t>(bytes) / (2 * sizeof(float)));
    }

    RenderFunction render_;
    void* context_;
    bool initialised_ = false;
    SDL_AudioDeviceID device_ = 0;
    bool running_ = false;
    std::int64_t latency_ = 0;
};

class ClockOutput final : public Output {
public:
    ClockOutput(int rate, RenderFunction render, void* context)
        : rate_(rate)
        , render_(render)
        , context_(context)
        , buffer_(2 * deviceBufferFrames) {}
    ~ClockOutput() override { stop(); }

    bool start() override {
        if (thread_.joinable())
            return true;
        quit_ = false;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    void stop() override {
        if (!thread_.joinable())
            return;
        {
            std::scoped_lock lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    bool running() const override { return thread_.joinable(); }
    std::int64_t latencyFrames() const override { return 0; }

private:
    void run() {
        const auto period = std::chrono::nanoseconds(1'000'000'000LL * deviceBufferFrames / rate_);
        auto next = std::chrono::steady_clock::now();
        std::unique_lock lock(mutex_);
        while (!quit_) {
            lock.unlock();
            render_(context_, buffer_.data(), deviceBufferFrames);
            lock.lock();
            next += period;
            wake_.wait_until(lock, next, [this] { return quit_; });
        }
    }

    int rate_;
    RenderFunction render_;
    void* context_;
    std::vector<float> buffer_;
    std::mutex mutex_; // guards quit_ between the control thread and the clock thread only
    std::condition_variable wake_;
    bool quit_ = false;
    std::thread thread_;
};

} // namespace

std::unique_ptr<Output> openDeviceOutput(int rate, RenderFunction render, void* context) {
    auto output = std::make_unique<DeviceOutput>(render, context);
    if (!output->open(rate))
        return nullptr;
    return output;
}

std::unique_ptr<Output> openClockOutput(int rate, RenderFunction render, void* context) {
    return std::make_unique<ClockOutput>(rate, render, context);
}

} // namespace orvu::engine
