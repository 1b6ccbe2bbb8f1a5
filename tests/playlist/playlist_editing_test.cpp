// Purpose: the playlist's editing operations, letter keys, hint and list mode through the real handlers.
#include "core/player_random.h"
#include "playlist/playlist_ui_state.h"
#include "playlist_support.h"
#include "skin/panel.h"
#include "skin/scroll_bar.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

using namespace orvu;
using namespace orvu::test;
using namespace Qt::StringLiterals;

namespace {

struct EditCase {
    const char* label;
    const char* before; // entries as letters
    int selected;
    void (TForm1::*handler)();
    const char* after;
    int selectedAfter;
    const char* error; // the error box's text, or nullptr when none shows
};

void PrintTo(const EditCase& edit, std::ostream* out) {
    *out << edit.label;
}

class PlaylistEdit : public testing::TestWithParam<EditCase> {};

// Each edit leaves both lists and the selection as stated, or refuses with the list error and changes
// nothing.
TEST_P(PlaylistEdit, GivesTheStatedListsAndSelection) {
    const EditCase& edit = GetParam();
    PlayerFixture player;
    TForm1& window = player.build();
    fillLetters(window, QString::fromLatin1(edit.before), edit.selected);

    runHandler(window, edit.handler);

    EXPECT_EQ(lettersOf(window), QString::fromLatin1(edit.after));
    EXPECT_TRUE(listsAligned(window));
    EXPECT_EQ(window.lst1->itemIndex(), edit.selectedAfter);
    if (edit.error) {
        ASSERT_EQ(player.messages.boxes.size(), 1);
        EXPECT_EQ(player.messages.boxes[0].text, QString::fromLatin1(edit.error));
        EXPECT_EQ(player.messages.boxes[0].caption, u"ORVU"_s);
        EXPECT_EQ(player.messages.boxes[0].icon, QMessageBox::Critical);
    } else {
        EXPECT_TRUE(player.messages.boxes.isEmpty()) << player.messages.texts().join(u'|').toStdString();
    }
}

constexpr const char* refusedMinusOne = "List index out of bounds (-1).";

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaylistEdit,
    testing::Values(
        // Empty playlist.
        EditCase{"EmptyRemove", "", -1, &TForm1::btn10Click, "", -1, nullptr},
        EditCase{"EmptyClear", "", -1, &TForm1::sbtbtn3Click, "", -1, nullptr},
        EditCase{"EmptyReverse", "", -1, &TForm1::Reverse1Click, "", -1, nullptr},
        EditCase{"EmptyShuffle", "", -1, &TForm1::Shuffle1Click, "", -1, nullptr},
        EditCase{"EmptyMoveUp", "", -1, &TForm1::sbtbtn1Click, "", -1, refusedMinusOne},
        EditCase{"EmptyMoveDown", "", -1, &TForm1::sbtbtn2Click, "", -1, "List index out of bounds (0)."},
        EditCase{"EmptyDuplicate", "", -1, &TForm1::Duplicate1Click, "", -1, refusedMinusOne},
        // One entry, selected.
        EditCase{"OneMoveUp", "A", 0, &TForm1::sbtbtn1Click, "A", 0, nullptr},
        EditCase{"OneMoveDown", "A", 0, &TForm1::sbtbtn2Click, "A", 0, nullptr},
        EditCase{"OneReverse", "A", 0, &TForm1::Reverse1Click, "A", 0, nullptr},
        EditCase{"OneShuffle", "A", 0, &TForm1::Shuffle1Click, "A", 0, nullptr},
        EditCase{"OneRemove", "A", 0, &TForm1::btn10Click, "", -1, nullptr},
        EditCase{"OneDuplicate", "A", 0, &TForm1::Duplicate1Click, "AA", 0, nullptr},
        // Moves: the ends trade places (a swap, not a rotation); elsewhere neighbours trade.
        EditCase{"LastMoveDownSwapsWithFirst", "ABC", 2, &TForm1::sbtbtn2Click, "CBA", 0, nullptr},
        EditCase{"FirstMoveUpSwapsWithLast", "CBA", 0, &TForm1::sbtbtn1Click, "ABC", 2, nullptr},
        EditCase{"FirstMoveUpKeepsTheMiddle", "ABCD", 0, &TForm1::sbtbtn1Click, "DBCA", 3, nullptr},
        EditCase{"MiddleMoveUp", "ABC", 1, &TForm1::sbtbtn1Click, "BAC", 0, nullptr},
        EditCase{"MiddleMoveDown", "ABC", 1, &TForm1::sbtbtn2Click, "ACB", 2, nullptr},
        EditCase{"NoneMoveUp", "ABC", -1, &TForm1::sbtbtn1Click, "ABC", -1, refusedMinusOne},
        EditCase{"NoneMoveDown", "ABC", -1, &TForm1::sbtbtn2Click, "ABC", -1, refusedMinusOne},
        // Remove selects the entry that followed.
        EditCase{"RemoveLast", "ABC", 2, &TForm1::btn10Click, "AB", -1, nullptr},
        EditCase{"RemoveFirst", "ABC", 0, &TForm1::btn10Click, "BC", 0, nullptr},
        EditCase{"RemoveNone", "ABC", -1, &TForm1::btn10Click, "ABC", -1, nullptr},
        // Clear, duplicate, reverse.
        EditCase{"Clear", "ABC", 1, &TForm1::sbtbtn3Click, "", -1, nullptr},
        EditCase{"DuplicateMiddle", "ABC", 1, &TForm1::Duplicate1Click, "ABBC", 1, nullptr},
        EditCase{"DuplicateLast", "ABC", 2, &TForm1::Duplicate1Click, "ABCC", 2, nullptr},
        EditCase{"DuplicateNone", "ABC", -1, &TForm1::Duplicate1Click, "ABC", -1, refusedMinusOne},
        EditCase{"ReverseOdd", "ABCDE", 1, &TForm1::Reverse1Click, "EDCBA", 3, nullptr},
        EditCase{"ReverseOddMiddleSelected", "ABC", 1, &TForm1::Reverse1Click, "CBA", 1, nullptr},
        EditCase{"ReverseEven", "ABCD", 0, &TForm1::Reverse1Click, "DCBA", 3, nullptr},
        EditCase{"ReverseSevenRoundsUpAPass", "ABCDEFG", 3, &TForm1::Reverse1Click, "GFEDCBA", 3, nullptr},
        EditCase{"ReverseNone", "AB", -1, &TForm1::Reverse1Click, "BA", -1, nullptr}),
    [](const testing::TestParamInfo<EditCase>& info) { return std::string(info.param.label); });

