// Purpose: TForm4, the Options dialog: player mode, start-up action, tag bar speed, genre auto-preset,
// skin, tinting and the skin engine's effects, each applied the moment it changes.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTabWidget;

namespace orvu {

class ListBox;
class ScrollBar;
class SkinManager;
class TForm1;
struct PlayerState;

// What the dialog asks of the main window.
struct OptionsActions {
    std::function<void(const QString&)> applyPlayerMode; // resizes the main window for a mode's text
    std::function<void()> applySkin;                     // the skin engine takes SkinIndex's skin
    std::function<int()> tagBarInterval;                 // the tag bar timer's interval, ms
    std::function<void(int)> setTagBarInterval;
};

// The main window's operations, for the dialog.
OptionsActions mainWindowActions(TForm1& window);

class TForm4 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 592;
    static constexpr int designClientHeight = 408;
    static const QStringList playerModes;  // cbb1's items
    static const QStringList openActions;  // cbb2's items
    static const QStringList skinCaptions; // lst1's rows, by skin index

    TForm4(PlayerState& state, SkinManager& skin, OptionsActions actions, QWidget* parent = nullptr);

    void cbb1Change();     // player mode
    void cbb2Change();     // start-up action
    void chk4Click();      // genre auto-preset
    void scrlbr5Change();  // tag bar speed
    void btn1Click();      // reset the tag bar speed
    void lst1Click();      // skin
    void scrlbr1MouseUp(); // hue
    void scrlbr2MouseUp(); // saturation
    void scrlbr4Change();  // menu opacity
    void chk1Click();      // borders and shadows
    void chk2Click();      // fade while moving
    void chk3Click();      // minimize animation
    void btn2Click();      // close

    QTabWidget* pgc1 = nullptr; // "General", "Skin"
    QComboBox *cbb1 = nullptr, *cbb2 = nullptr;
    QCheckBox* chk4 = nullptr;
    ScrollBar* scrlbr5 = nullptr;
    QPushButton* btn1 = nullptr;
    ListBox* lst1 = nullptr;
    ScrollBar *scrlbr1 = nullptr, *scrlbr2 = nullptr, *scrlbr4 = nullptr;
    QCheckBox *chk1 = nullptr, *chk2 = nullptr, *chk3 = nullptr;
    QPushButton* btn2 = nullptr;

Q_SIGNALS:
    // The dialog opened (true) or closed (false): the main window stays disabled meanwhile.
    void openChanged(bool open);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void createGeneralTab();
    void createSkinTab();
    void wireInput();
    void FormShow();

    PlayerState& state_;
    SkinManager& skin_;
    OptionsActions actions_;
    bool selectingByProgram_ = false;
};

} // namespace orvu
