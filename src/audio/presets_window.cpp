// Purpose: TForm5, the equalizer preset window: picking a preset moves the main window's band sliders
// to its gains, and ten gauges mirror the band gains.
#include "audio/presets_window.h"

#include "core/preset_file.h"
#include "shell/error_box.h"
#include "shell/input_wiring.h"
#include "shell/main_window.h"
#include "skin/gauge.h"
#include "skin/label.h"
#include "skin/list_box.h"
#include "skin/panel.h"
#include "skin/scroll_bar.h"
#include "skin/skin_style.h"

#include <QHideEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QTimer>

namespace orvu {
namespace {

constexpr const char* gaugeCaptions[10] = {"100", "200", "400", "600", "1K", "3K", "6K", "12K", "14K", "16K"};

} // namespace

TForm5::TForm5(PlayerState& state, const std::array<ScrollBar*, 10>& bandSliders, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , state_(state)
    , bandSliders_(bandSliders) {
    setWindowTitle(QStringLiteral("Load EQ Preset"));
    setFixedSize(designClientWidth, designClientHeight);
    SkinStyle::takeSkinTypeface(this);
    pnl1 = new Panel(this);
    pnl1->setNormalGeometry(rect());

    auto* presets = new QStandardItemModel(this);
    for (const QString& name : presetNames()) {
        auto* item = new QStandardItem(name);
        item->setSizeHint({0, 16});
        presets->appendRow(item);
    }
    lst1 = new ListBox(pnl1);
    lst1->setModel(presets);
    lst1->setGeometry(8, 8, 257, 137);

    btn1 = new QPushButton(QStringLiteral("&Reset"), pnl1);
    btn1->setGeometry(272, 8, 113, 25);
    btn2 = new QPushButton(QStringLiteral("&Close"), pnl1);
    btn2->setGeometry(272, 40, 113, 25);

    for (int band = 0; band < 10; ++band) {
        const int left = 16 + 24 * band;
        auto* gauge = new Gauge(Qt::Vertical, pnl1);
        gauge->setGeometry(left, 152, 9, 73);
        gauge->setRange(0, 30);
        gauge->setProgress(15);
        previewGauges[static_cast<std::size_t>(band)] = gauge;
        auto* caption = new Label(QString::fromLatin1(gaugeCaptions[band]), pnl1);
        caption->setGeometry(left - 7, 224, 24, 13);
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    lbl1 = new Label(QStringLiteral("EQ Sample"), pnl1);
    lbl1->setGeometry(264, 184, 120, 13);

    // Runs from creation until the program ends, shown or not, so the gauges are right when it opens.
    tmr1 = new QTimer(this);
    tmr1->setInterval(previewMilliseconds);

    wireClicks<TForm5>(this, {{btn1, &TForm5::btn1Click}, {btn2, &TForm5::btn2Click}});
    wireTimers<TForm5>(this, {{tmr1, &TForm5::tmr1Timer}});
    // The user changing the selection, by mouse or keyboard, loads the preset; the program's own
    // selections do not.
    connect(lst1->selectionModel(), &QItemSelectionModel::selectionChanged, this, guarded([this] {
                if (!selectingByProgram_ && lst1->itemIndex() >= 0)
                    lst1Click();
            }));

    FormCreate();
    tmr1->start();
}

void TForm5::FormCreate() {
    selectPreset(state_.PresetIndex);
}

void TForm5::FormShow() {
    selectPreset(state_.PresetIndex);
    Q_EMIT openChanged(true);
}

void TForm5::selectPreset(int index) {
    selectingByProgram_ = true;
    lst1->setItemIndex(index); // an index outside the list (an edited settings file) selects nothing
    selectingByProgram_ = false;
}

void TForm5::lst1Click() {
    const int index = lst1->itemIndex();
    state_.PresetIndex = index;
    const QString name = lst1->itemText(index);
    if (name != presetNames()[presetOther]) {
        const QString path = findPresetFile(name, state_.AppDir);
        if (!path.isEmpty()) {
            // An error below ends the load: the bands before the fault keep their new gains.
            lst2.assign(readPresetFile(path));
            for (int band = 0; band < 10; ++band) {
                // Moving a slider runs its gain handler only when its position really changes; its
                // scroll handler does not run, so PresetIndex stays this preset's.
                bandSliders_[static_cast<std::size_t>(band)]->setPosition(
                    bandPositionForGain(presetGain(lst2.at(band))));
            }
        }
    }
    lst2.clear();
}

void TForm5::btn1Click() {
    selectPreset(0);
    lst1Click();
}

void TForm5::btn2Click() {
    close();
}

void TForm5::tmr1Timer() {
    for (std::size_t band = 0; band < previewGauges.size(); ++band)
        previewGauges[band]->setProgress(30 - bandSliders_[band]->position());
}

void TForm5::loadPresetNamed(const QString& genre) {
    const int index = presetIndexOf(genre);
    if (index < 0)
        return;
    selectPreset(index);
    lst1Click();
}

void TForm5::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        runGuarded([this] { FormShow(); });
}

void TForm5::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        Q_EMIT openChanged(false);
}

} // namespace orvu
