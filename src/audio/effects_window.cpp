// Purpose: TForm6, the audio effects window: balance, disk speed, reverb and echo of the current track.
#include "audio/effects_window.h"

#include "engine/engine.h"
#include "shell/error_box.h"
#include "shell/main_window.h"
#include "skin/panel.h"
#include "skin/scroll_bar.h"

#include <QLabel>
#include <QPushButton>

namespace orvu {

TForm6::TForm6(TForm1& mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , form1_(mainWindow) {
    setWindowTitle(QStringLiteral("Audio Effects"));
    setFixedSize(designClientWidth, designClientHeight);
    pnl1 = new Panel(this);
    pnl1->setNormalGeometry({8, 8, 409, 297});

    scrlbr1 = makeSlider(QStringLiteral("Balance :"), 16, -100, 100, 0);
    scrlbr2 = makeSlider(QStringLiteral("Disk Speed :"), 48, 0, 1000, 0);
    scrlbr3 = makeSlider(QStringLiteral("Reverb Mix :"), 80, 20, 40, 20);
    scrlbr6 = makeSlider(QStringLiteral("Reverb Time :"), 112, 1, 3000000, 20);
    scrlbr4 = makeSlider(QStringLiteral("Echo Mix"), 144, 0, 100, 0);
    scrlbr5 = makeSlider(QStringLiteral("Feedback :"), 176, 0, 100, 0);

    btn2 = makeButton(pnl1, QStringLiteral("&Center"), {304, 8, 97, 25});
    btn3 = makeButton(pnl1, QStringLiteral("&Reset Speed"), {304, 40, 97, 25});
    btn5 = makeButton(pnl1, QStringLiteral("&Reset Reverb"), {304, 96, 97, 25});
    btn4 = makeButton(pnl1, QStringLiteral("&Reset Echo"), {304, 152, 97, 25});
    btn1 = makeButton(this, QStringLiteral("&Close"), {336, 312, 81, 25});

    connect(scrlbr1, &ScrollBar::changed, this, guarded([this] { scrlbr1Change(); }));
    connect(scrlbr2, &ScrollBar::changed, this, guarded([this] { scrlbr2Change(); }));
    connect(scrlbr3, &ScrollBar::changed, this, guarded([this] { scrlbr3Change(); }));
    connect(scrlbr4, &ScrollBar::changed, this, guarded([this] { scrlbr4Change(); }));
    connect(scrlbr5, &ScrollBar::changed, this, guarded([this] { scrlbr5Change(); }));
    connect(scrlbr6, &ScrollBar::changed, this, guarded([this] { scrlbr6Change(); }));
    connect(btn1, &QPushButton::clicked, this, guarded([this] { btn1Click(); }));
    connect(btn2, &QPushButton::clicked, this, guarded([this] { btn2Click(); }));
    connect(btn3, &QPushButton::clicked, this, guarded([this] { btn3Click(); }));
    connect(btn4, &QPushButton::clicked, this, guarded([this] { btn4Click(); }));
    connect(btn5, &QPushButton::clicked, this, guarded([this] { btn5Click(); }));
}

ScrollBar* TForm6::makeSlider(const QString& caption, int top, int minimum, int maximum, int position) {
    auto* label = new QLabel(caption, pnl1);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(8, top, 86, 17);
    auto* slider = new ScrollBar(Qt::Horizontal, pnl1);
    slider->setGeometry(96, top, 193, 17);
    slider->setRange(minimum, maximum);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setPosition(position);
    return slider;
}

QPushButton* TForm6::makeButton(QWidget* parent, const QString& caption, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    return button;
}

void TForm6::fx() {
    engine::Engine& bass = form1_.Bass;
    const engine::Handle channel = form1_.state.Channel;
    ReverbFx = bass.channelSetFX(channel, engine::kFxDx8Reverb, 1);
    ReverbParams.fReverbMix = -96.0f;
    ReverbParams.fReverbTime = 0.001f;
    ReverbParams.fHighFreqRTRatio = 0.1f;
    bass.fxSetParameters(ReverbFx, &ReverbParams);
    EchoFx = bass.channelSetFX(channel, engine::kFxDx8Echo, 1);
    EchoParams = {};
    bass.fxSetParameters(EchoFx, &EchoParams);
    scrlbr1Change();
    scrlbr2Change();
    scrlbr3Change();
    scrlbr4Change();
    scrlbr5Change();
    scrlbr6Change();
}

void TForm6::scrlbr1Change() {
    form1_.Bass.channelSetAttribute(form1_.state.Channel, engine::kAttribPan,
                                    static_cast<float>(scrlbr1->position() / 100.0));
}

void TForm6::scrlbr2Change() {
    form1_.Bass.channelSetAttribute(form1_.state.Channel, engine::kAttribFreq,
                                    static_cast<float>(scrlbr2->position() * 100));
}

void TForm6::scrlbr3Change() {
    form1_.Bass.fxGetParameters(ReverbFx, &ReverbParams);
    const long double x = 40 - scrlbr3->position();
    ReverbParams.fReverbMix = static_cast<float>(((x * -0.012L) * x) * x);
    form1_.Bass.fxSetParameters(ReverbFx, &ReverbParams);
}

void TForm6::scrlbr6Change() {
    form1_.Bass.fxGetParameters(ReverbFx, &ReverbParams);
    ReverbParams.fReverbTime = static_cast<float>(scrlbr6->position() / 1000.0);
    form1_.Bass.fxSetParameters(ReverbFx, &ReverbParams);
}

void TForm6::scrlbr4Change() {
    form1_.Bass.fxGetParameters(EchoFx, &EchoParams);
    EchoParams.fWetDryMix = static_cast<float>(scrlbr4->position());
    form1_.Bass.fxSetParameters(EchoFx, &EchoParams);
}

void TForm6::scrlbr5Change() {
    form1_.Bass.fxGetParameters(EchoFx, &EchoParams);
    EchoParams.fFeedback = static_cast<float>(scrlbr5->position());
    form1_.Bass.fxSetParameters(EchoFx, &EchoParams);
}

void TForm6::btn1Click() {
    close();
}
void TForm6::btn2Click() {
    scrlbr1->setPosition(0);
}
void TForm6::btn3Click() {
    scrlbr2->setPosition(0);
}

void TForm6::btn4Click() {
    scrlbr4->setPosition(100);
    scrlbr4->setPosition(0);
    scrlbr5->setPosition(0);
}

void TForm6::btn5Click() {
    scrlbr3->setPosition(0);
    scrlbr6->setPosition(0);
}

void TForm6::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    form1_.setEnabled(false); // the user works in this window until it closes
    runGuarded([this] { scrlbr3Change(); });
}

void TForm6::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    form1_.setEnabled(true);
}

} // namespace orvu
