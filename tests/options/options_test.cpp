// Purpose: the Options dialog on the real main window: its controls, the refill from the player state each
// time it shows, each handler's effect on the player, the skin object and the saved settings.
#include "core/settings_file.h"
#include "options/options_dialog.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"
#include "skin/skin_manager.h"
#include "support/player_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::PlayerFixture;
using orvu::test::writeBytes;

namespace {

// A started player, from a settings file when given one, with its Options dialog.
class OptionsTest : public ::testing::Test {
protected:
    void start(const QByteArray& ini = {}) {
        if (!ini.isEmpty())
            writeBytes(player.appFile(u"ORVU.ini"_s), ini);
        w = &player.start();
        options.emplace(w->state, *w->sknmngr1, mainWindowActions(*w));
        w->setOptionsWindow(&*options);
    }
    void TearDown() override {
        options.reset();
        player.close();
    }
    // The user opens the dialog with the main window's Options tool button.
    void open() {
        QTest::mouseClick(w->btn25, Qt::LeftButton);
        ASSERT_TRUE(options->isVisible());
    }
    void close() { QTest::mouseClick(options->btn2, Qt::LeftButton); }
    // A click on a check box's square.
    static void clickBox(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    void clickSkin(int row) {
        ListBox* list = options->lst1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }
    // What the settings file holds once the player has closed.
    QString saved(const char* section, const char* key) {
        player.close();
        return SettingsFile(player.appFile(u"ORVU.ini"_s))
            .readString(QString::fromLatin1(section), QString::fromLatin1(key), u"(none)"_s);
    }

    PlayerFixture player;
    TForm1* w = nullptr;
    std::optional<TForm4> options;
};

// The dialog shows its two tabs and every control with its caption and items, over a disabled main
// window; "&Close" gives the main window back.
TEST_F(OptionsTest, ShowsItsControlsOverADisabledMainWindow) {
    start();
    open();
    EXPECT_FALSE(w->isEnabled());
    EXPECT_EQ(options->windowTitle(), u"Options"_s);
    EXPECT_EQ(options->size(), QSize(592, 408));
    ASSERT_EQ(options->pgc1->count(), 2);
    EXPECT_EQ(options->pgc1->tabText(0), u"General"_s);
    EXPECT_EQ(options->pgc1->tabText(1), u"Skin"_s);
    EXPECT_EQ(options->pgc1->currentIndex(), 0);

    QStringList labels;
    for (const QLabel* label : options->findChildren<QLabel*>())
        labels.append(label->text());
    for (const QString& caption :
         {u"Player Mode :"_s, u"On Player Intialize : "_s, u"Tag Bar Speed :"_s, u"Select Skin :"_s,
          u"Skin Tinting :"_s, u"H"_s, u"S"_s, u"Menu Opacity :"_s})
        EXPECT_TRUE(labels.contains(caption)) << caption.toStdString();
    const std::pair<QAbstractButton*, QString> buttons[] = {
        {options->chk4, u"&Auto Load EQ Preset For Track's Genre."_s},
        {options->chk1, u"&Use Advanced Borders && Shadows."_s},
        {options->chk2, u"&Change Opacity On Moving."_s},
        {options->chk3, u"&Allow Minimizing Effect."_s},
        {options->btn1, u"&Reset"_s},
        {options->btn2, u"&Close"_s},
    };
    for (const auto& [button, caption] : buttons)
        EXPECT_EQ(button->text(), caption);
    const auto items = [](const QComboBox* box) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts.append(box->itemText(i));
        return texts;
    };
    EXPECT_EQ(items(options->cbb1), (QStringList{u"Normal"_s, u"Simple"_s, u"Medium"_s}));
    EXPECT_EQ(items(options->cbb2), (QStringList{u"Nothing"_s, u"Play"_s, u"Open"_s}));
    EXPECT_EQ(options->lst1->count(), 10);
    EXPECT_EQ(options->lst1->itemText(5), u"Dark Glass"_s);
    EXPECT_EQ(options->lst1->itemText(9), u"Sound Checker"_s);