// A shuffle keeps every path with its name, the count, and the selection on the entry selected before.
TEST(PlaylistShuffle, KeepsPairsCountAndSelectedEntry) {
    PlayerFixture player;
    TForm1& window = player.build();
    fillLetters(window, u"ABCDEFGHIJ"_s, 4);
    window.Shuffle1Click();
    QString sorted = lettersOf(window);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, u"ABCDEFGHIJ"_s);
    EXPECT_TRUE(listsAligned(window));
    EXPECT_EQ(window.lst1->itemText(window.lst1->itemIndex()), u"E.mp3"_s);
}

// The buttons run their handlers: Remove, Move up, Move down, Clear and Shuffle.
TEST(PlaylistButtons, RunTheirOperations) {
    PlayerFixture player;
    TForm1& window = player.build();
    fillLetters(window, u"ABCD"_s, 1);
    QTest::mouseClick(window.sbtbtn1, Qt::LeftButton); // BACD, B at 0
    EXPECT_EQ(lettersOf(window), u"BACD"_s);
    QTest::mouseClick(window.sbtbtn2, Qt::LeftButton); // ABCD, B at 1
    EXPECT_EQ(lettersOf(window), u"ABCD"_s);
    QTest::mouseClick(window.btn10, Qt::LeftButton); // ACD, C at 1
    EXPECT_EQ(lettersOf(window), u"ACD"_s);
    EXPECT_EQ(window.lst1->itemIndex(), 1);
    QTest::mouseClick(window.btn20, Qt::LeftButton);
    EXPECT_EQ(window.lst1->itemText(window.lst1->itemIndex()), u"C.mp3"_s);
    QTest::mouseClick(window.sbtbtn3, Qt::LeftButton);
    EXPECT_EQ(window.lst1->count(), 0);
    window.lst1->setItemIndex(-1);
    QTest::mouseClick(window.sbtbtn1, Qt::LeftButton); // refused inside the guard
    EXPECT_EQ(player.messages.texts(), QStringList{u"List index out of bounds (-1)."_s});
}

