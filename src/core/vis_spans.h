// Purpose: which pixels of the visualization's picture may need work: spans of columns per band of rows.
#pragma once

#include <QRect>

#include <array>
#include <span>
#include <vector>

namespace orvu {

// A set of pixels kept coarsely, so that adding a shape costs a few steps per band of rows rather than
// per pixel row: the rows are grouped in bands, and each band holds a few spans of columns and the rows
// it reaches. The set may hold more than was added, never less: a span holds for every row its band
// reaches, and a band holds at most a given number of spans (one more merges the two that lie closest,
// with the columns between them).
// The visualization keeps what it drew in one (what a wipe must clear, what a shape's black inside
// must cover) and what changed since the screen last showed the picture in another (what a repaint
// must copy).
class VisBandSpans {
public:
    static constexpr int maxSpans = 8;

    struct Span {
        int left = 0, right = -1; // inclusive
        friend bool operator==(const Span&, const Span&) = default;
    };

    // Empties the set for a picture of the given number of rows, grouped in bands of bandHeight, each
    // holding at most spanLimit spans (1 .. maxSpans).
    void reset(int rows, int bandHeight, int spanLimit = maxSpans);
    void clear();
    bool empty() const { return firstBand_ > lastBand_; }
    // Adds the columns left .. right of the rows top .. bottom (rows outside the picture are left out).
    void add(int top, int bottom, int left, int right);
    // The spans that may hold pixels of row y, left to right.
    std::span<const Span> spansAt(int y) const;
    // The set as rectangles: each span of each band over the rows the band reaches. They do not overlap
    // and come top to bottom, left to right, as a region is built from.
    std::vector<QRect> rects() const;

private:
    struct Band {
        std::array<Span, maxSpans> spans{};
        int count = 0;
        int top = 0, bottom = -1; // the rows it reaches
    };
    void addTo(Band& band, Span span) const;

    std::vector<Band> bands_;
    int rows_ = 0;
    int bandHeight_ = 1;
    int spanLimit_ = maxSpans;
    int firstBand_ = 0, lastBand_ = -1;
};

} // namespace orvu
