// Purpose: the playback session, the windows' one door to the engine: the current channel, its ten
// equalizer bands, reverb and echo with their parameter records, and the steps of loading a track.
#include "core/playback_session.h"

#include "core/path_bytes.h"
#include "engine/engine.h"

namespace orvu {
namespace {

// No loop flag: the player follows a track with the next one (itself, in a one-entry playlist) by
// preparing it before the end, so a channel's end is always where the track really ends.
constexpr std::uint32_t streamFlags = engine::kSampleFx;
constexpr std::uint32_t musicFlags = engine::kMusicRamp | engine::kSampleFx;
constexpr std::array<float, PlaybackSession::bandCount> bandCentres = {
    100.0f, 200.0f, 400.0f, 600.0f, 1000.0f, 3000.0f, 6000.0f, 12000.0f, 14000.0f, 16000.0f};
constexpr float bandwidthSemitones = 18.0f;

} // namespace

PlaybackSession::PlaybackSession(engine::Engine& engine)
    : Bass(engine) {}

void PlaybackSession::release() {
    dropNext();
    freeChannel(Channel);
}

void PlaybackSession::open(const QString& path) {
    release();
    Channel = openChannel(path);
}

engine::Handle PlaybackSession::openChannel(const QString& path) {
    const std::string name = pathToBytes(path).toStdString();
    engine::Handle channel = Bass.streamCreateFile(false, name, 0, 0, streamFlags);
    if (channel == 0)
        channel = Bass.musicLoad(false, name, 0, 0, musicFlags, 1);
    Bass.channelSetAttribute(channel, engine::kAttribVol, 0.0f);
    return channel;
}

void PlaybackSession::freeChannel(engine::Handle channel) {
    Bass.musicFree(channel);
    Bass.streamFree(channel);
}

PlaybackSession::ChannelHandles PlaybackSession::current() const {
    return {Channel, EqFx, ReverbFx, EchoFx};
}

void PlaybackSession::makeCurrent(const ChannelHandles& handles) {
    Channel = handles.channel;
    EqFx = handles.eq;
    ReverbFx = handles.reverb;
    EchoFx = handles.echo;
}

template <typename Apply>
void PlaybackSession::forEachChannel(Apply apply) {
    apply();
    if (next_.channel == 0)
        return;
    const ChannelHandles playing = current();
    makeCurrent(next_);
    apply();
    next_ = current();
    makeCurrent(playing);
}

bool PlaybackSession::prepareNext(const QString& path) {
    dropNext();
    const engine::Handle channel = openChannel(path);
    if (channel == 0)
        return false;
    // The load's steps run on the new channel as if it were current; nothing is prepared meanwhile, so
    // the setters they call reach it alone.
    const ChannelHandles playing = current();
    makeCurrent({channel, {}, 0, 0});
    AttachEqualizer();
    setVolume(volume_);
    next_ = current();
    makeCurrent(playing);
    nextPath_ = path;
    Bass.channelSetNext(Channel, next_.channel);
    return true;
}

void PlaybackSession::dropNext() {
    if (next_.channel != 0)
        freeChannel(next_.channel);
    next_ = {};
    nextPath_.clear();
}

bool PlaybackSession::adoptNext(const QString& path) {
    if (next_.channel == 0 || path != nextPath_)
        return false;
    // The engine started the prepared channel on the frame after the old one's last, unless the old one
    // ended before it was prepared. One that started may have ended already: it must not start over.
    const bool started = Bass.channelIsActive(next_.channel) != engine::kActiveStopped ||
                         Bass.channelGetPosition(next_.channel, engine::kPosByte) > 0;
    freeChannel(Channel);
    makeCurrent(next_);
    next_ = {};
    nextPath_.clear();
    if (!started)
        Bass.channelPlay(Channel, false);
    return true;
}

void PlaybackSession::AttachEqualizer() {
    for (engine::Handle& band : EqFx)
        band = Bass.channelSetFX(Channel, engine::kFxDx8ParamEq, 1);
    fx();
    EqParams.fGain = 0.0f;
    EqParams.fBandwidth = bandwidthSemitones;
    for (std::size_t band = 0; band < EqFx.size(); ++band) {
        EqParams.fCenter = bandCentres[band];
        Bass.fxSetParameters(EqFx[band], &EqParams);
    }
    // The order of this re-application has no audible effect: playback starts only afterwards.
    for (int band : {0, 2, 3})
        setBandGain(band, bandGain(band));
    setBalance(effects_.balance);
    for (int band : {1, 4, 6, 5, 7, 8, 9})
        setBandGain(band, bandGain(band));
}

void PlaybackSession::setBandGain(int band, int gain) {
    const auto index = static_cast<std::size_t>(band);
    bandGains_[index] = gain;
    forEachChannel([&] {
        // The record is shared: when the band has no effect, it keeps what the last band left in it.
        Bass.fxGetParameters(EqFx[index], &EqParams);
        EqParams.fGain = static_cast<float>(gain);
        Bass.fxSetParameters(EqFx[index], &EqParams);
    });
}

void PlaybackSession::fx() {
    ReverbFx = Bass.channelSetFX(Channel, engine::kFxDx8Reverb, 1);
    ReverbParams.fReverbMix = -96.0f;
    ReverbParams.fReverbTime = 0.001f;
    ReverbParams.fHighFreqRTRatio = 0.1f;
    Bass.fxSetParameters(ReverbFx, &ReverbParams);
    EchoFx = Bass.channelSetFX(Channel, engine::kFxDx8Echo, 1);
    EchoParams = {};
    Bass.fxSetParameters(EchoFx, &EchoParams);
    setBalance(effects_.balance);
    setDiskSpeed(effects_.diskSpeed);
    setReverbMix(effects_.reverbMix);
    setEchoMix(effects_.echoMix);
    setEchoFeedback(effects_.echoFeedback);
    setReverbTime(effects_.reverbTime);
}

void PlaybackSession::setVolume(int percent) {
    volume_ = percent;
    forEachChannel(
        [&] { Bass.channelSetAttribute(Channel, engine::kAttribVol, static_cast<float>(percent) / 100.0f); });
}

void PlaybackSession::setBalance(int position) {
    effects_.balance = position;
    forEachChannel(
        [&] { Bass.channelSetAttribute(Channel, engine::kAttribPan, static_cast<float>(position / 100.0)); });
}

void PlaybackSession::setDiskSpeed(int position) {
    effects_.diskSpeed = position;
    forEachChannel(
        [&] { Bass.channelSetAttribute(Channel, engine::kAttribFreq, static_cast<float>(position * 100)); });
}

void PlaybackSession::setReverbMix(int position) {
    effects_.reverbMix = position;
    forEachChannel([&] {
        Bass.fxGetParameters(ReverbFx, &ReverbParams);
        const long double x = 40 - position;
        ReverbParams.fReverbMix = static_cast<float>(((x * -0.012L) * x) * x);
        Bass.fxSetParameters(ReverbFx, &ReverbParams);
    });
}

void PlaybackSession::setReverbTime(int position) {
    effects_.reverbTime = position;
    forEachChannel([&] {
        Bass.fxGetParameters(ReverbFx, &ReverbParams);
        ReverbParams.fReverbTime = static_cast<float>(position / 1000.0);
        Bass.fxSetParameters(ReverbFx, &ReverbParams);
    });
}

void PlaybackSession::setEchoMix(int position) {
    effects_.echoMix = position;
    forEachChannel([&] {
        Bass.fxGetParameters(EchoFx, &EchoParams);
        EchoParams.fWetDryMix = static_cast<float>(position);
        Bass.fxSetParameters(EchoFx, &EchoParams);
    });
}

void PlaybackSession::setEchoFeedback(int position) {
    effects_.echoFeedback = position;
    forEachChannel([&] {
        Bass.fxGetParameters(EchoFx, &EchoParams);
        EchoParams.fFeedback = static_cast<float>(position);
        Bass.fxSetParameters(EchoFx, &EchoParams);
    });
}

} // namespace orvu