// Adding files appends the chosen paths in order and leaves the selection; cancelling adds nothing.
TEST(PlaylistAddFiles, AppendsChosenPathsAndCancelAddsNothing) {
    PlayerFixture player;
    TForm1& window = player.build();
    fillLetters(window, u"A"_s, 0);
    player.dialogAnswer = {u"/x/b.ogg"_s, u"/y/c.wav"_s};
    QTest::mouseClick(window.Button1, Qt::LeftButton);
    EXPECT_EQ(window.playlist.paths(), (QStringList{u"/m/A.mp3"_s, u"/x/b.ogg"_s, u"/y/c.wav"_s}));
    EXPECT_EQ(names(window.lst1), (QStringList{u"A.mp3"_s, u"b.ogg"_s, u"c.wav"_s}));
    EXPECT_EQ(window.lst1->itemIndex(), 0);
    ASSERT_EQ(player.dialogs.size(), 1);
    EXPECT_EQ(player.dialogs[0].kind, FileDialogRequest::Kind::OpenFiles);
    EXPECT_EQ(player.dialogs[0].title, u"Add Files to Playlist..."_s);
    EXPECT_TRUE(player.dialogs[0].filter.startsWith(u"Audio Files (*.mo3 *.xm *.mod "_s));
    // The formats the add-ons decode can be picked too: MIDI, WavPack, AIFF and the others.
    for (const char* pattern : {"*.midi", "*.mid", "*.wv", "*.aiff", "*.aifc", "*.oga", "*.ac3", "*.adx",
                                "*.aix", "*.ofr", "*.ofs"})
        EXPECT_TRUE(player.dialogs[0].filter.split(u' ').contains(QString::fromLatin1(pattern)) ||
                    player.dialogs[0].filter.endsWith(QString::fromLatin1(pattern) + u')'))
            << pattern;

    player.dialogAnswer.clear();
    window.Button1Click();
    EXPECT_EQ(window.playlist.count(), 3);
}

struct KeyCase {
    const char* label;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* after; // from ABC with B selected; nullptr for a shuffle
    int selectedAfter;
};

void PrintTo(const KeyCase& key, std::ostream* out) {
    *out << key.label;
}

class PlaylistKey : public testing::TestWithParam<KeyCase> {};

