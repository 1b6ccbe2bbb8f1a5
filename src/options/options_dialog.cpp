// Purpose: TForm4, the Options dialog: player mode, start-up action, tag bar speed, genre auto-preset,
// skin, tinting and the skin engine's effects, each applied the moment it changes.
#include "options/options_dialog.h"

#include "core/options_refill.h"
#include "shell/error_box.h"
#include "shell/input_wiring.h"
#include "shell/main_window.h" // PlayerState
#include "skin/label.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"
#include "skin/skin_manager.h"
#include "skin/skin_style.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHideEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QStringListModel>
#include <QTabWidget>

namespace orvu {

const QStringList TForm4::playerModes = {QStringLiteral("Normal"), QStringLiteral("Simple"),
                                         QStringLiteral("Medium")};
const QStringList TForm4::openActions = {QStringLiteral("Nothing"), QStringLiteral("Play"),
                                         QStringLiteral("Open")};
// Row i selects the skin engine's internal skin i.
const QStringList TForm4::skinCaptions = {
    QStringLiteral("Android"),       QStringLiteral("Sodium"), QStringLiteral("RedHat"),
    QStringLiteral("Wood"),          QStringLiteral("Aurora"), QStringLiteral("Dark Glass"),
    QStringLiteral("Creative"),      QStringLiteral("Metro"),  QStringLiteral("Note Book"),
    QStringLiteral("Sound Checker"),
};

namespace {

constexpr int tagBarSpeedDefault = 100;

ScrollBar* makeBar(QWidget* parent, const QRect& geometry, int minimum, int maximum, int position) {
    auto* bar = new ScrollBar(Qt::Horizontal, parent);
    bar->setGeometry(geometry);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setPosition(position);
    bar->setFocusPolicy(Qt::StrongFocus); // moved by the keyboard too
    // Left lowers and Right raises, as on any horizontal bar: a scroll bar inverts its keys by default.
    bar->setInvertedControls(false);
    return bar;
}

QCheckBox* makeCheckBox(QWidget* parent, const QString& caption, int top, bool checked) {
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(224, top, 337, 17);
    box->setChecked(checked);
    return box;
}

QComboBox* makeComboBox(QWidget* parent, const QStringList& items, int top) {
    auto* box = new QComboBox(parent);
    box->addItems(items);
    box->setGeometry(144, top, 145, 21);
    return box;
}

void makeLabel(QWidget* parent, const QString& caption, const QRect& geometry) {
    auto* label = new Label(caption, parent);
    label->setGeometry(geometry);
}

} // namespace

TForm4::TForm4(PlayerState& state, SkinManager& skin, OptionsActions actions, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , state_(state)
    , skin_(skin)
    , actions_(std::move(actions)) {
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(designClientWidth, designClientHeight);
    SkinStyle::takeSkinTypeface(this);
    pgc1 = new QTabWidget(this);
    pgc1->setGeometry(8, 8, 577, 361);
    createGeneralTab();
    createSkinTab();
    btn2 = new QPushButton(QStringLiteral("&Close"), this);
    btn2->setGeometry(504, 376, 81, 25);
    wireInput();
}

void TForm4::createGeneralTab() {
    auto* page = new QWidget;
    pgc1->addTab(page, QStringLiteral("General"));
    makeLabel(page, QStringLiteral("Player Mode :"), {16, 20, 121, 13});
    cbb1 = makeComboBox(page, playerModes, 16);
    makeLabel(page, QStringLiteral("On Player Intialize : "), {16, 52, 121, 13});
    cbb2 = makeComboBox(page, openActions, 48);
    chk4 = new QCheckBox(QStringLiteral("&Auto Load EQ Preset For Track's Genre."), page);
    chk4->setGeometry(16, 84, 337, 17);
    makeLabel(page, QStringLiteral("Tag Bar Speed :"), {16, 120, 121, 13});
    scrlbr5 = makeBar(page, {144, 118, 257, 17}, 1, 150, tagBarSpeedDefault);
    btn1 = new QPushButton(QStringLiteral("&Reset"), page);
    btn1->setGeometry(408, 114, 75, 25);
}

void TForm4::createSkinTab() {
    auto* page = new QWidget;
    pgc1->addTab(page, QStringLiteral("Skin"));
    makeLabel(page, QStringLiteral("Select Skin :"), {16, 16, 121, 13});
    lst1 = new ListBox(page);
    lst1->setModel(new QStringListModel(skinCaptions, lst1));
    lst1->setGeometry(16, 32, 185, 161);
    makeLabel(page, QStringLiteral("Skin Tinting :"), {224, 16, 121, 13});
    makeLabel(page, QStringLiteral("H"), {224, 40, 12, 13});
    scrlbr1 = makeBar(page, {240, 38, 257, 17}, 0, 255, 0);
    makeLabel(page, QStringLiteral("S"), {224, 64, 12, 13});
    scrlbr2 = makeBar(page, {240, 62, 257, 17}, 0, 255, 0);
    makeLabel(page, QStringLiteral("Menu Opacity :"), {224, 96, 121, 13});
    scrlbr4 = makeBar(page, {240, 114, 257, 17}, 0, 255, 255);
    chk1 = makeCheckBox(page, QStringLiteral("&Use Advanced Borders && Shadows."), 148, true);
    chk2 = makeCheckBox(page, QStringLiteral("&Change Opacity On Moving."), 172, false);
    chk3 = makeCheckBox(page, QStringLiteral("&Allow Minimizing Effect."), 196, true);
}

void TForm4::wireInput() {
    wireClicks<TForm4>(this, {{btn1, &TForm4::btn1Click}, {btn2, &TForm4::btn2Click}});
    // Only the user's choice of an item runs a combo box's handler; the refill's does not.
    connect(cbb1, &QComboBox::activated, this, guarded([this] { cbb1Change(); }));
    connect(cbb2, &QComboBox::activated, this, guarded([this] { cbb2Change(); }));
    // A check box runs its handler whenever its state changes, the refill's changes included.
    connect(chk1, &QCheckBox::toggled, this, guarded([this] { chk1Click(); }));
    connect(chk2, &QCheckBox::toggled, this, guarded([this] { chk2Click(); }));
    connect(chk3, &QCheckBox::toggled, this, guarded([this] { chk3Click(); }));
    connect(chk4, &QCheckBox::toggled, this, guarded([this] { chk4Click(); }));
    // These bars act on every change of position, by the user or the refill.
    connect(scrlbr5, &ScrollBar::changed, this, guarded([this] { scrlbr5Change(); }));
    connect(scrlbr4, &ScrollBar::changed, this, guarded([this] { scrlbr4Change(); }));
    // The tinting bars act only when a mouse button pressed on them is released: a drag through the
    // hues does not re-tint every window at each step, and the keyboard moves them without effect.
    wireEvents({
        {scrlbr1, QEvent::MouseButtonRelease,
         [this](QEvent*) { return runGuarded([this] { scrlbr1MouseUp(); }), false; }},
        {scrlbr2, QEvent::MouseButtonRelease,
         [this](QEvent*) { return runGuarded([this] { scrlbr2MouseUp(); }), false; }},
    });
    connect(lst1->selectionModel(), &QItemSelectionModel::selectionChanged, this, guarded([this] {
                if (!selectingByProgram_ && lst1->itemIndex() >= 0)
                    lst1Click();
            }));
}

void TForm4::FormShow() {
    Q_EMIT openChanged(true);
    if (const std::optional<int> row = skinRowOf(state_.SkinIndex)) {
        selectingByProgram_ = true;
        lst1->setItemIndex(*row);
        selectingByProgram_ = false;
    }
    // Setting a bar runs its change handler when the position moves; the tinting bars have none.
    scrlbr1->setPosition(skin_.hueOffset());
    scrlbr2->setPosition(skin_.saturation());
    scrlbr4->setPosition(skin_.menuOpacity());
    chk1->setChecked(skin_.extendedBorders());
    chk2->setChecked(skin_.blendOnMoving());
    chk3->setChecked(skin_.minimizing());
    cbb2->setCurrentIndex(comboIndexOf(openActions, state_.OnOpenAction));
    cbb1->setCurrentIndex(comboIndexOf(playerModes, state_.PlayerMode));
    // An interval outside 1..150 is clamped by the bar, and the timer follows at once.
    scrlbr5->setPosition(actions_.tagBarInterval());
    chk4->setChecked(state_.AutoEq);
}

void TForm4::cbb1Change() {
    state_.PlayerMode = cbb1->currentText();
    actions_.applyPlayerMode(state_.PlayerMode);
}

void TForm4::cbb2Change() {
    state_.OnOpenAction = cbb2->currentText(); // takes effect at the next start
}

void TForm4::chk4Click() {
    state_.AutoEq = chk4->isChecked(); // from the next track load on
}

void TForm4::scrlbr5Change() {
    actions_.setTagBarInterval(scrlbr5->position());
}

void TForm4::btn1Click() {
    scrlbr5->setPosition(tagBarSpeedDefault);
}

void TForm4::lst1Click() {
    state_.SkinIndex = QString::number(lst1->itemIndex());
    actions_.applySkin();
}

void TForm4::scrlbr1MouseUp() {
    skin_.setHueOffset(scrlbr1->position());
}

void TForm4::scrlbr2MouseUp() {
    skin_.setSaturation(scrlbr2->position());
}

void TForm4::scrlbr4Change() {
    skin_.setMenuOpacity(scrlbr4->position());
}

void TForm4::chk1Click() {
    skin_.setExtendedBorders(chk1->isChecked());
}

void TForm4::chk2Click() {
    skin_.setBlendOnMoving(chk2->isChecked());
}

void TForm4::chk3Click() {
    skin_.setMinimizing(chk3->isChecked());
}

void TForm4::btn2Click() {
    close();
}

void TForm4::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        runGuarded([this] { FormShow(); });
}

void TForm4::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        Q_EMIT openChanged(false); // nothing is written: the settings are saved at shutdown
}

} // namespace orvu
