// Purpose: the MIDI add-on: plays Standard MIDI Files through FluidSynth with the system's General MIDI
// SoundFont, as stereo float at 44100 Hz. FluidSynth is loaded at the first MIDI open, not with the
// add-on: linked in, it would bring some sixty libraries (GLib, PulseAudio, JACK, libsndfile ...) into
// every start-up of the player, MIDI or not.
#include "engine/formats/plugin_api.h"
#include "engine/formats/regular_file.h"

#include <fluidsynth.h> // declarations only: the library is loaded by dlopen

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr std::uint32_t kCtypeMidi = 0x10d00; // kCtypeStreamMidi in formats.h
constexpr std::size_t kMaxMidiBytes = 16 * 1024 * 1024;
constexpr const char* kSoundFonts[] = {"/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                       "/usr/share/sounds/sf2/default-GM.sf2"};

// The FluidSynth functions the add-on calls.
#define ORVU_FLUID_FUNCTIONS(X)                                                                              \
    X(new_fluid_settings)                                                                                    \
    X(delete_fluid_settings)                                                                                 \
    X(fluid_settings_setnum)                                                                                 \
    X(fluid_settings_setint)                                                                                 \
    X(fluid_settings_setstr)                                                                                 \
    X(new_fluid_synth)                                                                                       \
    X(delete_fluid_synth)                                                                                    \
    X(fluid_synth_sfload)                                                                                    \
    X(fluid_synth_system_reset)                                                                              \
    X(fluid_synth_write_float)                                                                               \
    X(new_fluid_player)                                                                                      \
    X(delete_fluid_player)                                                                                   \
    X(fluid_player_add_mem)                                                                                  \
    X(fluid_player_play)                                                                                     \
    X(fluid_player_seek)                                                                                     \
    X(fluid_set_log_function)

struct Fluid {
#define ORVU_FLUID_MEMBER(name) decltype(&::name) name = nullptr;
    ORVU_FLUID_FUNCTIONS(ORVU_FLUID_MEMBER)
#undef ORVU_FLUID_MEMBER
};

// FluidSynth's functions with its log silenced, or nullptr when the library cannot be loaded. The first
// call loads it; opens run on the engine's opener threads, and the static's initialisation is thread-safe.
const Fluid* fluid() {
    static const Fluid* const loaded = []() -> const Fluid* {
        // RTLD_NODELETE: FluidSynth and GLib under it keep process-wide state that must never be unmapped.
        void* library = dlopen(ORVU_FLUIDSYNTH_SONAME, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!library)
            return nullptr;
        static Fluid api;
        bool complete = true;
#define ORVU_FLUID_RESOLVE(name)                                                                             \
    api.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));                                   \
    complete = complete && api.name != nullptr;
        ORVU_FLUID_FUNCTIONS(ORVU_FLUID_RESOLVE)
#undef ORVU_FLUID_RESOLVE
        if (!complete)
            return nullptr;
        // FluidSynth would otherwise log to stderr from the decode thread.
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
            api.fluid_set_log_function(level, nullptr, nullptr);
        return &api;
    }();
    return loaded;
}

// The tempo map of a MIDI file and where its last event falls, enough to turn ticks into frames.
struct Timing {
    int division = 0;            // ticks per quarter note, or 0 with SMPTE timing
    double ticksPerSecond = 0.0; // SMPTE timing only
    std::vector<std::pair<std::int64_t, std::uint32_t>> tempos; // (tick, microseconds per quarter)
    std::int64_t lastTick = 0;

    double secondsAt(std::int64_t tick) const {
        if (division == 0)
            return static_cast<double>(tick) / ticksPerSecond;
        double seconds = 0.0;
        std::int64_t at = 0;
        std::uint32_t tempo = 500000;
        for (const auto& [when, value] : tempos) {
            if (when >= tick)
                break;
            seconds += static_cast<double>(when - at) * tempo / 1e6 / division;
            at = when;
            tempo = value;
        }
        return seconds + static_cast<double>(tick - at) * tempo / 1e6 / division;
    }

