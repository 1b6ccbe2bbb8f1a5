// Purpose: figures for bench/effects/run: the CPU cost of the player's effect chain (ten equalizer
// bands, reverb, echo) rendered through the engine, and the same input written out for ffmpeg.
#include "effects/buffer_decoder.h"
#include "engine/effect_chain.h"
#include "engine/effects/effect.h"
#include "engine/engine.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace orvu::engine;

namespace {

constexpr int rate = 44100;
constexpr std::size_t deviceBuffer = 1024;

// The player's ten band centres; the bench gives them alternating boosts and cuts so no band is flat.
constexpr float centres[] = {100, 200, 400, 600, 1000, 3000, 6000, 12000, 14000, 16000};

std::vector<float> input(int seconds) {
    return orvu::test::whiteNoise(static_cast<std::size_t>(seconds) * rate, 2, 0.25f);
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// What renderCost puts on the channel.
enum class Effects { none, bands, chain };

// Renders the whole input on this thread; returns the CPU seconds spent in Engine::render.
double renderCost(int seconds, Effects effects) {
    Engine engine;
    engine.initManual(rate);
    const Handle h =
        engine.streamCreateDecoder(orvu::test::makeBufferDecoder(input(seconds), 2, rate), 0, "noise");
    if (effects != Effects::none) {
        for (std::size_t i = 0; i < std::size(centres); ++i) {
            const ParamEqParameters band{centres[i], 18.0f, i % 2 == 0 ? 3.0f : -3.0f};
            engine.fxSetParameters(engine.channelSetFX(h, kFxDx8ParamEq, 0), &band);
        }
    }
    if (effects == Effects::chain) {
        const ReverbParameters reverb{0.0f, -10.0f, 1000.0f, 0.5f};
        engine.fxSetParameters(engine.channelSetFX(h, kFxDx8Reverb, 0), &reverb);
        const EchoParameters echo{30.0f, 40.0f, 300.0f, 300.0f, 0};
        engine.fxSetParameters(engine.channelSetFX(h, kFxDx8Echo, 0), &echo);
    }
    engine.channelPlay(h, false);
    std::vector<float> out(2 * deviceBuffer);
    double spent = 0.0;
    const std::size_t total = static_cast<std::size_t>(seconds) * rate;
    for (std::size_t done = 0; done < total; done += deviceBuffer) {
        const double start = threadCpuSeconds();
        engine.render(out.data(), deviceBuffer);
        spent += threadCpuSeconds() - start;
    }
    return spent;
}

// CPU seconds for the chain of `chain` alone (no engine) over the whole input, in device-sized blocks.
template <class Setup>
double chainCost(const std::vector<float>& samples, Setup setup) {
    EffectChain chain;
    setup(chain);
    std::vector<float> block(2 * deviceBuffer);
    double spent = 0.0;
    const std::size_t total = samples.size() / 2;
    for (std::size_t done = 0; done + deviceBuffer <= total; done += deviceBuffer) {
        std::memcpy(block.data(), samples.data() + 2 * done, block.size() * sizeof(float));
        const double start = threadCpuSeconds();
        chain.process(block.data(), deviceBuffer, 2);
        spent += threadCpuSeconds() - start;
    }
    return spent;
}

// Adds an effect of `type` with `record` to `chain`, as the engine would (the record goes through the
// effect's mailbox and is taken at the first block).
void addEffect(EffectChain& chain, std::uint32_t type, const void* record) {
    std::unique_ptr<fx::Effect> effect = fx::makeEffect(type, 1, 0, rate, 2);
    effect->setParameters(record);
    chain.add(std::move(effect));
}

// Each part of the chain on its own, in ms of CPU per audio second: where the time goes.
int parts(int seconds) {
    const std::vector<float> samples = input(seconds);
    const auto bands = [](EffectChain& chain) {
        for (std::size_t i = 0; i < std::size(centres); ++i) {
            const ParamEqParameters band{centres[i], 18.0f, i % 2 == 0 ? 3.0f : -3.0f};
            addEffect(chain, kFxDx8ParamEq, &band);
        }
    };
    const auto reverb = [](EffectChain& chain) {
        const ReverbParameters record{0.0f, -10.0f, 1000.0f, 0.5f};
        addEffect(chain, kFxDx8Reverb, &record);
    };
    const auto echo = [](EffectChain& chain) {
        const EchoParameters record{30.0f, 40.0f, 300.0f, 300.0f, 0};
        addEffect(chain, kFxDx8Echo, &record);
    };
    const double perSecond = 1000.0 / seconds;
    std::printf("ten bands %.3f ms, reverb %.3f ms, echo %.3f ms, whole chain %.3f ms per audio second\n",
                perSecond * chainCost(samples, bands), perSecond * chainCost(samples, reverb),
                perSecond * chainCost(samples, echo), perSecond * chainCost(samples, [&](EffectChain& chain) {
                                                          bands(chain);
                                                          reverb(chain);
                                                          echo(chain);
                                                      }));
    return 0;
}

int writeInput(const char* path, int seconds) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return 1;
    const std::vector<float> samples = input(seconds);
    const bool ok = std::fwrite(samples.data(), sizeof(float), samples.size(), file) == samples.size();
    return std::fclose(file) == 0 && ok ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc >= 4 && std::strcmp(argv[1], "write-input") == 0)
        return writeInput(argv[2], std::atoi(argv[3]));
    if (argc >= 3 && std::strcmp(argv[1], "render") == 0) {
        const int seconds = std::atoi(argv[2]);
        const double plain = renderCost(seconds, Effects::none);
        const double bands = renderCost(seconds, Effects::bands);
        const double chained = renderCost(seconds, Effects::chain);
        // One line for the run script: audio seconds, render CPU seconds with no effects, with the ten
        // bands alone and with the whole chain.
        std::printf("%d %.6f %.6f %.6f\n", seconds, plain, bands, chained);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "parts") == 0)
        return parts(std::atoi(argv[2]));
    std::fprintf(stderr, "usage: effects_bench write-input FILE SECONDS | render SECONDS | parts SECONDS\n");
    return 2;
}
