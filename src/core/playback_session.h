// Purpose: the playback session, the windows' one door to the engine: the current channel, its ten
// equalizer bands, reverb and echo with their parameter records, and the steps of loading a track.
#pragma once

#include "engine/engine_types.h"

#include <QString>

#include <array>

namespace orvu {

namespace engine {
class Engine;
}

// The effects window's six slider positions; the session applies them to every channel it loads.
struct EffectPositions {
    int balance = 0;      // -100 (left) .. 100 (right)
    int diskSpeed = 0;    // hundreds of Hz, 0 = the file's own rate
    int reverbMix = 20;   // 20 (off) .. 40 (0 dB)
    int reverbTime = 20;  // ms
    int echoMix = 0;      // percent
    int echoFeedback = 0; // percent
};

class PlaybackSession {
public:
    static constexpr int bandCount = 10;

    explicit PlaybackSession(engine::Engine& engine);

    engine::Engine& Bass;
    engine::Handle Channel = 0; // the current stream or music; keeps a freed handle
    std::array<engine::Handle, bandCount> EqFx{};
    engine::ParamEqParameters EqParams{}; // the one record the ten bands share
    engine::Handle ReverbFx = 0;
    engine::Handle EchoFx = 0;
    engine::ReverbParameters ReverbParams{};
    engine::EchoParameters EchoParams{};

    // Frees the current channel, then opens path as a stream, or as music when no stream decoder
    // takes it. The new channel starts silent: the load's volume step sets its level. A file that
    // cannot be opened leaves Channel 0.
    void open(const QString& path);
    void release(); // frees the current channel, stream or music
    // Ten equalizer bands and the effects on the current channel, each band at its remembered gain.
    void AttachEqualizer();
    // Reverb and echo on the current channel, and the six remembered effect positions applied.
    void fx();
    void setVolume(int percent);

    // The gain of a band in dB (-15..15), remembered for the channels to come.
    void setBandGain(int band, int gain);
    int bandGain(int band) const { return bandGains_[static_cast<std::size_t>(band)]; }

    const EffectPositions& effects() const { return effects_; }
    void setBalance(int position);
    void setDiskSpeed(int position);
    void setReverbMix(int position);
    void setReverbTime(int position);
    void setEchoMix(int position);
    void setEchoFeedback(int position);

private:
    std::array<int, bandCount> bandGains_{};
    EffectPositions effects_;
};

} // namespace orvu
