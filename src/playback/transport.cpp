// Purpose: the transport: play, and the volume slider.
#include "engine/engine.h"
#include "shell/main_window.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"

namespace orvu {

void TForm1::btn1Click() {
    if (Bass.channelIsActive(state.Channel) == engine::kActivePaused) {
        Bass.channelPlay(state.Channel, false);
        return;
    }
    if (lst1->itemIndex() == -1)
        lst1->setItemIndex(0);
    lst1DblClick();
}

void TForm1::scrlbr2Change() {
    const int position = scrlbr2->position();
    Bass.channelSetAttribute(state.Channel, engine::kAttribVol, static_cast<float>(position) / 100.0f);
    // The pattern "#" shows no digits at all for 0.
    scrlbr2->setToolTip(QStringLiteral("Volume : ") +
                        (position == 0 ? QString() : QString::number(position)));
}

} // namespace orvu
