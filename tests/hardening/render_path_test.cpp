// Purpose: the output thread's render path allocates nothing and takes no lock, counted by hooks on
// every allocation and every mutex of the process that look at which thread asks.
#include "engine/engine.h"
#include "engine/sine_decoder.h" // tests/engine

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ORVU_SANITIZER_HOOKS 1
// The sanitizers' interface (sanitizer/allocator_interface.h, which GCC does not install).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             std::size_t),
                                                         void (*free_hook)(const volatile void*));
#endif

using namespace orvu::engine;

namespace {

// Set on the thread that renders while it is inside render().
thread_local bool insideRender = false;
std::atomic<long> renderAllocations{0};
std::atomic<long> renderLocks{0};

void countAllocation() {
    if (insideRender)
        renderAllocations.fetch_add(1, std::memory_order_relaxed);
}

// The next definition of a C library function after this executable's own.
template <class Function>
Function* nextDefinition(const char* name) {
    return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

} // namespace

#ifndef __SANITIZE_THREAD__ // ThreadSanitizer watches these functions itself; this test skips there
// Every mutex lock of the process passes here (this executable's definitions come first) and is
// handed on; the rendering thread's are counted.
extern "C" {
int pthread_mutex_lock(pthread_mutex_t* mutex) {
    static auto* next = nextDefinition<int(pthread_mutex_t*)>("pthread_mutex_lock");
    if (insideRender)
        renderLocks.fetch_add(1, std::memory_order_relaxed);
    return next(mutex);
}
int pthread_mutex_trylock(pthread_mutex_t* mutex) {
    static auto* next = nextDefinition<int(pthread_mutex_t*)>("pthread_mutex_trylock");
    if (insideRender)
        renderLocks.fetch_add(1, std::memory_order_relaxed);
    return next(mutex);
}
int pthread_rwlock_rdlock(pthread_rwlock_t* lock) {
    static auto* next = nextDefinition<int(pthread_rwlock_t*)>("pthread_rwlock_rdlock");
    if (insideRender)
        renderLocks.fetch_add(1, std::memory_order_relaxed);
    return next(lock);
}
int pthread_rwlock_wrlock(pthread_rwlock_t* lock) {
    static auto* next = nextDefinition<int(pthread_rwlock_t*)>("pthread_rwlock_wrlock");
    if (insideRender)
        renderLocks.fetch_add(1, std::memory_order_relaxed);
    return next(lock);
}
}
#endif

#ifdef ORVU_SANITIZER_HOOKS
// The sanitizers own malloc; they call these hooks on every allocation and release.
extern "C" {
void orvuMallocHook(const volatile void*, std::size_t) {
    countAllocation();
}
void orvuFreeHook(const volatile void*) {}
}
const int hooksInstalled = __sanitizer_install_malloc_and_free_hooks(orvuMallocHook, orvuFreeHook);
#else
// Without a sanitizer, malloc itself is replaced here and hands on to the C library's.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* malloc(std::size_t size) {
    countAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    countAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
    countAllocation();
    return __libc_realloc(pointer, size);
}
}
const int hooksInstalled = 1;
#endif

// A playing channel with every effect on (ten equalizer bands, echo and reverb), its volume sliding and
// its rate changed, rendered 100,000 times in small calls as a device would (underruns included): not
// one allocation and not one lock on the rendering thread. The channel is made and the effects set
// before counting; only what render() itself asks for counts.
TEST(RenderPath, NoAllocationNoLockWithEveryEffectOn) {
#ifdef __SANITIZE_THREAD__
    GTEST_SKIP() << "ThreadSanitizer owns the lock functions";
#endif
    ASSERT_NE(hooksInstalled, 0);
    Engine engine;
    ASSERT_TRUE(engine.initManual(44100, Engine::ManualRender::Underrun));
    orvu::test::SineSpec sine;
    sine.lengthFrames = 44100 * 5;
    const Handle h =
        engine.streamCreateDecoder(orvu::test::makeSineDecoder(sine), kSampleLoop | kSampleFx, "sine");
    ASSERT_NE(h, 0u);
    const float centres[] = {80, 125, 250, 500, 1000, 2000, 4000, 8000, 12000, 16000};
    for (const float centre : centres) {
        const Handle fx = engine.channelSetFX(h, kFxDx8ParamEq, 0);
        ASSERT_NE(fx, 0u);
        const ParamEqParameters band{centre, 12, 6};
        ASSERT_TRUE(engine.fxSetParameters(fx, &band));
    }
    const Handle echo = engine.channelSetFX(h, kFxDx8Echo, 1);
    const EchoParameters echoes{50, 40, 300, 300, 1};
    ASSERT_TRUE(engine.fxSetParameters(echo, &echoes));
    const Handle reverb = engine.channelSetFX(h, kFxDx8Reverb, 2);
    const ReverbParameters room{0, -6, 1500, 0.5f};
    ASSERT_TRUE(engine.fxSetParameters(reverb, &room));
    ASSERT_TRUE(engine.channelSetAttribute(h, kAttribFreq, 48000));
    ASSERT_TRUE(engine.channelPlay(h, false));
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the decoder fills its ring first

    // The hooks are live: an allocation and a lock inside the marked span count.
    std::mutex probeMutex;
    insideRender = true;
    void* volatile probe = std::malloc(16);
    probeMutex.lock();
    insideRender = false;
    probeMutex.unlock();
    std::free(probe);
    ASSERT_EQ(renderAllocations.load(), 1);
    ASSERT_EQ(renderLocks.load(), 1);

    std::vector<float> out(2 * 32);
    renderAllocations = 0;
    renderLocks = 0;
    for (int call = 0; call < 100000; ++call) {
        if (call % 10000 == 0) // parameter changes travel to the render path while it runs
            engine.channelSlideAttribute(h, kAttribVol, call % 20000 == 0 ? 0.2f : 1.0f, 50);
        insideRender = true;
        engine.render(out.data(), 32);
        insideRender = false;
    }
    EXPECT_EQ(renderAllocations.load(), 0);
    EXPECT_EQ(renderLocks.load(), 0);
    engine.streamFree(h);
}
