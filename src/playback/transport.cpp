// Purpose: the transport: play, pause, stop, rewind and forward, previous, next, random, the seek bar and
// the volume slider.
#include "audio/effects_window.h"
#include "core/player_random.h"
#include "engine/engine.h"
#include "shell/error_box.h"
#include "shell/input_wiring.h"
#include "shell/main_window.h"
#include "skin/gauge.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace orvu {

void TForm1::wirePlaybackInput() {
    wireClicks<TForm1>(this, {
                                 {btn1, &TForm1::btn1Click},
                                 {btn2, &TForm1::btn2Click},
                                 {btn3, &TForm1::btn3Click},
                                 {btn6, &TForm1::btn6Click},
                                 {btn7, &TForm1::btn7Click},
                                 {btn8, &TForm1::btn8Click},
                                 {btn9, &TForm1::btn9Click},
                                 {btn26, &TForm1::btn26Click},
                                 {btn17, &TForm1::btn17Click},
                                 {btn18, &TForm1::btn18Click},
                             });
    wireTimers<TForm1>(this, {{tmr1, &TForm1::tmr1Timer}, {tmr3, &TForm1::tmr3Timer}});
    connect(lst1, &QAbstractItemView::doubleClicked, this, guarded([this] { lst1DblClick(); }));
    connect(scrlbr1, &ScrollBar::scrolled, this,
            [this](int code) { runGuarded([&] { scrlbr1Scroll(code); }); });
    connect(scrlbr1, &ScrollBar::changed, this, guarded([this] { scrlbr1Change(); }));
    connect(scrlbr2, &ScrollBar::changed, this, guarded([this] { scrlbr2Change(); }));
    for (int band = 0; band < 10; ++band) {
        ScrollBar* slider = bandSliders[static_cast<std::size_t>(band)];
        connect(slider, &ScrollBar::changed, this, guarded([this, band] { bandChange(band); }));
        connect(slider, &ScrollBar::scrolled, this, guarded([this, band] { bandScroll(band); }));
    }
    sg1->setMouseTracking(true);
    wireEvents({
        {scrlbr1, QEvent::KeyPress,
         [this](QEvent* e) { return scrlbr1KeyDown(static_cast<QKeyEvent*>(e)->key()), false; }},
        {sg1, QEvent::MouseMove, [this](QEvent*) { return sg1MouseMove(), false; }},
    });
}

// A negative target becomes a huge unsigned byte position, which the engine refuses like one past the end.
void TForm1::seekToSeconds(double seconds) {
    const std::int64_t bytes = Bass.channelSeconds2Bytes(session.Channel, seconds);
    Bass.channelSetPosition(session.Channel, static_cast<std::uint64_t>(bytes), engine::kPosByte);
}

void TForm1::btn1Click() {
    if (Bass.channelIsActive(session.Channel) == engine::kActivePaused) {
        Bass.channelPlay(session.Channel, false);
        tmr3->start();
        return;
    }
    if (lst1->itemIndex() == -1)
        lst1->setItemIndex(0);
    lst1DblClick();
}

void TForm1::btn2Click() {
    Bass.channelPause(session.Channel);
}

void TForm1::btn3Click() {
    Bass.channelSetPosition(session.Channel, 1, engine::kPosByte);
    Bass.channelStop(session.Channel);
}

// The target is not clamped: the engine refuses a position before the start or past the end.
void TForm1::btn6Click() {
    seekToSeconds(scrlbr1->position() - 5);
}

void TForm1::btn7Click() {
    seekToSeconds(scrlbr1->position() + 5);
}

void TForm1::btn8Click() {
    const int index = lst1->itemIndex();
    lst1->setItemIndex(index == 0 ? lst1->count() - 1 : index - 1); // nothing selected asks for -2: none
    lst1DblClick();
}

void TForm1::btn9Click() {
    Bass.channelSlideAttribute(session.Channel, engine::kAttribVol, 0.0f, 1000);
    const int index = lst1->itemIndex();
    lst1->setItemIndex(index == lst1->count() - 1 ? 0 : index + 1);
    lst1DblClick();
}

void TForm1::btn26Click() {
    lst1->setItemIndex(playerRandom(lst1->count()));
    lst1DblClick();
}

void TForm1::scrlbr1Scroll(int code) {
    if (Bass.channelIsActive(session.Channel) == engine::kActiveStopped)
        tmr1->stop();
    if (code != ScrollBar::EndScroll)
        return;
    seekToSeconds(scrlbr1->position());
    tmr1->start();
}

void TForm1::scrlbr1Change() {
    scrlbr1->setToolTip(lbl2->text() + u'/' + lbl3->text());
}

void TForm1::scrlbr1KeyDown(int key) {
    if (key == Qt::Key_Space)
        btn1Click();
}

void TForm1::scrlbr2Change() {
    const int position = scrlbr2->position();
    session.setVolume(position);
    // The pattern "#" shows no digits at all for 0.
    scrlbr2->setToolTip(QStringLiteral("Volume : ") +
                        (position == 0 ? QString() : QString::number(position)));
}

} // namespace orvu
