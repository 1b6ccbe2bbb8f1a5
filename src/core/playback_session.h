// Purpose: the playback session, the windows' one door to the engine: the current channel, its ten
// equalizer bands, reverb and echo with their parameter records, the steps of loading a track, and the
// channel prepared to follow the current one without a gap.
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
    void release(); // frees the current channel, stream or music, and the prepared one

    // Opens path as the channel to follow the current one: it gets the current effects, band gains and
    // volume, decodes ahead, and the engine starts it on the frame after the current channel's last.
    // Replaces a channel prepared before. False when the file cannot be opened.
    bool prepareNext(const QString& path);
    const QString& nextPath() const { return nextPath_; } // empty when nothing is prepared
    void dropNext();
    // When a channel was prepared for path, it becomes the current channel and the old one is freed;
    // it plays on from where the engine started it, or starts now when the engine never did. False
    // when nothing was prepared for path.
    bool adoptNext(const QString& path);
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
    // The handles one channel's load creates.
    struct ChannelHandles {
        engine::Handle channel = 0;
        std::array<engine::Handle, bandCount> eq{};
        engine::Handle reverb = 0;
        engine::Handle echo = 0;
    };
    ChannelHandles current() const;
    void makeCurrent(const ChannelHandles& handles);
    engine::Handle openChannel(const QString& path);
    void freeChannel(engine::Handle channel);
    void attachEqualizerAndFx();
    // Runs a setter on the current channel, then on the prepared one, so both sound alike.
    template <typename Apply>
    void forEachChannel(Apply apply);

    std::array<int, bandCount> bandGains_{};
    EffectPositions effects_;
    int volume_ = 100;
    ChannelHandles next_;
    QString nextPath_;
};

} // namespace orvu
