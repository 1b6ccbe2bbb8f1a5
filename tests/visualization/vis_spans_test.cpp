// Purpose: the spans of columns per band of rows that the visualization keeps of what it drew and changed.
#include "core/vis_spans.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orvu;

namespace {

using Spans = std::vector<VisBandSpans::Span>;

Spans spansAt(const VisBandSpans& set, int y) {
    const auto spans = set.spansAt(y);
    return Spans(spans.begin(), spans.end());
}

// In a band, spans that overlap or touch join and others stay apart, in order; a span holds for the rows
// its band reaches; rows outside the picture are left out.
TEST(VisBandSpans, AddJoinsTouchingSpans) {
    VisBandSpans set;
    set.reset(40, 8);
    EXPECT_TRUE(set.empty());
    set.add(3, 3, 20, 29);
    set.add(3, 4, 0, 4);
    set.add(5, 5, 40, 45);
    EXPECT_EQ(spansAt(set, 4), (Spans{{0, 4}, {20, 29}, {40, 45}}));
    EXPECT_TRUE(spansAt(set, 2).empty()); // in the band, above the rows it reaches
    EXPECT_TRUE(spansAt(set, 6).empty());
    set.add(4, 4, 30, 31); // touches 20..29
    set.add(4, 4, 3, 8);   // overlaps 0..4
    EXPECT_EQ(spansAt(set, 5), (Spans{{0, 8}, {20, 31}, {40, 45}}));
    set.add(3, 3, 5, 42); // covers the middle one, joins all three
    EXPECT_EQ(spansAt(set, 3), (Spans{{0, 45}}));

    set.add(-5, -1, 0, 5);
    set.add(40, 50, 0, 5);
    set.add(20, 20, 9, 2); // no columns
    EXPECT_EQ(set.rects(), (std::vector<QRect>{QRect(QPoint(0, 3), QPoint(45, 5))}));
    set.clear();
    EXPECT_TRUE(set.empty());
    EXPECT_TRUE(spansAt(set, 3).empty());
    EXPECT_TRUE(set.rects().empty());
}

// A band holds at most its limit of spans: one more joins the two closest, so the set only grows.
TEST(VisBandSpans, TooManySpansJoinTheClosest) {
    VisBandSpans set;
    set.reset(1, 16);
    Spans expected;
    for (int i = 0; i < VisBandSpans::maxSpans; ++i) {
        set.add(0, 0, i * 10, i * 10 + 1); // eight pixels apart
        expected.push_back({i * 10, i * 10 + 1});
    }
    set.add(0, 0, 75, 75); // three pixels after the last one: those two join
    expected.back().right = 75;
    EXPECT_EQ(spansAt(set, 0), expected);

    set.reset(1, 16, 2); // a smaller limit
    set.add(0, 0, 0, 9);
    set.add(0, 0, 50, 59);
    set.add(0, 0, 20, 29);
    EXPECT_EQ(spansAt(set, 0), (Spans{{0, 29}, {50, 59}}));
}

// The set as rectangles: a span added over several bands shows in each, over the rows each reaches, top
// to bottom and left to right, none overlapping.
TEST(VisBandSpans, RectsFollowTheBands) {
    VisBandSpans set;
    set.reset(30, 8);
    set.add(6, 17, 50, 59); // bands 0..7, 8..15, 16..23
    set.add(9, 9, 10, 19);
    set.add(12, 12, 100, 101);
    EXPECT_EQ(set.rects(), (std::vector<QRect>{
                               QRect(QPoint(50, 6), QPoint(59, 7)), QRect(QPoint(10, 8), QPoint(19, 15)),
                               QRect(QPoint(50, 8), QPoint(59, 15)), QRect(QPoint(100, 8), QPoint(101, 15)),
                               QRect(QPoint(50, 16), QPoint(59, 17))}));
}

} // namespace
