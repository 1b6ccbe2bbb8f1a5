// Purpose: how the visualization's ellipses fall on pixels, shown as small pictures.
#include "core/vis_raster.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orvu;

namespace {

// The rows of an ellipse drawn on a small grid: '#' the pen, 'o' the black inside, '.' untouched.
std::vector<std::string> picture(const VisBox& box, int penWidth, int width, int height) {
    std::vector<VisEllipseRow> rows;
    ellipseRows(box, penWidth, rows);
    std::vector<std::string> grid(static_cast<std::size_t>(height),
                                  std::string(static_cast<std::size_t>(width), '.'));
    for (const VisEllipseRow& row : rows)
        for (int x = row.left; x <= row.right; ++x)
            grid.at(static_cast<std::size_t>(row.y)).at(static_cast<std::size_t>(x)) =
                (x >= row.inLeft && x <= row.inRight) ? 'o' : '#';
    return grid;
}

using Picture = std::vector<std::string>;

// The ellipse's pixels are those whose centres lie inside it. With a pen of 0 or 1 the outline is those
// that touch the outside: closed, reaching the box's edges (its right and bottom edges outside), whatever
// order the corners come in. A wider pen is centred on the ellipse, half of it outside the box.
TEST(VisRaster, EllipsesOnPixels) {
    struct Case {
        VisBox box;
        int penWidth;
        Picture expected;
    };
    const Case cases[] = {
        {{1, 1, 8, 6},
         0,
         {
             ".........",
             "..#####..",
             ".#ooooo#.",
             ".#ooooo#.",
             ".#ooooo#.",
             "..#####..",
             ".........",
         }},
        {{1, 1, 12, 8},
         1,
         {
             ".............",
             "....#####....",
             "..##ooooo##..",
             ".#ooooooooo#.",
             ".#ooooooooo#.",
             ".#ooooooooo#.",
             "..##ooooo##..",
             "....#####....",
             ".............",
         }},
        {{5, 4, 1, 1},
         0,
         {
             "......",
             "..##..",
             ".#oo#.",
             "..##..",
             "......",
         }},
        {{3, 2, 11, 9},
         3,
         {
             "..............",
             "....######....",
             "...########...",
             "..##########..",
             "..###oooo###..",
             ".###oooooo###.",
             "..###oooo###..",
             "..##########..",
             "...########...",
             "....######....",
             "..............",
         }},
    };
    for (const Case& c : cases) {
        const int width = static_cast<int>(c.expected.front().size()),
                  height = static_cast<int>(c.expected.size());
        EXPECT_EQ(picture(c.box, c.penWidth, width, height), c.expected)
            << c.box.x1 << "," << c.box.y1 << "," << c.box.x2 << "," << c.box.y2 << " pen " << c.penWidth;
    }
}

// A box without width or height draws nothing.
TEST(VisRaster, FlatBoxHasNoRows) {
    std::vector<VisEllipseRow> rows{{}};
    for (const VisBox& box : {VisBox{4, 1, 4, 9}, VisBox{1, 3, 9, 3}}) {
        ellipseRows(box, 2, rows);
        EXPECT_TRUE(rows.empty());
    }
}

} // namespace
