// Purpose: which pixels of the visualization's picture may need work: spans of columns per band of rows.
#include "core/vis_spans.h"

#include <algorithm>
#include <climits>

namespace orvu {

void VisBandSpans::reset(int rows, int bandHeight, int spanLimit) {
    rows_ = std::max(rows, 0);
    bandHeight_ = std::max(bandHeight, 1);
    spanLimit_ = std::clamp(spanLimit, 1, maxSpans);
    bands_.assign(static_cast<std::size_t>((rows_ + bandHeight_ - 1) / bandHeight_), Band{});
    firstBand_ = 0;
    lastBand_ = -1;
}

void VisBandSpans::clear() {
    for (int b = firstBand_; b <= lastBand_; ++b)
        bands_[static_cast<std::size_t>(b)] = Band{};
    firstBand_ = 0;
    lastBand_ = -1;
}

void VisBandSpans::addTo(Band& band, Span span) const {
    auto at = [&band](int i) -> Span& { return band.spans[static_cast<std::size_t>(i)]; };
    // The first span that reaches the new one or lies after it.
    int i = 0;
    while (i < band.count && at(i).right < span.left - 1)
        ++i;
    if (i < band.count && at(i).left <= span.right + 1) {
        // It touches span i: i grows, and takes in the spans after it that it now reaches.
        Span& joined = at(i);
        if (joined.left <= span.left && joined.right >= span.right)
            return; // drawn over again: the common case
        joined.left = std::min(joined.left, span.left);
        joined.right = std::max(joined.right, span.right);
        int next = i + 1;
        while (next < band.count && at(next).left <= joined.right + 1)
            joined.right = std::max(joined.right, at(next++).right);
        std::copy(band.spans.begin() + next, band.spans.begin() + band.count, band.spans.begin() + i + 1);
        band.count -= next - i - 1;
        return;
    }
    if (band.count < spanLimit_) {
        std::copy_backward(band.spans.begin() + i, band.spans.begin() + band.count,
                           band.spans.begin() + band.count + 1);
        at(i) = span;
        ++band.count;
        return;
    }
    // One span too many: of the band's spans and the new one, the two with the narrowest gap become one.
    std::array<Span, maxSpans + 1> all;
    const int count = band.count + 1;
    std::copy(band.spans.begin(), band.spans.begin() + i, all.begin());
    all[static_cast<std::size_t>(i)] = span;
    std::copy(band.spans.begin() + i, band.spans.begin() + band.count, all.begin() + i + 1);
    int closest = 0, gap = INT_MAX;
    for (int k = 0; k + 1 < count; ++k) {
        const int between =
            all[static_cast<std::size_t>(k + 1)].left - all[static_cast<std::size_t>(k)].right;
        if (between < gap) {
            gap = between;
            closest = k;
        }
    }
    all[static_cast<std::size_t>(closest)].right = all[static_cast<std::size_t>(closest + 1)].right;
    std::copy(all.begin(), all.begin() + closest + 1, band.spans.begin());
    std::copy(all.begin() + closest + 2, all.begin() + count, band.spans.begin() + closest + 1);
}

void VisBandSpans::add(int top, int bottom, int left, int right) {
    top = std::max(top, 0);
    bottom = std::min(bottom, rows_ - 1);
    if (top > bottom || left > right)
        return;
    for (int b = top / bandHeight_; b <= bottom / bandHeight_; ++b) {
        Band& band = bands_[static_cast<std::size_t>(b)];
        addTo(band, {left, right});
        const int from = std::max(top, b * bandHeight_), to = std::min(bottom, (b + 1) * bandHeight_ - 1);
        if (band.top > band.bottom) {
            band.top = from;
            band.bottom = to;
        } else {
            band.top = std::min(band.top, from);
            band.bottom = std::max(band.bottom, to);
        }
        if (empty()) {
            firstBand_ = lastBand_ = b;
        } else {
            firstBand_ = std::min(firstBand_, b);
            lastBand_ = std::max(lastBand_, b);
        }
    }
}

std::span<const VisBandSpans::Span> VisBandSpans::spansAt(int y) const {
    if (y < 0 || y >= rows_)
        return {};
    const Band& band = bands_[static_cast<std::size_t>(y / bandHeight_)];
    if (y < band.top || y > band.bottom)
        return {};
    return {band.spans.data(), static_cast<std::size_t>(band.count)};
}

std::vector<QRect> VisBandSpans::rects() const {
    std::vector<QRect> rects;
    for (int b = firstBand_; b <= lastBand_; ++b) {
        const Band& band = bands_[static_cast<std::size_t>(b)];
        for (int i = 0; i < band.count; ++i) {
            const Span& span = band.spans[static_cast<std::size_t>(i)];
            rects.emplace_back(QPoint(span.left, band.top), QPoint(span.right, band.bottom));
        }
    }
    return rects;
}

} // namespace orvu
