// Purpose: display names, the status-line name, time text, rounding, gauge percent and window placement.
#include "core/display_name.h"
#include "core/gauge_percent.h"
#include "core/player_random.h"
#include "core/rounding.h"
#include "core/time_text.h"
#include "core/window_placement.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orvu;
using namespace Qt::StringLiterals;

namespace {

// The display name is the text after the last '/', the whole path without one.
TEST(DisplayName, IsTheTextAfterTheLastSlash) {
    const std::pair<QString, QString> cases[] = {
        {u"/music/a.mp3"_s, u"a.mp3"_s},  {u"a.mp3"_s, u"a.mp3"_s},
        {u"/music/dir/"_s, u""_s},        {u""_s, u""_s},
        {u"C:\\x.mp3"_s, u"C:\\x.mp3"_s}, {u"/mús/ü ß.ogg"_s, u"ü ß.ogg"_s},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(displayName(path), name) << path.toStdString();
}

// Names over 50 characters are cut to 50 followed by "... ".
TEST(CurrentName, CutsNamesLongerThanFifty) {
    const QString fifty(50, u'n');
    EXPECT_EQ(currentName(fifty), fifty);
    EXPECT_EQ(currentName(fifty + u'x'), fifty + u"... "_s);
    EXPECT_EQ(currentName(u""_s), u""_s);
    // A character outside the basic plane is never split in two.
    const QString wide = QString(49, u'n') + QString::fromUcs4(U"\U0001D11E") + u"tail"_s;
    EXPECT_EQ(currentName(wide), QString(49, u'n') + u"... "_s);
}

// Time text is "%2.2d:%2.2d" of minutes and seconds; a failed query (-1) shows "00:00".
TEST(TimeText, FormatsMinutesAndSeconds) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "00:00"},    {5, "00:05"},     {65, "01:05"}, {599, "09:59"},
        {3600, "60:00"}, {6000, "100:00"}, {-1, "00:00"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(timeText(seconds), QString::fromLatin1(text)) << seconds;
}

// Halves round to the even neighbour; values no integer can hold give 0.
TEST(RoundHalfEven, RoundsHalvesToEven) {
    const std::pair<double, std::int64_t> cases[] = {
        {0.5, 0},   {1.5, 2}, {2.5, 2}, {3.5, 4},   {-0.5, 0},
        {-1.5, -2}, {2.4, 2}, {2.6, 3}, {1e300, 0}, {NAN, 0},
    };
    for (const auto& [value, rounded] : cases)
        EXPECT_EQ(roundHalfEven(value), rounded) << value;
}

// Gauge percent truncates and is 0 for an empty range.
TEST(GaugePercent, TruncatesAndHandlesEmptyRange) {
    EXPECT_EQ(gaugePercent(0, 0, 100), 0);
    EXPECT_EQ(gaugePercent(50, 0, 100), 50);
    EXPECT_EQ(gaugePercent(1, 0, 3), 33);
    EXPECT_EQ(gaugePercent(2, 0, 3), 66);
    EXPECT_EQ(gaugePercent(5, 5, 5), 0);
    EXPECT_EQ(gaugePercent(150, 100, 200), 50);
    EXPECT_EQ(gaugePercent(2147483647, 0, 2147483647), 100); // no overflow
}

// Half the screen minus half the window, each half rounded with halves to even.
TEST(CentredOrigin, RoundsEachHalf) {
    EXPECT_EQ(centredOrigin(1920, 824), 548);
    EXPECT_EQ(centredOrigin(1366, 825), 683 - 412); // 412.5 rounds to 412
    EXPECT_EQ(centredOrigin(1025, 700), 512 - 350); // 512.5 rounds to 512
    EXPECT_EQ(centredOrigin(1027, 701), 514 - 350); // 513.5 -> 514, 350.5 -> 350
    EXPECT_EQ(centredOrigin(800, 1000), -100);
}

// A seed starts the shared generator's sequence anew: the same seed, the same numbers, each in range.
TEST(PlayerRandom, ASeedFixesTheSequence) {
    const auto draw = [](std::uint32_t seed) {
        seedPlayerRandom(seed);
        std::vector<int> numbers;
        for (int i = 0; i < 50; ++i)
            numbers.push_back(playerRandom(7));
        return numbers;
    };
    const std::vector<int> first = draw(42);
    EXPECT_EQ(draw(42), first);
    EXPECT_NE(draw(43), first);
    for (int n : first)
        EXPECT_TRUE(n >= 0 && n < 7);
    EXPECT_EQ(playerRandom(0), 0);
}

} // namespace
