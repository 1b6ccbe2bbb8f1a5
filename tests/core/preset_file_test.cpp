// Purpose: preset files (lines, gains, where they are found), the preset list's genre match, and the
// Options dialog's refill rules.
#include "core/options_refill.h"
#include "core/preset_file.h"
#include "support/error_message.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <stdexcept>

#include <sys/stat.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::errorMessageOf;
using orvu::test::TempDir;
using orvu::test::writeBytes;

namespace {

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

// Lines end at CR LF, LF or CR; a last line needs no line break, an empty line counts, and a NUL ends
// the text.
TEST(PresetFile, SplitsLinesAtEveryLineBreak) {
    const std::pair<QByteArray, QStringList> cases[] = {
        {"1\r\n2\n3\r4", {u"1"_s, u"2"_s, u"3"_s, u"4"_s}},
        {"5\r\n-5\r\n", {u"5"_s, u"-5"_s}},
        {"7\r\n\r\n", {u"7"_s, u""_s}},
        {"\n\r", {u""_s, u""_s}},
        {"", {}},
        {QByteArray("1\r\n2\0"
                    "3\r\n",
                    7),
         {u"1"_s, u"2"_s}},
    };
    TempDir dir;
    for (const auto& [bytes, lines] : cases) {
        writeBytes(dir.file(u"p.dat"_s), bytes);
        EXPECT_EQ(readPresetFile(dir.file(u"p.dat"_s)), lines) << bytes.toStdString();
    }
}

// A file that is there but cannot be read raises the file-open error with the path and the reason.
TEST(PresetFile, UnreadableFileRaisesTheOpenError) {
    TempDir dir;
    const QString fifo = dir.file(u"Rock.dat"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(errorMessageOf([&] { readPresetFile(fifo); }),
              u"Cannot open file \"%1\". Not a regular file"_s.arg(fifo));
    const QString missing = dir.file(u"none.dat"_s);
    EXPECT_EQ(errorMessageOf([&] { readPresetFile(missing); }),
              u"Cannot open file \"%1\". No such file or directory"_s.arg(missing));
}

// A gain is a decimal integer with an optional sign after optional blanks; anything else, or a value
// beyond 32 bits, raises the conversion error quoting the whole line.
TEST(PresetFile, GainLinesAreSignedDecimalIntegers) {
    const std::pair<QString, int> valid[] = {
        {u"5"_s, 5},
        {u"-15"_s, -15},
        {u"+3"_s, 3},
        {u"  7"_s, 7},
        {u"007"_s, 7},
        {u"2147483647"_s, std::numeric_limits<int>::max()},
        {u"-2147483648"_s, std::numeric_limits<int>::min()},
    };
    for (const auto& [line, gain] : valid)
        EXPECT_EQ(presetGain(line), gain) << line.toStdString();
    for (const QString& line : {u""_s, u"abc"_s, u"1.5"_s, u"5 "_s, u"0x10"_s, u"--1"_s, u"-"_s,
                                u"2147483648"_s, u"-2147483649"_s, u"99999999999999999999"_s}) {
        EXPECT_EQ(errorMessageOf([&] { presetGain(line); }), u"'%1' is not a valid integer value"_s.arg(line))
            << line.toStdString();
    }
}

// A gain becomes the slider position 15 - gain, clamped into 0..30, without overflow at the extremes.
TEST(PresetFile, GainsBecomeClampedSliderPositions) {
    const std::pair<int, int> cases[] = {
        {0, 15},
        {15, 0},
        {-15, 30},
        {20, 0},
        {-20, 30},
        {3, 12},
        {std::numeric_limits<int>::max(), 0},
        {std::numeric_limits<int>::min(), 30},
    };
    for (const auto& [gain, position] : cases)
        EXPECT_EQ(bandPositionForGain(gain), position) << gain;
}

// A genre names a preset only by its whole text, letter case aside: no trimming, no partial match.
TEST(PresetList, GenreMatchesAWholeNameIgnoringCase) {
    const std::pair<QString, int> cases[] = {
        {u"Rock"_s, 2},     {u"rock"_s, 2},       {u"ROCK"_s, 2},   {u"hip hop"_s, 6},
        {u"r&b"_s, 8},      {u"Other"_s, 12},     {u"Rock "_s, -1}, {u" Rock"_s, -1},
        {u"Hip-Hop"_s, -1}, {u"Rock, Pop"_s, -1}, {u"Roc"_s, -1},   {u""_s, -1},
    };
    for (const auto& [genre, index] : cases)
        EXPECT_EQ(presetIndexOf(genre), index) << genre.toStdString();
}

// A preset file is looked up as written, relative to the current directory, then beside the player;
// a directory of that name is no file.
TEST(PresetFile, FoundInTheCurrentDirectoryThenBesideThePlayer) {
    TempDir current;
    TempDir app;
    const CurrentDirectory inCurrent(current.path());
    QDir(current.path()).mkpath(u"presets/Pop.dat"_s);
    QDir(app.path()).mkpath(u"presets"_s);
    writeBytes(app.file(u"presets/Rock.dat"_s), "0\r\n");
    writeBytes(app.file(u"presets/Pop.dat"_s), "0\r\n");
    const QString appDir = app.path() + u'/';

    EXPECT_EQ(findPresetFile(u"Rock"_s, appDir), appDir + u"presets/Rock.dat"_s);
    EXPECT_EQ(findPresetFile(u"Pop"_s, appDir), appDir + u"presets/Pop.dat"_s);
    EXPECT_EQ(findPresetFile(u"Blues"_s, appDir), u""_s);
    writeBytes(current.file(u"presets/Rock.dat"_s), "1\r\n");
    EXPECT_EQ(findPresetFile(u"Rock"_s, appDir), u"presets/Rock.dat"_s);
}

// Only the texts "0" to "9" name a skin row.
TEST(OptionsRefill, OnlyOneDigitNamesASkinRow) {
    const std::pair<QString, std::optional<int>> cases[] = {
        {u"0"_s, 0},
        {u"3"_s, 3},
        {u"9"_s, 9},
        {u"12"_s, std::nullopt},
        {u"-1"_s, std::nullopt},
        {u" 3"_s, std::nullopt},
        {u"03"_s, std::nullopt},
        {u""_s, std::nullopt},
        {u"a"_s, std::nullopt},
    };
    for (const auto& [text, row] : cases)
        EXPECT_EQ(skinRowOf(text), row) << text.toStdString();
}

// A stored text selects the item equal to it, letter case aside, and no item when none is.
TEST(OptionsRefill, ComboItemMatchesIgnoringCase) {
    const QStringList modes = {u"Normal"_s, u"Simple"_s, u"Medium"_s};
    const std::pair<QString, int> cases[] = {
        {u"Normal"_s, 0},   {u"simple"_s, 1}, {u"MEDIUM"_s, 2},
        {u"Simple "_s, -1}, {u"Norm"_s, -1},  {u""_s, -1},
    };
    for (const auto& [text, index] : cases)
        EXPECT_EQ(comboIndexOf(modes, text), index) << text.toStdString();
}

} // namespace
