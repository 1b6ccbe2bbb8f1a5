// Purpose: the playback session, the windows' one door to the engine: the current channel, its ten
// equalizer bands, reverb and echo with their parameter records, and the steps of loading a track.
#include "core/playback_session.h"

#include "core/path_bytes.h"
#include "engine/engine.h"

namespace orvu {
namespace {

constexpr std::uint32_t streamFlags = engine::kSampleLoop | engine::kSampleFx;
constexpr std::uint32_t musicFlags = engine::kMusicRamp | engine::kSampleFx | engine::kSampleLoop;
constexpr std::array<float, PlaybackSession::bandCount> bandCentres = {
    100.0f, 200.0f, 400.0f, 600.0f, 1000.0f, 3000.0f, 6000.0f, 12000.0f, 14000.0f, 16000.0f};
constexpr float bandwidthSemitones = 18.0f;

} // namespace

PlaybackSession::PlaybackSession(engine::Engine& engine)
    : Bass(engine) {}

void PlaybackSession::release() {
    Bass.musicFree(Channel);
    Bass.streamFree(Channel);
}

void PlaybackSession::open(const QString& path) {
    release();
    const std::string name = pathToBytes(path).toStdString();
    Channel = Bass.streamCreateFile(false, name, 0, 0, streamFlags);
    if (Channel == 0)
        Channel = Bass.musicLoad(false, name, 0, 0, musicFlags, 1);
    Bass.channelSetAttribute(Channel, engine::kAttribVol, 0.0f);
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
    // The record is shared: when the band has no effect, it keeps what the last band left in it.
    Bass.fxGetParameters(EqFx[index], &EqParams);
    EqParams.fGain = static_cast<float>(gain);
    Bass.fxSetParameters(EqFx[index], &EqParams);
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
    Bass.channelSetAttribute(Channel, engine::kAttribVol, static_cast<float>(percent) / 100.0f);
}

void PlaybackSession::setBalance(int position) {
    effects_.balance = position;
    Bass.channelSetAttribute(Channel, engine::kAttribPan, static_cast<float>(position / 100.0));
}

void PlaybackSession::setDiskSpeed(int position) {
    effects_.diskSpeed = position;
    Bass.channelSetAttribute(Channel, engine::kAttribFreq, static_cast<float>(position * 100));
}

void PlaybackSession::setReverbMix(int position) {
    effects_.reverbMix = position;
    Bass.fxGetParameters(ReverbFx, &ReverbParams);
    const long double x = 40 - position;
    ReverbParams.fReverbMix = static_cast<float>(((x * -0.012L) * x) * x);
    Bass.fxSetParameters(ReverbFx, &ReverbParams);
}

void PlaybackSession::setReverbTime(int position) {
    effects_.reverbTime = position;
    Bass.fxGetParameters(ReverbFx, &ReverbParams);
    ReverbParams.fReverbTime = static_cast<float>(position / 1000.0);
    Bass.fxSetParameters(ReverbFx, &ReverbParams);
}

void PlaybackSession::setEchoMix(int position) {
    effects_.echoMix = position;
    Bass.fxGetParameters(EchoFx, &EchoParams);
    EchoParams.fWetDryMix = static_cast<float>(position);
    Bass.fxSetParameters(EchoFx, &EchoParams);
}

void PlaybackSession::setEchoFeedback(int position) {
    effects_.echoFeedback = position;
    Bass.fxGetParameters(EchoFx, &EchoParams);
    EchoParams.fFeedback = static_cast<float>(position);
    Bass.fxSetParameters(EchoFx, &EchoParams);
}

} // namespace orvu
