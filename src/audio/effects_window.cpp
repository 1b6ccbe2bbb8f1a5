// Purpose: TForm6, the audio effects window: balance, disk speed, reverb and echo of the current track.
#include "audio/effects_window.h"

#include "core/playback_session.h"
#include "shell/error_box.h"
#include "skin/label.h"
#include "skin/panel.h"
#include "skin/scroll_bar.h"
#include "skin/skin_style.h"

#include <QLabel>
#include <QPushButton>

namespace orvu {

TForm6::TForm6(PlaybackSession& session, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , session_(session) {
    setWindowTitle(QStringLiteral("Audio Effects"));
    setFixedSize(designClientWidth, designClientHeight);
    SkinStyle::takeSkinTypeface(this);
    pnl1 = new Panel(this);
    pnl1->setNormalGeometry({8, 8, 409, 297});

    const EffectPositions& start = session.effects();
    scrlbr1 = makeSlider(QStringLiteral("Balance :"), 16, -100, 100, start.balance);
    scrlbr2 = makeSlider(QStringLiteral("Disk Speed :"), 48, 0, 1000, start.diskSpeed);
    scrlbr3 = makeSlider(QStringLiteral("Reverb Mix :"), 80, 20, 40, start.reverbMix);
    scrlbr6 = makeSlider(QStringLiteral("Reverb Time :"), 112, 1, 3000000, start.reverbTime);
    scrlbr4 = makeSlider(QStringLiteral("Echo Mix"), 144, 0, 100, start.echoMix);
    scrlbr5 = makeSlider(QStringLiteral("Feedback :"), 176, 0, 100, start.echoFeedback);

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
    auto* label = new Label(caption, pnl1);
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

void TForm6::scrlbr1Change() {
    session_.setBalance(scrlbr1->position());
}

void TForm6::scrlbr2Change() {
    session_.setDiskSpeed(scrlbr2->position());
}

void TForm6::scrlbr3Change() {
    session_.setReverbMix(scrlbr3->position());
}

void TForm6::scrlbr6Change() {
    session_.setReverbTime(scrlbr6->position());
}

void TForm6::scrlbr4Change() {
    session_.setEchoMix(scrlbr4->position());
}

void TForm6::scrlbr5Change() {
    session_.setEchoFeedback(scrlbr5->position());
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
    Q_EMIT openChanged(true);
    runGuarded([this] { scrlbr3Change(); });
}

void TForm6::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Q_EMIT openChanged(false);
}

} // namespace orvu
