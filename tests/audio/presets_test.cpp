// Purpose: the preset window on the real main window: presets chosen by the user move the band sliders
// through their gain handlers, the faulty files, the preview gauges, and the genre auto-preset.
#include "audio/presets_window.h"
#include "engine/engine.h"
#include "skin/gauge.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"
#include "support/player_fixture.h"
#include "support/signal.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <optional>
#include <stdexcept>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::PlayerFixture;
using orvu::test::writeBytes;

namespace {

using Positions = std::array<int, 10>;

// Works in another current directory until the end of the scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const QString& path)
        : previous_(QDir::currentPath()) {
        if (!QDir::setCurrent(path))
            throw std::runtime_error("cannot enter " + path.toStdString());
    }
    ~CurrentDirectory() { QDir::setCurrent(previous_); }

private:
    QString previous_;
};

// The Rock file of these tests and the slider positions it gives.
const QByteArray rockFile = "6\r\n4\r\n2\r\n-1\r\n-3\r\n-1\r\n2\r\n4\r\n5\r\n5\r\n";
constexpr Positions rockPositions = {9, 11, 13, 16, 18, 16, 13, 11, 10, 10};
constexpr Positions flatPositions = {15, 15, 15, 15, 15, 15, 15, 15, 15, 15};

// A started player in an empty current directory, with its preset window; preset files go beside the
// player unless a test puts them in the current directory.
class PresetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(player.dir.path()).mkpath(u"presets"_s);
        beforeStart();
        w = &player.start();
        w->Bass.stop(); // positions and states stay what the handlers set
        presets.emplace(w->state, w->bandSliders);
        w->setPresetsWindow(&*presets);
    }
    void TearDown() override {
        presets.reset();
        player.close();
    }
    virtual void beforeStart() {}

    void writePreset(const QString& name, const QByteArray& bytes) {
        writeBytes(player.appFile(u"presets/"_s + name + u".dat"_s), bytes);
    }
    Positions positions() const {
        Positions result{};
        for (std::size_t band = 0; band < result.size(); ++band)
            result[band] = w->bandSliders[band]->position();
        return result;
    }
    Positions gains() const {
        Positions result{};
        for (int band = 0; band < 10; ++band)
            result[static_cast<std::size_t>(band)] = w->session.bandGain(band);
        return result;
    }
    // The user opens the window with the main window's "EQ Presets" button.
    void open() {
        QTest::mouseClick(w->btn18, Qt::LeftButton);
        ASSERT_TRUE(presets->isVisible());
    }
    // The user clicks a preset in the list.
    void clickPreset(int index) {
        ListBox* list = presets->lst1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(index, 0)).center());
    }
    // A copy of the MP3 fixture whose genre tag holds `genre` (none when empty).
    QString trackWithGenre(const QString& genre) {
        const QString path = player.appFile(u"track%1.mp3"_s.arg(tracks_++));
        QFile::copy(QString::fromStdString(orvu::test::fixturePath("sine1k.mp3")), path);
        TagLib::FileRef file(QFile::encodeName(path).constData());
        file.tag()->setGenre(TagLib::String(genre.toStdString(), TagLib::String::UTF8));
        file.save();
        return path;
    }
    // Loads a track as a double click does; the genre auto-preset step ends the load.
    void loadTrack(const QString& path) {
        w->AddPlaylistEntry(path);
        w->lst1->setItemIndex(w->lst1->count() - 1);
        w->lst1DblClick();
    }

    orvu::test::TempDir emptyDirectory;
    CurrentDirectory inEmptyDirectory{emptyDirectory.path()};
    PlayerFixture player;
    TForm1* w = nullptr;
    std::optional<TForm5> presets;

private:
    int tracks_ = 0;
};

// The window opens over a disabled main window with its thirteen entries, the saved preset selected;
// "&Close" hides it and gives the main window back.
TEST_F(PresetsTest, OpensOverADisabledMainWindowAndCloses) {
    EXPECT_EQ(presets->windowTitle(), u"Load EQ Preset"_s);
    EXPECT_EQ(presets->size(), QSize(408, 263));
    open();
    EXPECT_FALSE(w->isEnabled());
    ASSERT_EQ(presets->lst1->count(), 13);
    EXPECT_EQ(presets->lst1->itemText(8), u"R&B"_s);
    EXPECT_EQ(presets->lst1->itemText(12), u"Other"_s);
    EXPECT_EQ(presets->lst1->itemIndex(), 0);
    EXPECT_EQ(presets->btn1->text(), u"&Reset"_s);
    QTest::mouseClick(presets->btn2, Qt::LeftButton);
    EXPECT_FALSE(presets->isVisible());
    EXPECT_TRUE(w->isEnabled());
}

