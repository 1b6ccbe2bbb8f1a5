// Purpose: the visualization's frames, Random cycle and colour walk, computed by hand from the level values.
#include "core/vis_colour.h"
#include "core/vis_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace orvu;

namespace {

// Rounding divides exactly and sends a half to the even neighbour, for either sign.
TEST(VisRounding, QuotientsRoundHalvesToEven) {
    struct Case {
        int value, divisor, rounded;
    };
    const Case cases[] = {{677, 2, 338}, {671, 2, 336}, {25, 10, 2},   {35, 10, 4}, {677, 10, 68},
                          {50, 100, 0},  {51, 100, 1},  {150, 100, 2}, {30, 20, 2}, {50, 20, 2},
                          {70, 20, 4},   {100, 40, 2},  {-5, 2, -2},   {-7, 2, -4}, {0, 20, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(roundedQuotient(c.value, c.divisor), c.rounded) << c.value << " / " << c.divisor;
}

// A fraction times a size is the extended-precision product, rounded: where the fraction's extended value
// lies above its decimal one (0.15, 0.3) a decimal half rounds up, where below (0.65) it rounds down.
TEST(VisRounding, FractionsAreExtendedPrecisionProducts) {
    struct Case {
        int hundredths, value, rounded;
    };
    const Case cases[] = {
        {10, 464, 46}, {70, 464, 325}, {50, 95, 48},   {10, 5, 0},     {10, 15, 2},   {30, 5, 2},
        {15, 190, 29}, {30, 95, 29},   {65, 190, 123}, {75, 190, 142}, {25, 190, 48}, {85, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(roundedFraction(c.hundredths, c.value), c.rounded) << c.hundredths << "% of " << c.value;
}

// Where this machine's long double is the 80-bit format, its own products agree for every size.
TEST(VisRounding, FractionsMatchTheMachinesExtendedFormat) {
    if (std::numeric_limits<long double>::digits != 64)
        GTEST_SKIP() << "long double is not the 80-bit extended format here";
    for (int hundredths = 10; hundredths <= 90; hundredths += 5)
        for (int value = 0; value <= 8192; ++value) {
            const long double fraction = static_cast<long double>(hundredths) / 100.0L;
            ASSERT_EQ(roundedFraction(hundredths, value),
                      static_cast<int>(std::nearbyint(fraction * static_cast<long double>(value))))
                << hundredths << "% of " << value;
        }
}

// Elipse: centred, a fifth of the surface at rest, 4 * L0 larger with L0, the pen R(L3 / 20); halves of
// odd sizes round to even.
TEST(VisFrames, Elipse) {
    struct Case {
        VisLevels levels;
        QSize surface;
        ElipseFrame frame;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, {677, 464}, {0, {270, 186, 406, 278}}},
        {{100, 0, 0, 100}, {677, 464}, {5, {70, -14, 606, 478}}},
        {{1, 0, 0, 10}, {25, 15}, {0, {8, 4, 16, 12}}},
        {{0, 0, 0, 30}, {27, 13}, {2, {11, 5, 17, 7}}},
        {{0, 0, 0, 50}, {27, 13}, {2, {11, 5, 17, 7}}},
        {{0, 0, 0, 70}, {27, 13}, {4, {11, 5, 17, 7}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(elipseFrame(c.levels, c.surface), c.frame)
            << c.surface.width() << " x " << c.surface.height();
}

// Spectrum: nine bars at tenths of the height, two of 5 * L0, two of 6 * L1, two of 6 * L2, three of
// 6 * L3; the pen width R(L0 / 20) comes after them.
TEST(VisFrames, Spectrum) {
    const auto bars = [](std::array<int, 9> ys, std::array<int, 9> lengths) {
        std::array<VisBox, 9> boxes;
        for (std::size_t i = 0; i < 9; ++i)
            boxes[i] = {0, ys[i], lengths[i], ys[i] + 1};
        return boxes;
    };
    EXPECT_EQ(spectrumFrame({0, 0, 0, 0}, {677, 464}),
              (SpectrumFrame{bars({46, 93, 139, 186, 232, 278, 325, 371, 418}, {}), 0}));
    // 95 high: 9.5 and 47.5 go to the even 10 and 48; 0.3 * 95 lies above 28.5 in extended precision.
    EXPECT_EQ(
        spectrumFrame({100, 50, 20, 7}, {30, 95}),
        (SpectrumFrame{bars({10, 19, 29, 38, 48, 57, 66, 76, 86}, {500, 500, 300, 300, 120, 120, 42, 42, 42}),
                       5}));
    EXPECT_EQ(spectrumFrame({50, 0, 0, 0}, {30, 95}).penWidthAfter, 2);
}

// Sparc: the band moves down by L0 + L3, restarts at -5 once below the bottom (not at it), and zigzags
// from R(W / 10) by 8 * L through L0..L3, one pixel lower each point.
TEST(VisFrames, Sparc) {
    int sparcY = 0;
    SparcFrame frame = sparcFrame({10, 20, 30, 40}, {677, 464}, sparcY);
    EXPECT_EQ(sparcY, 50);
    const int xs[] = {148, 228, 308, 388};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(frame.points[static_cast<std::size_t>(i)], QPoint(xs[i % 4], 50 + i)) << i;

    sparcY = 459;
    sparcFrame({2, 0, 0, 3}, {677, 464}, sparcY);
    EXPECT_EQ(sparcY, 464);
    frame = sparcFrame({0, 0, 0, 1}, {35, 464}, sparcY);
    EXPECT_EQ(sparcY, -5);
    EXPECT_EQ(frame.points[0], QPoint(4, -5)); // R(3.5) = 4
    EXPECT_EQ(frame.points[11], QPoint(12, 6));
    EXPECT_EQ(sparcFrame({0, 0, 0, 0}, {25, 464}, sparcY).points[0], QPoint(2, -5)); // R(2.5) = 2
}

// Dopler: the edges move one pixel per tick only above L0 = 50 and wrap; the ellipses hang from the
// falling edge and stand on the rising one, reaching to H - 6 * Lk, in the columns of 0.15 .. 0.85 W.
TEST(VisFrames, Dopler) {
    DoplerEdges edges;
    DoplerFrame frame = doplerFrame({0, 0, 0, 0}, {677, 464}, edges);
    EXPECT_EQ(edges, (DoplerEdges{0, 0}));
    EXPECT_EQ(frame.hanging,
              (std::array<VisBox, 4>{
                  {{102, 0, 169, 464}, {237, 0, 305, 464}, {372, 0, 440, 464}, {508, 0, 575, 464}}}));
    EXPECT_EQ(frame.standing[0], (VisBox{102, 464, 169, 0}));
    EXPECT_EQ(frame.penWidthAfter, 0);

    doplerFrame({50, 0, 0, 0}, {677, 464}, edges); // 0.5 rounds to 0
    EXPECT_EQ(edges, (DoplerEdges{0, 0}));
    frame = doplerFrame({51, 10, 20, 100}, {677, 464}, edges); // the rising edge wraps to the bottom
    EXPECT_EQ(edges, (DoplerEdges{464, 1}));
    EXPECT_EQ(frame.hanging[0], (VisBox{102, 1, 169, 158}));
    EXPECT_EQ(frame.hanging[1], (VisBox{237, 1, 305, 404}));
    EXPECT_EQ(frame.standing[2], (VisBox{372, 344, 440, 464}));
    EXPECT_EQ(frame.standing[3], (VisBox{508, -136, 575, 464}));
    EXPECT_EQ(frame.penWidthAfter, 1);

    edges = {5, 464};
    frame = doplerFrame({100, 0, 0, 0}, {190, 464}, edges); // the falling edge wraps to the top
    EXPECT_EQ(edges, (DoplerEdges{4, 0}));
    EXPECT_EQ(frame.penWidthAfter, 2); // R(2.5)
    // 190 wide: 0.15 * 190 lies above 28.5 and 0.65 * 190 below 123.5 in extended precision.
    EXPECT_EQ(frame.hanging,
              (std::array<VisBox, 4>{
                  {{29, 0, 48, -136}, {66, 0, 86, 464}, {104, 0, 123, 464}, {142, 0, 162, 464}}}));
}

// Random: from 249 the first step picks Elipse; then Spectrum at 500, Sparc at 750, Dopler at 1000, and
// the counter wraps from 1250 to 0, so later cycles hold Dopler for 500 steps.
TEST(VisRandom, CyclesThroughTheModes) {
    int tick = 249;
    std::vector<std::pair<int, VisDrawMode>> picks;
    for (int step = 1; step <= 2600; ++step)
        if (const auto mode = advanceRandomCycle(tick))
            picks.emplace_back(step, *mode);
    const std::vector<std::pair<int, VisDrawMode>> expected{
        {1, VisDrawMode::Elipse},   {251, VisDrawMode::Spectrum}, {501, VisDrawMode::Sparc},
        {751, VisDrawMode::Dopler}, {1251, VisDrawMode::Elipse},  {1501, VisDrawMode::Spectrum},
        {1751, VisDrawMode::Sparc}, {2001, VisDrawMode::Dopler},  {2501, VisDrawMode::Elipse},
    };
    EXPECT_EQ(picks, expected);
    tick = 1249;
    EXPECT_FALSE(advanceRandomCycle(tick));
    EXPECT_EQ(tick, 0);
}

// The colour: red 2 * L0 + 55, blue 2 * L2 + 5, green climbing by L1 and back to 0 once above 200 (in the
// same tick); the pen keeps each component's low byte.
TEST(VisColourWalk, FollowsTheLevels) {
    VisColour colour;
    advanceColour(colour, {0, 0, 0, 0});
    EXPECT_EQ(colour, (VisColour{55, 0, 5}));
    advanceColour(colour, {100, 100, 100, 0});
    EXPECT_EQ(colour, (VisColour{255, 100, 205}));
    advanceColour(colour, {10, 100, 30, 0});
    EXPECT_EQ(colour, (VisColour{75, 200, 65})); // 200 stays
    colour.green = 190;
    advanceColour(colour, {0, 15, 0, 0});
    EXPECT_EQ(colour.green, 0); // 205, then reset
    EXPECT_EQ(penColour({256 + 7, 300, -1}), (VisColour{7, 44, 255}));
}

} // namespace