    std::int64_t tickAt(double seconds) const {
        if (division == 0)
            return static_cast<std::int64_t>(seconds * ticksPerSecond);
        std::int64_t lo = 0, hi = lastTick;
        while (lo < hi) { // secondsAt is monotonic in the tick
            const std::int64_t mid = lo + (hi - lo) / 2;
            if (secondsAt(mid) < seconds)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }
};

std::uint32_t be(const unsigned char* p, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | p[i];
    return v;
}

// Reads a variable-length quantity; false when it runs past the end.
bool readVarLen(const unsigned char*& p, const unsigned char* end, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (p >= end)
            return false;
        const unsigned char b = *p++;
        value = value << 7 | (b & 0x7f);
        if (!(b & 0x80))
            return true;
    }
    return false;
}

// Walks every track of a Standard MIDI File for its tempo map and length; false when it is not one.
bool parseTiming(const std::vector<unsigned char>& file, Timing& timing) {
    if (file.size() < 14 || std::memcmp(file.data(), "MThd", 4) != 0 || be(file.data() + 4, 4) < 6)
        return false;
    const unsigned tracks = be(file.data() + 10, 2);
    const unsigned division = be(file.data() + 12, 2);
    if (division & 0x8000) {
        const int fps = -static_cast<signed char>(division >> 8);
        timing.ticksPerSecond = static_cast<double>(fps) * (division & 0xff);
        if (timing.ticksPerSecond <= 0.0)
            return false;
    } else {
        timing.division = static_cast<int>(division);
        if (timing.division == 0)
            return false;
    }
    const unsigned char* p = file.data() + 8 + be(file.data() + 4, 4);
    const unsigned char* const fileEnd = file.data() + file.size();
    unsigned found = 0;
    while (found < tracks && fileEnd - p >= 8) {
        const std::uint32_t size = be(p + 4, 4);
        const bool isTrack = std::memcmp(p, "MTrk", 4) == 0;
        p += 8;
        if (size > static_cast<std::uint32_t>(fileEnd - p))
            return false;
        const unsigned char* const end = p + size;
        if (isTrack) {
            ++found;
            std::int64_t tick = 0;
            unsigned char status = 0;
            while (p < end) {
                std::uint32_t delta = 0;
                if (!readVarLen(p, end, delta) || p >= end)
                    return false;
                tick += delta;
                unsigned char b = *p;
                if (b & 0x80) {
                    status = b;
                    ++p;
                } else if (status == 0 || status >= 0xf0) {
                    return false; // running status without a status byte
                }
                if (status == 0xff) {
                    if (p >= end)
                        return false;
                    const unsigned char type = *p++;
                    std::uint32_t length = 0;
                    if (!readVarLen(p, end, length) || length > static_cast<std::uint32_t>(end - p))
                        return false;
                    if (type == 0x51 && length == 3)
                        timing.tempos.emplace_back(tick, be(p, 3));
                    p += length;
                    if (type == 0x2f)
                        break;
                    status = 0;
                } else if (status == 0xf0 || status == 0xf7) {
                    std::uint32_t length = 0;
                    if (!readVarLen(p, end, length) || length > static_cast<std::uint32_t>(end - p))
                        return false;
                    p += length;
                    status = 0;
                } else {
                    const int kind = status >> 4;
                    const int bytes = kind == 0xc || kind == 0xd ? 1 : 2;
                    if (end - p < bytes)
                        return false;
                    p += bytes;
                }
                timing.lastTick = std::max(timing.lastTick, tick);
            }
        }
        p = end;
    }
    if (found == 0)
        return false;
    std::stable_sort(timing.tempos.begin(), timing.tempos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return true;
}

struct Song {
    explicit Song(const Fluid& fluid)
        : api(fluid) {}
    Song(const Song&) = delete;
    Song& operator=(const Song&) = delete;

    const Fluid& api;
    std::vector<unsigned char> file;
    Timing timing;
    std::int64_t lengthFrames = 0;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    std::int64_t position = 0;

    ~Song() {
        if (player)
            api.delete_fluid_player(player);
        if (synth)
            api.delete_fluid_synth(synth);
        if (settings)
            api.delete_fluid_settings(settings);
    }

    // (Re)starts the player at `tick` with every voice silenced. FluidSynth reads the file into the
    // player only at its first render, so a started player that has not rendered yet knows no length
    // and refuses any seek past tick 0; a player not yet started takes the seek and applies it when it
    // loads the file. The seek is therefore set before the player starts.
    bool restartAt(std::int64_t tick) {
        if (player)
            api.delete_fluid_player(player);
        api.fluid_synth_system_reset(synth);
        player = api.new_fluid_player(synth);
        if (!player || api.fluid_player_add_mem(player, file.data(), file.size()) != FLUID_OK)
            return false;
        if (tick > 0 && api.fluid_player_seek(
                            player, static_cast<int>(std::min<std::int64_t>(tick, 0x7fffffff))) != FLUID_OK)
            return false;
        position = 0;
        return api.fluid_player_play(player) == FLUID_OK;
    }
};

void* midiOpen(int fd, int64_t size, const unsigned char* head, size_t headSize) {
    // A Standard MIDI File starts with its header chunk; anything else is refused before reading on.
    if (headSize < 4 || std::memcmp(head, "MThd", 4) != 0)
        return nullptr;
    const Fluid* api = fluid();
    if (!api)
        return nullptr;
    auto song = std::unique_ptr<Song>(new (std::nothrow) Song(*api));
    if (!song)
        return nullptr;
    song->file = orvu::engine::readWhole<unsigned char>(fd, size, kMaxMidiBytes);
    if (!parseTiming(song->file, song->timing))
        return nullptr;
    song->lengthFrames = std::llround(song->timing.secondsAt(song->timing.lastTick) * kRate);
    if (song->lengthFrames <= 0)
        return nullptr;

    song->settings = api->new_fluid_settings();
    if (!song->settings)
        return nullptr;
    api->fluid_settings_setnum(song->settings, "synth.sample-rate", kRate);
    api->fluid_settings_setint(song->settings, "synth.dynamic-sample-loading",
                               1); // load only the presets used
    api->fluid_settings_setstr(song->settings, "player.timing-source",
                               "sample"); // the player follows rendering
    api->fluid_settings_setint(song->settings, "synth.cpu-cores", 1);
    song->synth = api->new_fluid_synth(song->settings);
    if (!song->synth)
        return nullptr;
    bool loaded = false;
    for (const char* font : kSoundFonts)
        if (!loaded && ::access(font, R_OK) == 0)
            loaded = api->fluid_synth_sfload(song->synth, font, 1) != FLUID_FAILED;
    if (!loaded || !song->restartAt(0))
        return nullptr;
    return song.release();
}

int midiInfo(void* handle, OrvuAddonStreamInfo* info) {
    const auto* song = static_cast<Song*>(handle);
    info->sample_rate = kRate;
    info->channels = 2;
    info->length_frames = song->lengthFrames;
    info->origres = 0;
    return 0;
}

size_t midiRead(void* handle, float* out, size_t frames) {
    auto* song = static_cast<Song*>(handle);
    const std::int64_t left = song->lengthFrames - song->position;
    const int n = static_cast<int>(
        std::min<std::int64_t>(std::min<std::int64_t>(left, 1 << 16), static_cast<std::int64_t>(frames)));
    if (n <= 0)
        return 0;
    if (song->api.fluid_synth_write_float(song->synth, n, out, 0, 2, out, 1, 2) != FLUID_OK)
        return 0;
    song->position += n;
    return static_cast<size_t>(n);
}

int midiSeek(void* handle, int64_t frame) {
    auto* song = static_cast<Song*>(handle);
    if (frame < 0 || frame > song->lengthFrames)
        return -1;
    // The player jumps to the tick with the controllers and programs set on the way; a note sounding
    // across the target is not restarted, the next note on is heard.
    const std::int64_t tick = frame == 0 ? 0 : song->timing.tickAt(static_cast<double>(frame) / kRate);
    if (!song->restartAt(tick))
        return -1;
    song->position = frame;
    return 0;
}

void midiClose(void* handle) {
    delete static_cast<Song*>(handle);
}

const char* const kFamilies[] = {"midi", nullptr};

const OrvuAddon kAddon = {ORVU_ADDON_ABI, "bassmidi", kFamilies, kCtypeMidi, midiOpen,
                          midiInfo,       midiRead,   midiSeek,  midiClose};

} // namespace

extern "C" const OrvuAddon* orvu_addon_entry(void) {
    return &kAddon;
}