// A letter key pressed on the name list runs its operation once, whatever Shift, Ctrl or Alt, except
// the main menu's Ctrl combinations, which the list leaves to the menu.
TEST_P(PlaylistKey, RunsItsOperationOnce) {
    const KeyCase& key = GetParam();
    PlayerFixture player;
    TForm1& window = player.build();
    fillLetters(window, u"ABC"_s, 1);
    QTest::keyClick(window.lst1, key.key, key.modifiers);
    if (!key.after) {
        // Shuffled: the order is the generator's, but the entries and the selection are kept.
        QString sorted = lettersOf(window);
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, u"ABC"_s);
        EXPECT_EQ(window.lst1->itemText(window.lst1->itemIndex()), u"B.mp3"_s);
    } else {
        EXPECT_EQ(lettersOf(window), QString::fromLatin1(key.after));
        EXPECT_EQ(window.lst1->itemIndex(), key.selectedAfter);
    }
    EXPECT_TRUE(listsAligned(window));
    EXPECT_TRUE(player.messages.boxes.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PlaylistKey,
    testing::Values(KeyCase{"X", Qt::Key_X, Qt::NoModifier, "AC", 1},
                    KeyCase{"ShiftX", Qt::Key_X, Qt::ShiftModifier, "AC", 1},
                    KeyCase{"AltX", Qt::Key_X, Qt::AltModifier, "AC", 1},
                    KeyCase{"U", Qt::Key_U, Qt::NoModifier, "BAC", 0},
                    KeyCase{"D", Qt::Key_D, Qt::NoModifier, "ACB", 2},
                    KeyCase{"A", Qt::Key_A, Qt::NoModifier, "", -1},
                    KeyCase{"CtrlA", Qt::Key_A, Qt::ControlModifier, "", -1},
                    KeyCase{"S", Qt::Key_S, Qt::NoModifier, nullptr, 0},
                    KeyCase{"CtrlSIsTheMenusSave", Qt::Key_S, Qt::ControlModifier, "ABC", 1},
                    KeyCase{"CtrlOIsTheMenus", Qt::Key_O, Qt::ControlModifier, "ABC", 1},
                    KeyCase{"CtrlLIsTheMenus", Qt::Key_L, Qt::ControlModifier, "ABC", 1},
                    KeyCase{"CtrlShiftSShuffles", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, nullptr,
                            0},
                    KeyCase{"OtherLetter", Qt::Key_Q, Qt::NoModifier, "ABC", 1}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.label); });

// A letter key pressed on another control does nothing to the playlist.
TEST(PlaylistKeys, DoNothingOnOtherControls) {
    PlayerFixture player;
    TForm1& window = player.build();
    fillLetters(window, u"ABC"_s, 1);
    QTest::keyClick(window.btn10, Qt::Key_X);
    QTest::keyClick(window.btn1, Qt::Key_A);
    EXPECT_EQ(lettersOf(window), u"ABC"_s);
}

// The key of a refused operation shows the list error and still leaves the selection alone.
TEST(PlaylistKeys, RefusedOperationShowsTheListError) {
    PlayerFixture player;
    TForm1& window = player.build();
    fillLetters(window, u"ABC"_s, -1);
    QTest::keyClick(window.lst1, Qt::Key_U);
    EXPECT_EQ(player.messages.texts(), QStringList{u"List index out of bounds (-1)."_s});
    EXPECT_EQ(window.lst1->itemIndex(), -1);
}

// P runs the Play command: with nothing selected the first entry is selected and starts.
TEST(PlaylistKeys, PPlaysTheSelection) {
    PlayerFixture player;
    TForm1& window = player.start();
    const QString file = copyFixture(player, "sine1k.wav", u"one.wav"_s);
    window.AddPlaylistEntry(file);
    window.AddPlaylistEntry(u"/m/B.mp3"_s);
    QTest::keyClick(window.lst1, Qt::Key_P);
    EXPECT_EQ(window.lst1->itemIndex(), 0);
    EXPECT_EQ(window.state.CurrentFile, file);
    EXPECT_TRUE(isPlaying(window));
}

// What the list highlights is what the commands use. A click below the last entry, a Ctrl-click on
// the highlighted entry and Tab into the list leave the list's current row behind but highlight
// nothing: the status counts no entry, the hint says so, and X removes nothing.
TEST(PlaylistSelection, NothingHighlightedMeansNothingSelected) {
    PlayerFixture player;
    TForm1& window = player.start();
    QApplication::setActiveWindow(&window);
    ListBox* list = window.lst1;
    const auto rowCentre = [&](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
    const auto expectNothingSelected = [&](const char* how) {
        EXPECT_EQ(list->itemIndex(), -1) << how;
        EXPECT_TRUE(list->selectionModel()->selectedRows().isEmpty()) << how;
        window.tmr1Timer();
        EXPECT_EQ(window.lbl15->text(), u"PL : 0/3"_s) << how;
        QTest::mouseMove(list->viewport(), rowCentre(0));
        EXPECT_EQ(list->toolTip(), u"No items selected."_s) << how;
        list->setFocus();
        QTest::keyClick(list, Qt::Key_X);
        EXPECT_EQ(window.playlist.count(), 3) << how;
    };
    fillLetters(window, u"ABC"_s, -1);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(1));
    EXPECT_EQ(list->itemIndex(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 3));
    expectNothingSelected("click below the entries");

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(2));
    EXPECT_EQ(list->itemIndex(), 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(2));
    expectNothingSelected("Ctrl-click");

    list->setItemIndex(-1);
    window.scrlbr1->setFocus();
    QTest::keyClick(window.scrlbr1, Qt::Key_Tab);
    expectNothingSelected("Tab into the list");
}