    close();
    EXPECT_FALSE(options->isVisible());
    EXPECT_TRUE(w->isEnabled());
}

// Each showing refills the controls from the settings read at start-up: the skin row only for "0".."9",
// the combo items ignoring letter case (none when nothing matches), the tag bar speed clamped into the
// bar's 1..150, which the tag bar timer then takes.
TEST_F(OptionsTest, RefillsFromTheStoredSettings) {
    struct Case {
        const char* ini;
        int skinRow, modeItem, startItem, speed;
    };
    const Case cases[] = {
        {"[Skin]\r\nSkinName=3\r\n[PlayerMode]\r\nMode=simple\r\n[OnOpen]\r\nStart=PLAY\r\n", 3, 1, 1, 100},
        {"[Skin]\r\nSkinName=12\r\n[PlayerMode]\r\nMode=Tiny\r\n[OnOpen]\r\nStart=open\r\n", -1, -1, 2, 100},
        {"[Tagbar]\r\nSpeed=0\r\n", 2, 0, 0, 1},
        {"[Tagbar]\r\nSpeed=500\r\n", 2, 0, 0, 150},
        {"[Tagbar]\r\nSpeed=30\r\n", 2, 0, 0, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        start(c.ini);
        const QSize size = w->size();
        open();
        EXPECT_EQ(options->lst1->itemIndex(), c.skinRow);
        EXPECT_EQ(options->cbb1->currentIndex(), c.modeItem);
        EXPECT_EQ(options->cbb2->currentIndex(), c.startItem);
        EXPECT_EQ(options->scrlbr5->position(), c.speed);
        EXPECT_EQ(w->tagBarInterval(), c.speed);
        EXPECT_EQ(w->size(), size); // a combo item chosen by the refill applies nothing
        TearDown();
    }
}

// The skin engine's values and the auto-preset flag come back into their controls.
TEST_F(OptionsTest, RefillsTheSkinValuesAndTheAutoPreset) {
    start("[Options_Skin]\r\nHue=40\r\nSat=70\r\nMenuOpacity=200\r\nBorders_Shadows=0\r\nBlend_Move=1\r\n"
          "Minimize_Anim=0\r\n[Equalizer]\r\nAutoeq=1\r\n");
    open();
    EXPECT_EQ(options->scrlbr1->position(), 40);
    EXPECT_EQ(options->scrlbr2->position(), 70);
    EXPECT_EQ(options->scrlbr4->position(), 200);
    EXPECT_FALSE(options->chk1->isChecked());
    EXPECT_TRUE(options->chk2->isChecked());
    EXPECT_FALSE(options->chk3->isChecked());
    EXPECT_TRUE(options->chk4->isChecked());
    EXPECT_EQ(w->sknmngr1->menuOpacity(), 200);
}

// Choosing a player mode sets PlayerMode and resizes the main window at once; it is saved at the close.
TEST_F(OptionsTest, PlayerModeResizesTheMainWindowAtOnce) {
    start();
    open();
    const QPoint place = w->pos();
    QTest::keyClick(options->cbb1, Qt::Key_Down);
    EXPECT_EQ(w->state.PlayerMode, u"Simple"_s);
    EXPECT_EQ(w->size() + TForm1::designFrame, QSize(512, 120));
    QTest::keyClick(options->cbb1, Qt::Key_Down);
    EXPECT_EQ(w->size() + TForm1::designFrame, QSize(512, 506));
    QTest::keyClick(options->cbb1, Qt::Key_Home);
    EXPECT_EQ(w->state.PlayerMode, u"Normal"_s);
    EXPECT_EQ(w->size() + TForm1::designFrame, QSize(832, 506));
    EXPECT_EQ(w->pos(), place);
    QTest::keyClick(options->cbb1, Qt::Key_End);
    EXPECT_EQ(saved("PlayerMode", "Mode"), u"Medium"_s);
}

// The start-up action and the auto-preset change the state at once and are saved at the close.
TEST_F(OptionsTest, StartActionAndAutoPresetAreKept) {
    start();
    open();
    QTest::keyClick(options->cbb2, Qt::Key_End);
    EXPECT_EQ(w->state.OnOpenAction, u"Open"_s);
    clickBox(options->chk4);
    EXPECT_TRUE(w->state.AutoEq);
    EXPECT_EQ(saved("OnOpen", "Start"), u"Open"_s);
    EXPECT_EQ(saved("Equalizer", "Autoeq"), u"1"_s);
}

// The tag bar speed bar sets the tag bar timer at every step; "&Reset" brings it back to 100, and at
// 100 already it changes nothing.
TEST_F(OptionsTest, TagBarSpeedActsAtOnceAndResets) {
    start();
    open();
    QSignalSpy changes(options->scrlbr5, &ScrollBar::changed);
    QTest::mouseClick(options->btn1, Qt::LeftButton);
    EXPECT_EQ(changes.count(), 0);
    for (int step = 0; step < 70; ++step)
        QTest::keyClick(options->scrlbr5, Qt::Key_Left);
    EXPECT_EQ(w->tagBarInterval(), 30);
    QTest::mouseClick(options->btn1, Qt::LeftButton);
    EXPECT_EQ(options->scrlbr5->position(), 100);
    EXPECT_EQ(w->tagBarInterval(), 100);
    QTest::keyClick(options->scrlbr5, Qt::Key_Home);
    EXPECT_EQ(w->tagBarInterval(), 1);
    EXPECT_EQ(saved("Tagbar", "Speed"), u"1"_s);
}

// Picking a skin sets SkinIndex and the skin object's skin; after a restart the dialog shows it chosen.
TEST_F(OptionsTest, PickedSkinIsAppliedAndShownAfterARestart) {
    start();
    open();
    QTest::mouseClick(options->pgc1->tabBar(), Qt::LeftButton, {},
                      options->pgc1->tabBar()->tabRect(1).center());
    clickSkin(3);
    EXPECT_EQ(w->state.SkinIndex, u"3"_s);
    EXPECT_EQ(w->sknmngr1->skinName(), u"Cappuccino (internal)"_s);
    QTest::keyClick(options->lst1, Qt::Key_Down);
    EXPECT_EQ(w->sknmngr1->skinName(), u"Office2007 Blue (internal)"_s);
    EXPECT_EQ(saved("Skin", "SkinName"), u"4"_s);

    options.reset();
    start();
    open();
    EXPECT_EQ(options->lst1->itemIndex(), 4);
    EXPECT_EQ(options->lst1->itemText(4), u"Aurora"_s);
}

// Hue and saturation take the bar's position only when a mouse button pressed on the bar is released;
// the menu opacity follows every step, the keyboard's too; the three boxes act at once.
TEST_F(OptionsTest, SkinControlsActAsTheyShould) {
    start();
    open();
    SkinManager& skin = *w->sknmngr1;
    const std::pair<ScrollBar*, int (SkinManager::*)() const> tinting[] = {
        {options->scrlbr1, &SkinManager::hueOffset},
        {options->scrlbr2, &SkinManager::saturation},
    };
    for (const auto& [bar, value] : tinting) {
        for (int step = 0; step < 5; ++step)
            QTest::keyClick(bar, Qt::Key_Right);
        EXPECT_EQ(bar->position(), 5);
        EXPECT_EQ((skin.*value)(), 0);
        const QPoint trough(bar->width() - 30, bar->height() / 2);
        QTest::mousePress(bar, Qt::LeftButton, {}, trough);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, trough);
        EXPECT_GT(bar->position(), 5);
        EXPECT_EQ((skin.*value)(), bar->position());
    }

    QTest::keyClick(options->scrlbr4, Qt::Key_Left);
    EXPECT_EQ(skin.menuOpacity(), 254);
    QTest::keyClick(options->scrlbr4, Qt::Key_Left);
    EXPECT_EQ(skin.menuOpacity(), 253);

    clickBox(options->chk1);
    clickBox(options->chk2);
    clickBox(options->chk3);
    EXPECT_FALSE(skin.extendedBorders());
    EXPECT_TRUE(skin.blendOnMoving());
    EXPECT_FALSE(skin.minimizing());

    const int hue = skin.hueOffset();
    const int saturation = skin.saturation();
    player.close();
    const SettingsFile ini(player.appFile(u"ORVU.ini"_s));
    const auto read = [&](const char* key) {
        return ini.readString(u"Options_Skin"_s, QString::fromLatin1(key), u"(none)"_s);
    };
    EXPECT_EQ(read("Hue"), QString::number(hue));
    EXPECT_EQ(read("Sat"), QString::number(saturation));
    EXPECT_EQ(read("MenuOpacity"), u"253"_s);
    EXPECT_EQ(read("Borders_Shadows"), u"0"_s);
    EXPECT_EQ(read("Blend_Move"), u"1"_s);
    EXPECT_EQ(read("Minimize_Anim"), u"0"_s);
}

// The tab last chosen is in front at the next showing.
TEST_F(OptionsTest, KeepsTheTabLastChosen) {
    start();
    open();
    QTest::mouseClick(options->pgc1->tabBar(), Qt::LeftButton, {},
                      options->pgc1->tabBar()->tabRect(1).center());
    close();
    open();
    EXPECT_EQ(options->pgc1->currentIndex(), 1);
}

} // namespace
