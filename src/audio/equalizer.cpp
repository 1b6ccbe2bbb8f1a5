// Purpose: the ten band sliders' handlers: each gain goes to its band of the playback session.
#include "audio/effects_window.h"
#include "audio/presets_window.h"
#include "shell/main_window.h"
#include "skin/scroll_bar.h"

namespace orvu {
namespace {

constexpr std::int32_t presetOther = 12;

} // namespace

void TForm1::bandChange(int band) {
    ScrollBar* slider = bandSliders[static_cast<std::size_t>(band)];
    const int gain = 15 - slider->position();
    session.setBandGain(band, gain);
    slider->setToolTip(QString::number(gain));
}

void TForm1::bandScroll(int /*band*/) {
    state.PresetIndex = presetOther;
}

void TForm1::btn17Click() {
    showCentred(Form6);
}

void TForm1::btn18Click() {
    showCentred(Form5);
}

void TForm1::setEffectsWindow(TForm6* window) {
    Form6 = window;
    // The user works in the effects window until it closes.
    connect(window, &TForm6::openChanged, this, [this](bool open) { setEnabled(!open); });
}

void TForm1::setPresetsWindow(TForm5* window) {
    Form5 = window;
    // The user works in the preset window until it closes.
    connect(window, &TForm5::openChanged, this, [this](bool open) { setEnabled(!open); });
}

} // namespace orvu
