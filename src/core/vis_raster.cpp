// Purpose: how the visualization's ellipses fall on pixels: per row, the pen's pixels and the black inside.
#include "core/vis_raster.h"

#include <algorithm>
#include <cmath>

namespace orvu {

namespace {

// floor and ceil to int for values well inside int's range: without SSE4.1 std::floor and std::ceil
// are library calls, which cost more than the rest of a row.
int floorToInt(double x) {
    const int i = static_cast<int>(x);
    return i - (x < i ? 1 : 0);
}
int ceilToInt(double x) {
    const int i = static_cast<int>(x);
    return i + (x > i ? 1 : 0);
}

// The pixel columns whose centres lie inside the ellipse of centre (cx, cy) and radii (rx, ry) on the row
// of pixels y, as [left, right]; left > right when none do.
std::pair<int, int> rowSpan(double cx, double cy, double rx, double ry, int y) {
    if (rx <= 0 || ry <= 0)
        return {1, 0};
    const double dy = (y + 0.5 - cy) / ry;
    if (dy * dy > 1)
        return {1, 0};
    const double half = rx * std::sqrt(1 - dy * dy);
    // Centres x + 0.5 in [cx - half, cx + half].
    return {ceilToInt(cx - half - 0.5), floorToInt(cx + half - 0.5)};
}

} // namespace

void ellipseRows(const VisBox& box, int penWidth, std::vector<VisEllipseRow>& rows, int firstRow,
                 int lastRow) {
    rows.clear();
    const int x1 = std::min(box.x1, box.x2), x2 = std::max(box.x1, box.x2);
    const int y1 = std::min(box.y1, box.y2), y2 = std::max(box.y1, box.y2);
    if (x1 == x2 || y1 == y2)
        return;
    const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0, rx = (x2 - x1) / 2.0, ry = (y2 - y1) / 2.0;

    if (penWidth <= 1) {
        // The inside of a row is what lies inside on the rows above and below too, less the row's ends.
        const int top = std::max(y1, firstRow), bottom = std::min(y2 - 1, lastRow);
        std::pair<int, int> above = rowSpan(cx, cy, rx, ry, top - 1), here = rowSpan(cx, cy, rx, ry, top);
        for (int y = top; y <= bottom; ++y) {
            const std::pair<int, int> below = rowSpan(cx, cy, rx, ry, y + 1);
            if (here.first <= here.second) {
                const int inLeft = std::max({here.first + 1, above.first, below.first});
                const int inRight = std::min({here.second - 1, above.second, below.second});
                rows.push_back({y, here.first, here.second, inLeft, inRight});
            }
            above = here;
            here = below;
        }
        return;
    }

    const double grow = penWidth / 2.0;
    const int top = std::max(floorToInt(cy - ry - grow), firstRow);
    const int bottom = std::min(ceilToInt(cy + ry + grow), lastRow);
    for (int y = top; y <= bottom; ++y) {
        const auto [left, right] = rowSpan(cx, cy, rx + grow, ry + grow, y);
        if (left > right)
            continue;
        const auto [inLeft, inRight] = rowSpan(cx, cy, rx - grow, ry - grow, y);
        rows.push_back({y, left, right, inLeft, inRight});
    }
}

} // namespace orvu