// A preset the user picks, by mouse or by keyboard, moves each band slider through its gain handler
// (the playing gains follow) and becomes PresetIndex; the line buffer is left empty.
TEST_F(PresetsTest, PickedPresetMovesTheBandsThroughTheirGainHandlers) {
    writePreset(u"Rock"_s, rockFile);
    writePreset(u"Reggae"_s, "3\n2\n0\n-3\n-1\n3\n4\n1\n0\n0");
    open();
    clickPreset(2);
    EXPECT_EQ(w->state.PresetIndex, 2);
    EXPECT_EQ(positions(), rockPositions);
    EXPECT_EQ(gains(), (Positions{6, 4, 2, -1, -3, -1, 2, 4, 5, 5}));
    EXPECT_EQ(w->bandSliders[4]->toolTip(), u"-3"_s);
    EXPECT_EQ(presets->lst2.count(), 0);

    QTest::keyClick(presets->lst1, Qt::Key_Down);
    EXPECT_EQ(w->state.PresetIndex, 3);
    EXPECT_EQ(gains(), (Positions{3, 2, 0, -3, -1, 3, 4, 1, 0, 0}));
}

// The faulty and the unusual files: clamped gains, a band already in place, a missing file, and the three
// errors, each keeping the bands set before the fault and the line buffer as it was.
TEST_F(PresetsTest, FaultyFilesKeepTheBandsBeforeTheFault) {
    struct Case {
        const char* what;
        std::optional<QByteArray> file; // none: no file; "fifo": a file that cannot be read
        Positions positions;
        QString message; // the error box, empty for none
        int bufferLines;
    };
    const Case cases[] = {
        {"clamped",
         QByteArray("20\r\n-20\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n11\r\n"),
         {0, 30, 15, 15, 15, 15, 15, 15, 15, 15},
         {},
         0},
        {"three lines",
         QByteArray("1\r\n2\r\n3"),
         {14, 13, 12, 15, 15, 15, 15, 15, 15, 15},
         u"List index out of bounds (3)."_s,
         3},
        {"not a number",
         QByteArray("1\n2\n3\n4\nloud\n6\n7\n8\n9\n10\n"),
         {14, 13, 12, 11, 15, 15, 15, 15, 15, 15},
         u"'loud' is not a valid integer value."_s,
         10},
        {"missing", std::nullopt, flatPositions, {}, 0},
        {"unreadable", QByteArray("fifo"), flatPositions,
         u"Cannot open file \"%1\". Not a regular file."_s.arg(player.appFile(u"presets/Blues.dat"_s)), 0},
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (ScrollBar* slider : w->bandSliders)
            slider->setPosition(15);
        QFile::remove(player.appFile(u"presets/Blues.dat"_s));
        if (c.file == "fifo")
            ASSERT_EQ(::mkfifo(QFile::encodeName(player.appFile(u"presets/Blues.dat"_s)).constData(), 0600),
                      0);
        else if (c.file)
            writePreset(u"Blues"_s, *c.file);
        player.messages.boxes.clear();
        clickPreset(0);
        clickPreset(1);

        EXPECT_EQ(w->state.PresetIndex, 1);
        EXPECT_EQ(positions(), c.positions);
        for (std::size_t band = 0; band < 10; ++band)
            EXPECT_EQ(w->session.bandGain(static_cast<int>(band)), 15 - c.positions[band]) << band;
        EXPECT_EQ(player.messages.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(presets->lst2.count(), c.bufferLines);
    }
}

// A line of 0 for a band already at 15 fires no gain handler; "Other" reads no file and changes only
// PresetIndex.
TEST_F(PresetsTest, UnchangedBandsAndOtherRunNoHandler) {
    writePreset(u"Pop"_s, "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    writePreset(u"Other"_s, rockFile);
    QSignalSpy changes(w->bandSliders[0], &ScrollBar::changed);
    open();
    clickPreset(4);
    EXPECT_EQ(w->state.PresetIndex, 4);
    clickPreset(12);
    EXPECT_EQ(w->state.PresetIndex, 12);
    EXPECT_EQ(positions(), flatPositions);
    EXPECT_EQ(changes.count(), 0);
}

// "&Reset" selects "Flat" and loads it; with Flat.dat missing it only selects it.
TEST_F(PresetsTest, ResetSelectsFlat) {
    writePreset(u"Rock"_s, rockFile);
    open();
    clickPreset(2);
    QTest::mouseClick(presets->btn1, Qt::LeftButton);
    EXPECT_EQ(presets->lst1->itemIndex(), 0);
    EXPECT_EQ(w->state.PresetIndex, 0);
    EXPECT_EQ(positions(), rockPositions);

    writePreset(u"Flat"_s, "0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n");
    clickPreset(2);
    QTest::mouseClick(presets->btn1, Qt::LeftButton);
    EXPECT_EQ(positions(), flatPositions);
}

// The current directory's preset file comes before the one beside the player.
TEST_F(PresetsTest, CurrentDirectoryFileComesFirst) {
    writePreset(u"Rock"_s, rockFile);
    orvu::test::TempDir current;
    const CurrentDirectory inCurrent(current.path());
    QDir(current.path()).mkpath(u"presets"_s);
    writeBytes(current.file(u"presets/Rock.dat"_s), "-15\n-15\n-15\n-15\n-15\n-15\n-15\n-15\n-15\n-15\n");
    open();
    clickPreset(2);
    EXPECT_EQ(positions(), (Positions{30, 30, 30, 30, 30, 30, 30, 30, 30, 30}));
}

// After the user moves a band slider in the main window, the window opens on "Other".
TEST_F(PresetsTest, OpensOnOtherAfterASliderMove) {
    writePreset(u"Rock"_s, rockFile);
    open();
    clickPreset(2);
    QTest::mouseClick(presets->btn2, Qt::LeftButton);
    QTest::keyClick(w->bandSliders[3], Qt::Key_Down);
    EXPECT_EQ(w->state.PresetIndex, 12);
    open();
    EXPECT_EQ(presets->lst1->itemIndex(), 12);
}

// The preview timer runs from creation, shown or not, and each tick sets gauge k to Band k's gain + 15.
TEST_F(PresetsTest, PreviewGaugesFollowTheSlidersWithinOneTick) {
    EXPECT_TRUE(presets->tmr1->isActive());
    EXPECT_EQ(presets->tmr1->interval(), 100);
    for (Gauge* gauge : presets->previewGauges)
        EXPECT_EQ(gauge->progress(), 15);
    for (int step = 0; step < 4; ++step)
        QTest::keyClick(w->bandSliders[0], Qt::Key_Up); // the top is +15 dB
    QTest::keyClick(w->bandSliders[9], Qt::Key_Down);
    presets->tmr1Timer();
    EXPECT_EQ(presets->previewGauges[0]->progress(), 15 + w->session.bandGain(0));
    EXPECT_EQ(presets->previewGauges[0]->progress(), 19);
    EXPECT_EQ(presets->previewGauges[9]->progress(), 14);
    EXPECT_EQ(presets->previewGauges[5]->progress(), 15);
}

// With the auto-preset on, a load picks the preset whose name is the whole genre, letter case aside;
// anything else leaves the equalizer alone, as does the auto-preset switched off.
TEST_F(PresetsTest, GenreAutoPresetMatchesTheWholeGenre) {
    writePreset(u"Rock"_s, rockFile);
    writePreset(u"Other"_s, rockFile);
    struct Case {
        QString genre;
        bool autoEq;
        int presetIndex;
        Positions positions;
    };
    const Case cases[] = {
        {u"rock"_s, true, 2, rockPositions},    {u"Rock "_s, true, 0, flatPositions},
        {u"Hip-Hop"_s, true, 0, flatPositions}, {u"Rock, Pop"_s, true, 0, flatPositions},
        {u""_s, true, 0, flatPositions},        {u"Other"_s, true, 12, flatPositions},
        {u"Rock"_s, false, 0, flatPositions},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.genre.toStdString());
        for (ScrollBar* slider : w->bandSliders)
            slider->setPosition(15);
        w->state.PresetIndex = 0;
        w->state.AutoEq = c.autoEq;
        loadTrack(trackWithGenre(c.genre));
        EXPECT_EQ(w->state.PresetIndex, c.presetIndex);
        if (c.presetIndex != 0) {
            EXPECT_EQ(presets->lst1->itemIndex(), c.presetIndex);
        }
        EXPECT_EQ(positions(), c.positions);
    }
    EXPECT_TRUE(player.messages.boxes.isEmpty());
}

// A faulty preset file met by the auto-preset is reported, and the track goes on playing.
TEST_F(PresetsTest, AutoPresetErrorKeepsTheTrackPlaying) {
    writePreset(u"Rock"_s, "6\n4\nloud\n");
    w->state.AutoEq = true;
    loadTrack(trackWithGenre(u"Rock"_s));
    // Once, or twice while the load itself also runs the step (loadTrack runs it after the load).
    EXPECT_THAT(player.messages.texts(),
                ::testing::AllOf(::testing::Not(::testing::IsEmpty()),
                                 ::testing::Each(u"'loud' is not a valid integer value."_s)));
    EXPECT_EQ(w->Bass.channelIsActive(w->session.Channel), engine::kActivePlaying);
    EXPECT_EQ(w->state.PresetIndex, 2);
    EXPECT_EQ(positions(), (Positions{9, 11, 15, 15, 15, 15, 15, 15, 15, 15}));
}

// The window starts on the saved preset, and showing selects it again, neither loading it; an index
// outside the list (an edited file) selects nothing.
class SavedPresetTest : public PresetsTest, public ::testing::WithParamInterface<std::pair<int, int>> {
protected:
    void beforeStart() override {
        writeBytes(player.appFile(u"ORVU.ini"_s),
                   u"[Equalizer]\r\nPreset=%1\r\n"_s.arg(GetParam().first).toUtf8());
        for (const char* name : {"Flat", "Classical", "Other"})
            writePreset(QString::fromLatin1(name), rockFile);
    }
};

TEST_P(SavedPresetTest, SelectsTheSavedPresetAtCreationAndShow) {
    EXPECT_EQ(presets->lst1->itemIndex(), GetParam().second);
    open();
    EXPECT_EQ(presets->lst1->itemIndex(), GetParam().second);
    EXPECT_EQ(positions(), flatPositions);
}

INSTANTIATE_TEST_SUITE_P(Presets, SavedPresetTest,
                         ::testing::Values(std::pair{5, 5}, std::pair{12, 12}, std::pair{13, -1},
                                           std::pair{-1, -1}));

} // namespace
