// Purpose: a surface that leaves out the shapes of a frame that are as they were in the frame before
// shows, after every tick, the same picture as one that draws every shape.
#include "visualization/visualization_window.h"

#include <QColor>

#include <gtest/gtest.h>

#include <random>

using namespace orvu;

namespace {

// Levels that move as a meter's do: most ticks keep the levels of the tick before, some change one
// level, some all four, and sometimes L0 passes 50 so that the Dopler edges move.
class MeterLevels {
public:
    VisLevels next() {
        const int pick = std::uniform_int_distribution(0, 9)(random_);
        if (pick >= 6)
            levels_[static_cast<std::size_t>(pick - 6)] = level();
        else if (pick == 5)
            for (int& value : levels_)
                value = level();
        return levels_;
    }

private:
    int level() { return std::uniform_int_distribution(0, 100)(random_); }
    std::mt19937 random_{20261210};
    VisLevels levels_{};
};

// Draws one tick of the mode into the surface, as the draw timer does.
struct ModeDrawer {
    explicit ModeDrawer(int drawnMode)
        : mode(drawnMode) {}

    void tick(VisSurface& surface, const VisLevels& levels, bool inFrames) {
        const QSize size = surface.size();
        if (inFrames)
            surface.beginFrame();
        switch (mode) {
        case 0: {
            const ElipseFrame frame = elipseFrame(levels, size);
            surface.setPenWidth(frame.penWidth);
            surface.ellipse(frame.box);
            break;
        }
        case 1: {
            const SpectrumFrame frame = spectrumFrame(levels, size);
            for (const VisBox& bar : frame.bars)
                surface.rectangle(bar);
            surface.setPenWidth(frame.penWidthAfter);
            break;
        }
        case 2: {
            // Lines with shapes before and after them in the same frame.
            const ElipseFrame ring = elipseFrame(levels, size);
            surface.ellipse(ring.box);
            surface.polylineTo(sparcFrame(levels, size, sparcY).points);
            surface.rectangle(spectrumFrame(levels, size).bars[4]);
            break;
        }
        default: {
            const DoplerFrame frame = doplerFrame(levels, size, dopler);
            for (const VisBox& box : frame.hanging)
                surface.ellipse(box);
            for (const VisBox& box : frame.standing)
                surface.ellipse(box);
            surface.setPenWidth(frame.penWidthAfter);
            break;
        }
        }
        if (inFrames)
            surface.endFrame();
    }

    int mode;
    int sparcY = 0;
    DoplerEdges dopler;
};

} // namespace

TEST(VisSurfaceFrames, LeavingOutRepeatedShapesDrawsTheSamePicture) {
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode);
        VisSurface framed, plain;
        for (VisSurface* surface : {&framed, &plain})
            surface->resize(301, 203); // odd sizes: halves round to even
        ModeDrawer framedDrawer(mode), plainDrawer(mode);
        MeterLevels meter;
        for (int tick = 0; tick < 600; ++tick) {
            const VisLevels levels = meter.next();
            framedDrawer.tick(framed, levels, true);
            plainDrawer.tick(plain, levels, false);
            if (tick % 5 == 4) { // the colour tick: a new pen and a wipe
                const QColor pen(55 + 2 * levels[0], (tick * 7) % 200, 5 + 2 * levels[2]);
                for (VisSurface* surface : {&framed, &plain}) {
                    surface->setPenColour(pen);
                    surface->wipe();
                }
            }
            if (tick == 300) // a resize starts the picture afresh
                for (VisSurface* surface : {&framed, &plain})
                    surface->resize(240, 180);
            ASSERT_EQ(framed.picture(), plain.picture()) << "tick " << tick;
        }
    }
}

// A shape as it was in the frame before is drawn again when a shape that covered part of it there has
// moved away: the uncovered part must show it again.
TEST(VisSurfaceFrames, AShapeUncoveredByAMovedShapeIsDrawnAgain) {
    VisSurface framed, plain;
    const VisBox ring{10, 10, 90, 70}, over{40, 30, 120, 50}, away{100, 80, 130, 95};
    for (VisSurface* surface : {&framed, &plain}) {
        surface->resize(140, 100);
        surface->setPenColour(Qt::white);
    }
    for (const VisBox& second : {over, away}) {
        framed.beginFrame();
        framed.ellipse(ring);
        framed.rectangle(second);
        framed.endFrame();
        plain.ellipse(ring);
        plain.rectangle(second);
        EXPECT_EQ(framed.picture(), plain.picture());
    }
}