// The hint is "No items selected." with nothing selected, else the selected entry's name wherever
// the pointer is.
TEST(PlaylistHint, FollowsTheSelectionNotThePointer) {
    PlayerFixture player;
    TForm1& window = player.build();
    fillLetters(window, u"ABC"_s, 2);
    auto move = [&](QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, window.lst1->viewport()->mapToGlobal(at), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.lst1->viewport(), &event);
    };
    move({5, 2}); // over the first entry
    EXPECT_EQ(window.lst1->toolTip(), u"C.mp3"_s);
    window.sbtbtn3Click();
    move({5, 40});
    EXPECT_EQ(window.lst1->toolTip(), u"No items selected."_s);
}

// List mode maximizes the playlist panel over the window and the list over the panel, and the next
// use puts both back where they were; the check mark records the mode.
TEST(PlaylistListMode, MaximizesAndRestoresPanelAndList) {
    PlayerFixture player;
    TForm1& window = player.start();
    const QRect panel = window.spnl3->geometry();
    const QRect list = window.lst1->geometry();
    ASSERT_NE(window.ListMode1, nullptr);
    EXPECT_EQ(window.ListMode1->text(), u"List Mode"_s);
    EXPECT_TRUE(window.ListMode1->isCheckable());
    EXPECT_FALSE(window.ListMode1->isChecked());

    window.ListMode1Click();
    EXPECT_TRUE(window.ListMode1->isChecked());
    EXPECT_EQ(window.spnl3->state(), Panel::State::Maximized);
    EXPECT_EQ(window.spnl3->geometry(), window.spnl3->parentWidget()->rect()); // the client area
    EXPECT_EQ(window.lst1->geometry(), window.spnl3->rect());
    EXPECT_EQ(window.spnl3->parentWidget()->size(),
              QSize(TForm1::designClientWidth, TForm1::designClientHeight));

    window.ListMode1Click();
    EXPECT_FALSE(window.ListMode1->isChecked());
    EXPECT_EQ(window.spnl3->geometry(), panel);
    EXPECT_EQ(window.lst1->geometry(), list);
}

