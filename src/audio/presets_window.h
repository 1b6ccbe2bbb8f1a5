// Purpose: TForm5, the equalizer preset window: picking a preset moves the main window's band sliders
// to its gains, and ten gauges mirror the band gains.
#pragma once

#include "core/string_list.h"

#include <QWidget>

#include <array>

class QLabel;
class QPushButton;
class QTimer;

namespace orvu {

class Gauge;
class ListBox;
class Panel;
class ScrollBar;
struct PlayerState;

class TForm5 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 408;
    static constexpr int designClientHeight = 263;
    static constexpr int previewMilliseconds = 100;

    // The band sliders are the main window's, Band1 first; a position set here runs their gain handler.
    // Runs the creation step: the entry at PresetIndex is selected and the preview timer starts.
    TForm5(PlayerState& state, const std::array<ScrollBar*, 10>& bandSliders, QWidget* parent = nullptr);

    void lst1Click(); // loads the selected preset into the band sliders
    void btn1Click(); // Reset: "Flat"
    void btn2Click(); // Close
    void tmr1Timer(); // the preview gauges follow the band sliders
    // The genre auto-preset's step once the genre is known: the preset of that name, when there is one,
    // is selected and loaded.
    void loadPresetNamed(const QString& genre);

    Panel* pnl1 = nullptr;
    ListBox* lst1 = nullptr; // the thirteen presets
    QPushButton *btn1 = nullptr, *btn2 = nullptr;
    std::array<Gauge*, 10> previewGauges{}; // sg1 .. sg10
    QLabel* lbl1 = nullptr;                 // "EQ Sample"
    StringList lst2;                        // the lines of the preset file being loaded
    QTimer* tmr1 = nullptr;

Q_SIGNALS:
    // The window opened (true) or closed (false): the main window stays disabled meanwhile.
    void openChanged(bool open);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    // Selects an entry as the program does: the click handler does not run.
    void selectPreset(int index);

    PlayerState& state_;
    std::array<ScrollBar*, 10> bandSliders_;
    bool selectingByProgram_ = false;
};

} // namespace orvu
