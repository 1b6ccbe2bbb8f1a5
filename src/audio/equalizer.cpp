// Purpose: the ten-band equalizer: one parametric-equalizer effect per band slider on the current channel.
#include "audio/effects_window.h"
#include "engine/engine.h"
#include "shell/main_window.h"
#include "skin/scroll_bar.h"

#include <QWidget>

#include <array>

namespace orvu {
namespace {

constexpr std::array<float, 10> bandCentres = {100.0f,  200.0f,  400.0f,   600.0f,   1000.0f,
                                               3000.0f, 6000.0f, 12000.0f, 14000.0f, 16000.0f};
constexpr float bandwidthSemitones = 18.0f;
constexpr std::int32_t presetOther = 12;

} // namespace

void TForm1::AttachEqualizer() {
    for (std::size_t band = 0; band < 10; ++band)
        state.EqFx[band] = Bass.channelSetFX(state.Channel, engine::kFxDx8ParamEq, 1);
    if (Form6)
        Form6->fx();
    state.EqParams.fGain = 0.0f;
    state.EqParams.fBandwidth = bandwidthSemitones;
    for (std::size_t band = 0; band < 10; ++band) {
        state.EqParams.fCenter = bandCentres[band];
        Bass.fxSetParameters(state.EqFx[band], &state.EqParams);
    }
    // The order of this re-application has no audible effect: playback starts only afterwards.
    for (int band : {0, 2, 3})
        bandChange(band);
    if (Form6)
        Form6->scrlbr1Change();
    for (int band : {1, 4, 6, 5, 7, 8, 9})
        bandChange(band);
}

void TForm1::bandChange(int band) {
    const auto index = static_cast<std::size_t>(band);
    const int gain = 15 - bandSliders[index]->position();
    Bass.fxGetParameters(state.EqFx[index], &state.EqParams);
    state.EqParams.fGain = static_cast<float>(gain);
    Bass.fxSetParameters(state.EqFx[index], &state.EqParams);
    bandSliders[index]->setToolTip(QString::number(gain));
}

void TForm1::bandScroll(int /*band*/) {
    state.PresetIndex = presetOther;
}

void TForm1::btn17Click() {
    if (Form6)
        Form6->show();
}

void TForm1::btn18Click() {
    if (Form5)
        Form5->show();
}

} // namespace orvu
