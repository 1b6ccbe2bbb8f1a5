// Purpose: how the visualization's ellipses fall on pixels: per row, the pen's pixels and the black inside.
#pragma once

#include "core/vis_geometry.h"

#include <climits>
#include <vector>

namespace orvu {

// One pixel row of an ellipse: the pixels left .. right (inclusive) belong to it; of them, inLeft ..
// inRight are its black inside (none when inLeft > inRight) and the rest is the pen's outline.
struct VisEllipseRow {
    int y = 0;
    int left = 0, right = -1;
    int inLeft = 0, inRight = -1;
    friend bool operator==(const VisEllipseRow&, const VisEllipseRow&) = default;
};

// The rows of the ellipse in a box (corners in either order, the right and bottom edges outside) drawn
// with a pen of the given width, top to bottom, into rows (which is cleared first).
// A pixel belongs to an ellipse when its centre lies inside it. With a pen of 0 or 1 the ellipse is the
// box's own, and its outline is every pixel of it that has a neighbour (left, right, above, below) outside
// it: a closed one-pixel line that touches the box's four edges. A wider pen w is centred on that
// ellipse: the outline is the ellipse grown by w / 2 less the ellipse shrunk by w / 2, which is the inside.
// A flat box (no width or no height) has no rows. Only the rows firstRow .. lastRow are given.
void ellipseRows(const VisBox& box, int penWidth, std::vector<VisEllipseRow>& rows, int firstRow = INT_MIN,
                 int lastRow = INT_MAX);

} // namespace orvu