// Triggering the "List Mode" action (as its menu item and Ctrl+M do) switches the mode once.
TEST(PlaylistListMode, ActionTogglesOncePerTrigger) {
    PlayerFixture player;
    TForm1& window = player.start();
    window.ListMode1->trigger();
    EXPECT_TRUE(window.ListMode1->isChecked());
    EXPECT_EQ(window.spnl3->state(), Panel::State::Maximized);
    window.ListMode1->trigger();
    EXPECT_FALSE(window.ListMode1->isChecked());
    EXPECT_EQ(window.spnl3->state(), Panel::State::Normal);
    EXPECT_EQ(window.ListMode1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
}

// 1,000 random edits, checked against a model of the two lists: every name stays the display name of
// its path and the selection stays on its entry; refused edits change nothing.
TEST(PlaylistProperty, RandomEditsKeepListsAlignedAndSelectionOnItsEntry) {
    PlayerFixture player;
    TForm1& window = player.build();
    std::mt19937 random(20240607);
    QStringList model; // paths
    int selected = -1;
    int added = 0;

    auto pick = [&](int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); };
    auto exchange = [&](int a, int b) {
        model.swapItemsAt(a, b);
        if (selected == a)
            selected = b;
        else if (selected == b)
            selected = a;
    };

    // The model's Remove and Move down; the keys X and D run the same operations.
    auto removeSelected = [&] {
        if (selected < 0)
            return;
        model.removeAt(selected);
        if (selected >= model.size())
            selected = -1;
    };
    QString refusal; // the error box text the step must show, empty for none
    auto moveDown = [&](int n) {
        if (selected == n - 1 && n > 0)
            exchange(0, n - 1);
        else if (n == 0)
            refusal = u"List index out of bounds (0)."_s;
        else if (selected < 0)
            refusal = u"List index out of bounds (-1)."_s;
        else
            exchange(selected, selected + 1);
    };

    for (int step = 0; step < 1000; ++step) {
        const int n = static_cast<int>(model.size());
        const int operation = pick(11);
        player.messages.boxes.clear();
        refusal.clear();
        switch (operation) {
        case 0:
        case 1: { // add one or two files; the second path may repeat an existing one
            QStringList chosen{u"/d%1/n%1.mp3"_s.arg(added++)};
            if (pick(2) == 0 && n > 0)
                chosen.append(model.at(pick(n)));
            player.dialogAnswer = chosen;
            window.Button1Click();
            model += chosen;
            break;
        }
        case 2: // select any entry or none
            selected = n == 0 ? -1 : pick(n + 1) - 1;
            window.lst1->setItemIndex(selected);
            break;
        case 3:
            runHandler(window, &TForm1::btn10Click);
            removeSelected();
            break;
        case 4:
            runHandler(window, &TForm1::sbtbtn1Click);
            if (selected < 0)
                refusal = u"List index out of bounds (-1)."_s;
            else if (selected == 0)
                exchange(0, n - 1);
            else
                exchange(selected, selected - 1);
            break;
        case 5:
            runHandler(window, &TForm1::sbtbtn2Click);
            moveDown(n);
            break;
        case 6:
            runHandler(window, &TForm1::Duplicate1Click);
            if (selected < 0)
                refusal = u"List index out of bounds (-1)."_s;
            else
                model.insert(selected + 1, model.at(selected));
            break;
        case 7:
            runHandler(window, &TForm1::Reverse1Click);
            std::reverse(model.begin(), model.end());
            if (selected >= 0)
                selected = n - 1 - selected;
            break;
        case 8: { // shuffle: the order is the player's generator's, so what must hold is checked
            const QString before = selected >= 0 ? model.at(selected) : QString();
            runHandler(window, &TForm1::Shuffle1Click);
            QStringList sortedModel = model;
            QStringList sortedNow = window.playlist.paths();
            sortedModel.sort();
            sortedNow.sort();
            ASSERT_EQ(sortedNow, sortedModel) << "step " << step;
            model = window.playlist.paths();
            selected = window.lst1->itemIndex();
            ASSERT_EQ(selected >= 0 ? model.at(selected) : QString(), before) << "step " << step;
            break;
        }
        case 9:
            if (pick(2) == 0) {
                QTest::keyClick(window.lst1, Qt::Key_X);
                removeSelected();
            } else {
                QTest::keyClick(window.lst1, Qt::Key_D);
                moveDown(n);
            }
            break;
        default:
            if (pick(4) == 0) { // clear now and then, so the list both grows and empties
                runHandler(window, &TForm1::sbtbtn3Click);
                model.clear();
                selected = -1;
            }
            break;
        }
        ASSERT_TRUE(listsAligned(window)) << "step " << step;
        ASSERT_EQ(window.playlist.paths(), model) << "step " << step << " operation " << operation;
        ASSERT_EQ(window.lst1->itemIndex(), selected) << "step " << step << " operation " << operation;
        ASSERT_EQ(player.messages.texts(), refusal.isEmpty() ? QStringList{} : QStringList{refusal})
            << "step " << step << " operation " << operation;
    }
}

} // namespace
