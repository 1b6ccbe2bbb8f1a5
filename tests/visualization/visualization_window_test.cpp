// Purpose: the visualization window through its menus, timers and surface: each mode's frame pixel by
// pixel, the pen's rules across ticks, the Random cycle, Frame Rate, showing and closing, resizing, and a
// restart that restores mode, visibility, size and position.
#include "core/settings_file.h"
#include "skin/title_bar.h"
#include "support/player_fixture.h"
#include "support/temp_dir.h"
#include "visualization/visualization_window.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace orvu;
using namespace Qt::StringLiterals;

namespace {

const QRgb black = qRgb(0, 0, 0);

// A visualization window on its own, fed by levels the test sets, shown with its timers stopped: the
// test ticks them by calling their handlers.
struct VisWindow {
    explicit VisWindow(const QString& mode = u"eli"_s, bool shown = true) {
        state.VisMode = mode;
        window = std::make_unique<TForm3>(state, [this] { return levels; });
        window->resize(208, 182); // the surface: 200 x 150
        if (shown) {
            window->show();
            window->tmr1->stop();
            window->tmr2->stop();
        }
    }
    QRgb pen() const { return window->pb1->penColour().rgb(); }
    const QImage& picture() const { return window->pb1->picture(); }

    PlayerState state;
    VisLevels levels{};
    std::unique_ptr<TForm3> window;
};

// The pixels of the picture that are not black.
QList<QPoint> lit(const QImage& picture) {
    QList<QPoint> points;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != black)
                points.append({x, y});
    return points;
}

QRect boundsOf(const QList<QPoint>& points) {
    QRect bounds;
    for (const QPoint& p : points)
        bounds |= QRect(p, p);
    return bounds;
}

// How far a pixel's centre lies from the centre of the ellipse of a box, relative to its radii: 1 on the
// ellipse. The box spans the pixel columns x1 .. x2 - 1 and rows y1 .. y2 - 1.
double ellipseRadius(const VisBox& box, QPoint p) {
    const double cx = (box.x1 + box.x2) / 2.0, cy = (box.y1 + box.y2) / 2.0;
    const double a = std::abs(box.x2 - box.x1) / 2.0, b = std::abs(box.y2 - box.y1) / 2.0;
    return std::hypot((p.x() + 0.5 - cx) / a, (p.y() + 0.5 - cy) / b);
}

// A one-pixel ellipse outline of the box: every pixel it lights lies on the ellipse, in the pen colour,
// with black inside and outside; each row and column of the box holds some of it, and it reaches
// exactly the box's edges.
void expectEllipseOutline(const QImage& picture, const VisBox& box, QRgb pen) {
    const QRect area(QPoint(std::min(box.x1, box.x2), std::min(box.y1, box.y2)),
                     QPoint(std::max(box.x1, box.x2) - 1, std::max(box.y1, box.y2) - 1));
    const double slack = 3.0 / std::min(area.width(), area.height());
    QList<QPoint> outline;
    for (int y = area.top() - 2; y <= area.bottom() + 2; ++y)
        for (int x = area.left() - 2; x <= area.right() + 2; ++x)
            if (picture.valid(x, y) && picture.pixel(x, y) != black) {
                outline.append({x, y});
                EXPECT_EQ(picture.pixel(x, y), pen) << x << "," << y;
                EXPECT_NEAR(ellipseRadius(box, {x, y}), 1.0, slack) << x << "," << y;
            }
    EXPECT_EQ(boundsOf(outline), area & picture.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        EXPECT_TRUE(std::any_of(outline.begin(), outline.end(), [y](QPoint p) { return p.y() == y; })) << y;
    for (int x = area.left(); x <= area.right(); ++x)
        EXPECT_TRUE(std::any_of(outline.begin(), outline.end(), [x](QPoint p) { return p.x() == x; })) << x;
}

// Every frame's shape lands where its geometry puts it: the picture of one draw tick, pixel by pixel.
TEST(VisWindowFrames, EachModeDrawsItsShapes) {
    // Elipse at rest with L3 below 10: a one-pixel outline of the box (80, 60, 120, 90), nothing else.
    {
        VisWindow vis(u"eli"_s);
        vis.window->tmr2Timer(); // the first colour: red 55, green 0, blue 5
        ASSERT_EQ(vis.pen(), qRgb(55, 0, 5));
        vis.levels = {0, 30, 60, 9};
        vis.window->tmr1Timer();
        const VisBox box{80, 60, 120, 90};
        ASSERT_EQ(elipseFrame(vis.levels, {200, 150}).box, box);
        expectEllipseOutline(vis.picture(), box, vis.pen());
        EXPECT_EQ(boundsOf(lit(vis.picture())), QRect(QPoint(80, 60), QPoint(119, 89)));
        // A larger ellipse drawn over it before a wipe fills black what the first one drew inside it.
        vis.levels = {10, 0, 0, 0};
        vis.window->tmr1Timer();
        const VisBox larger{60, 40, 140, 110};
        expectEllipseOutline(vis.picture(), larger, vis.pen());
        EXPECT_EQ(boundsOf(lit(vis.picture())), QRect(QPoint(60, 40), QPoint(139, 109)));
    }
    // Spectrum: nine one-pixel bars of 5 * L0, 6 * L1, 6 * L2, 6 * L3 at tenths of 150, and nothing else;
    // the pen width that L0 = 30 sets (2) comes after them.
    {
        VisWindow vis(u"spe"_s);
        vis.window->tmr2Timer();
        vis.levels = {30, 10, 5, 3};
        vis.window->tmr1Timer();
        QImage expected(200, 150, QImage::Format_RGB32);
        expected.fill(black);
        const int ys[] = {15, 30, 45, 60, 75, 90, 105, 120, 135};
        const int lengths[] = {150, 150, 60, 60, 30, 30, 18, 18, 18};
        for (int i = 0; i < 9; ++i)
            for (int x = 0; x < lengths[i]; ++x)
                expected.setPixel(x, ys[i], vis.pen());
        EXPECT_EQ(vis.picture(), expected);
        EXPECT_EQ(vis.window->pb1->penWidth(), 2);
    }
    // Sparc: from the surface's first current point (0, 0) through twelve points from y = L0 + L3.
    {
        VisWindow vis(u"spa"_s);
        vis.window->tmr2Timer();
        vis.levels = {5, 10, 2, 1};
        vis.window->tmr1Timer();
        const SparcFrame frame = [&] {
            int y = 0;
            return sparcFrame(vis.levels, {200, 150}, y);
        }();
        EXPECT_EQ(frame.points[0], QPoint(60, 6));
        EXPECT_EQ(vis.picture().pixel(0, 0), vis.pen());
        EXPECT_EQ(vis.picture().pixel(30, 3), vis.pen()); // halfway along the first segment
        for (const QPoint& point : frame.points)
            EXPECT_EQ(vis.picture().pixel(point), vis.pen()) << point.x() << "," << point.y();
        EXPECT_EQ(vis.window->pb1->currentPoint(), frame.points[11]);
        EXPECT_EQ(boundsOf(lit(vis.picture())), QRect(QPoint(0, 0), QPoint(100, 17)));
        EXPECT_EQ(vis.window->pb1->penWidth(), 1);
    }
    // Dopler with the edges still: four ellipses from the top down to H - 6 * Lk, in their columns.
    {
        VisWindow vis(u"dop"_s);
        vis.window->tmr2Timer();
        vis.levels = {10, 5, 20, 0};
        vis.window->tmr1Timer();
        const VisBox boxes[] = {{30, 0, 50, 90}, {70, 0, 90, 120}, {110, 0, 130, 30}, {150, 0, 170, 150}};
        int total = 0;
        for (const VisBox& box : boxes) {
            expectEllipseOutline(vis.picture(), box, vis.pen());
            total += static_cast<int>(lit(vis.picture().copy(box.x1, 0, box.x2 - box.x1, 150)).size());
        }
        EXPECT_EQ(total, lit(vis.picture()).size()); // nothing outside the four columns
    }
}

// The pen rules across ticks: Spectrum's width R(L0 / 20) shapes the next tick's bars (a band across the
// bar, two rows above and two below for width 5), Elipse's width R(L3 / 20) its own ellipse, and the
// colour tick wipes everything and sets the colour from the levels of the last draw tick.
TEST(VisWindowFrames, PenWidthColourAndWipe) {
    VisWindow vis(u"spe"_s);
    vis.levels = {100, 0, 0, 0};
    vis.window->tmr1Timer(); // bars of width 1, then the pen becomes 5
    vis.levels = {};         // the colour tick takes the levels the draw tick read, not these
    vis.window->tmr2Timer();
    EXPECT_EQ(vis.pen(), qRgb(255, 0, 5));
    EXPECT_TRUE(lit(vis.picture()).isEmpty());
    vis.levels = {100, 0, 0, 0};
    vis.window->tmr1Timer();
    // The two bars of L0, 500 long at y = 15 and 30, as bands of five rows up to x = 501, clipped to the
    // surface; the empty bars of L1..L3 = 0 draw nothing.
    EXPECT_EQ(boundsOf(lit(vis.picture().copy(0, 0, 200, 25))), QRect(0, 13, 200, 5));
    EXPECT_EQ(lit(vis.picture().copy(0, 25, 200, 10)).size(), 200 * 5);
    EXPECT_TRUE(lit(vis.picture().copy(0, 35, 200, 115)).isEmpty());

    VisWindow wide(u"eli"_s);
    wide.window->tmr2Timer();
    wide.levels = {0, 0, 0, 100}; // pen 5
    wide.window->tmr1Timer();
    const QRect bounds = boundsOf(lit(wide.picture()));
    EXPECT_LE(bounds.left(), 78); // the outline straddles the box (80, 60, 120, 90) by about 2
    EXPECT_GE(bounds.left(), 77);
    EXPECT_GE(bounds.right(), 120);
    EXPECT_LE(bounds.right(), 122);
    EXPECT_EQ(wide.picture().pixel(100, 75), black); // filled black inside
}

// The picture as rows of text: '#' for a pixel in the pen's colour, '.' for black.
std::vector<std::string> rowsOf(const QImage& picture, QRgb pen) {
    std::vector<std::string> rows;
    for (int y = 0; y < picture.height(); ++y) {
        std::string row;
        for (int x = 0; x < picture.width(); ++x)
            row += picture.pixel(x, y) == pen ? '#' : picture.pixel(x, y) == black ? '.' : '?';
        rows.push_back(row);
    }
    return rows;
}

// A line lights the pixels of the straight path between its ends, both included, and leaves the current
// point at its end; a wider pen makes it a band as many pixels across.
TEST(VisSurfaceLines, LinesFromTheCurrentPoint) {
    VisSurface surface;
    surface.resize(8, 4);
    surface.setPenColour(Qt::white);
    const QRgb pen = qRgb(255, 255, 255);
    surface.polylineTo(std::array{QPoint(6, 2)});
    EXPECT_EQ(rowsOf(surface.picture(), pen),
              (std::vector<std::string>{"##......", "..###...", ".....##.", "........"}));
    EXPECT_EQ(surface.currentPoint(), QPoint(6, 2));
    surface.wipe();
    surface.setPenWidth(3);
    surface.polylineTo(std::array{QPoint(2, 2)}); // back along row 2, from (6, 2)
    EXPECT_EQ(rowsOf(surface.picture(), pen),
              (std::vector<std::string>{"........", ".#######", ".#######", ".#######"}));
}

// Opens pm1 with a right-click on the surface, as the user does; true when it showed. The click goes
// through the window system, which turns a right-click into a context menu request.
bool openMenuOnSurface(TForm3& w) {
    QTest::mouseClick(w.windowHandle(), Qt::RightButton, {}, w.pb1->mapTo(&w, QPoint(50, 60)));
    return w.pm1->isVisible();
}

// Clicks an item of an open menu.
void clickItem(QMenu* menu, QAction* item) {
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

// The surface keeps its current point across wipes, mode changes, hiding and resizing: the next Sparc
// frame starts where the last one ended.
TEST(VisWindowFrames, SparcContinuesFromTheLastPoint) {
    VisWindow vis(u"spa"_s);
    TForm3& w = *vis.window;
    w.tmr2Timer();
    vis.levels = {10, 20, 0, 0};
    w.tmr1Timer();
    const QPoint end = w.pb1->currentPoint();
    EXPECT_EQ(end, QPoint(20, 21)); // the twelfth point: x0 + 8 * L3, SparcY + 11
    ASSERT_TRUE(openMenuOnSurface(w));
    clickItem(w.pm1, w.Elipse1);
    w.tmr1Timer();
    w.tmr2Timer();
    w.resize(228, 194); // the surface: 220 x 162
    w.hide();
    w.show();
    w.tmr1->stop();
    w.tmr2->stop();
    EXPECT_TRUE(lit(vis.picture()).isEmpty());
    EXPECT_EQ(w.pb1->currentPoint(), end);
    ASSERT_TRUE(openMenuOnSurface(w));
    clickItem(w.pm1, w.Sparc1);
    w.tmr1Timer();
    EXPECT_EQ(vis.picture().pixel(end), vis.pen());
    EXPECT_EQ(w.pb1->currentPoint(), QPoint(22, 31)); // SparcY 10 + 10 + 0 = 20, then + 11; x0 = 22
}

// Creation takes the mode from VisMode, exactly as written: an empty one is Elipse, an unknown one marks
// nothing and stays as it is; Random marks only itself.
TEST(VisWindowModes, CreationTakesTheStoredMode) {
    struct Case {
        QString stored, kept;
        std::array<bool, 5> marks; // Elipse, Spectrum, Sparc, Dopler, Random
    };
    const Case cases[] = {
        {u""_s, u"eli"_s, {true, false, false, false, false}},
        {u"spe"_s, u"spe"_s, {false, true, false, false, false}},
        {u"dop"_s, u"dop"_s, {false, false, false, true, false}},
        {u"ran"_s, u"ran"_s, {false, false, false, false, true}},
        {u"Spa"_s, u"Spa"_s, {false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        VisWindow vis(c.stored);
        const TForm3& w = *vis.window;
        const std::array<bool, 5> marks{w.Elipse1->isChecked(), w.Spectrum1->isChecked(),
                                        w.Sparc1->isChecked(), w.Dopler1->isChecked(),
                                        w.Random1->isChecked()};
        EXPECT_EQ(marks, c.marks) << c.stored.toStdString();
        EXPECT_EQ(vis.state.VisMode, c.kept);
        EXPECT_EQ(w.VisModeCopy, c.kept);
    }
}

// The mode menu opens from a right-click on the surface, in its order; choosing a drawing mode marks it
// alone and stores its code; Random clears the four and marks itself, and a mode chosen after it clears
// Random again.
TEST(VisWindowModes, ModeMenuFromARightClick) {
    VisWindow vis(u"eli"_s);
    TForm3& w = *vis.window;
    ASSERT_TRUE(openMenuOnSurface(w));
    QStringList captions;
    for (QAction* item : w.pm1->actions())
        captions.append(item->isSeparator() ? u"-"_s : item->text());
    EXPECT_EQ(captions, (QStringList{u"Elipse"_s, u"Spectrum"_s, u"Sparc"_s, u"Dopler"_s, u"-"_s, u"Random"_s,
                                     u"-"_s, u"Frame Rate"_s}));
    EXPECT_EQ(w.pm1->actions().last()->menu(), w.RefreshRate1);

    const struct {
        QAction* TForm3::*item;
        QString code;
        std::array<bool, 5> marks;
    } choices[] = {
        {&TForm3::Sparc1, u"spa"_s, {false, false, true, false, false}},
        {&TForm3::Random1, u"ran"_s, {false, false, false, false, true}},
        {&TForm3::Spectrum1, u"spe"_s, {false, true, false, false, false}},
        {&TForm3::Spectrum1, u"spe"_s, {false, true, false, false, false}}, // chosen again: still marked
        {&TForm3::Dopler1, u"dop"_s, {false, false, false, true, false}},
    };
    for (const auto& choice : choices) {
        if (!w.pm1->isVisible()) {
            ASSERT_TRUE(openMenuOnSurface(w));
        }
        clickItem(w.pm1, w.*choice.item);
        EXPECT_FALSE(w.pm1->isVisible());
        const std::array<bool, 5> marks{w.Elipse1->isChecked(), w.Spectrum1->isChecked(),
                                        w.Sparc1->isChecked(), w.Dopler1->isChecked(),
                                        w.Random1->isChecked()};
        EXPECT_EQ(marks, choice.marks) << choice.code.toStdString();
        EXPECT_EQ(vis.state.VisMode, choice.code);
    }
}

// The title bar's menu button "Visualization" (114 x 23, hint "Visualization Menu") drops pm1 down
// when clicked.
TEST(VisWindowModes, MenuButtonDropsTheModeMenu) {
    VisWindow vis;
    TForm3& w = *vis.window;
    EXPECT_EQ(w.menuButton->text(), u"Visualization"_s);
    EXPECT_EQ(w.menuButton->toolTip(), u"Visualization Menu"_s);
    EXPECT_EQ(w.menuButton->size(), QSize(114, 23));
    EXPECT_EQ(w.menuButton->parentWidget(), w.frame->titleBar());
    QTest::mouseClick(w.menuButton, Qt::LeftButton);
    EXPECT_EQ(QApplication::activePopupWidget(), w.pm1);
    w.pm1->close();
}

// Random, chosen from the menu, draws nothing on its first tick and marks Elipse for the next; the
// cycle leaves VisMode at "ran" and a counter that the menu does not reset.
TEST(VisWindowModes, RandomPicksElipseOnItsFirstTick) {
    VisWindow vis(u"spe"_s);
    TForm3& w = *vis.window;
    ASSERT_TRUE(openMenuOnSurface(w));
    clickItem(w.pm1, w.Random1);
    w.tmr2Timer();
    vis.levels = {10, 10, 10, 10};
    w.tmr1Timer();
    EXPECT_TRUE(lit(vis.picture()).isEmpty());
    EXPECT_TRUE(w.Elipse1->isChecked());
    EXPECT_TRUE(w.Random1->isChecked());
    w.tmr1Timer();
    EXPECT_FALSE(lit(vis.picture()).isEmpty());
    for (int tick = 2; tick < 251; ++tick)
        w.tmr1Timer();
    EXPECT_TRUE(w.Spectrum1->isChecked());
    EXPECT_FALSE(w.Elipse1->isChecked());
    EXPECT_EQ(w.RandomTick, 500);
    EXPECT_EQ(vis.state.VisMode, u"ran"_s);
    ASSERT_TRUE(openMenuOnSurface(w));
    clickItem(w.pm1, w.Random1);
    EXPECT_EQ(w.RandomTick, 500);
    EXPECT_FALSE(w.Spectrum1->isChecked());
}

// Frame Rate sets the colour timer's interval, checks nothing and stores nothing; "1x" is the bold default.
TEST(VisWindowModes, FrameRateSetsTheWipeInterval) {
    VisWindow vis;
    TForm3& w = *vis.window;
    EXPECT_EQ(w.tmr2->interval(), 50);
    QStringList captions;
    for (QAction* item : w.RefreshRate1->actions())
        captions.append(item->isSeparator() ? u"-"_s : item->text());
    EXPECT_EQ(captions, (QStringList{u"0.25x"_s, u"0.5x"_s, u"-"_s, u"1x"_s, u"-"_s, u"2x"_s, u"3x"_s}));
    EXPECT_TRUE(w.N1x1->font().bold());
    const std::pair<QAction * TForm3::*, int> rates[] = {{&TForm3::N075x1, 14},
                                                         {&TForm3::N05x1, 25},
                                                         {&TForm3::N2x1, 100},
                                                         {&TForm3::N3x1, 150},
                                                         {&TForm3::N1x1, 50}};
    for (const auto& [item, interval] : rates) {
        ASSERT_TRUE(openMenuOnSurface(w));
        clickItem(w.pm1, w.RefreshRate1->menuAction()); // the submenu opens a moment later
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.RefreshRate1->isVisible(); }, 2000));
        clickItem(w.RefreshRate1, w.*item);
        EXPECT_EQ(w.tmr2->interval(), interval);
        EXPECT_FALSE((w.*item)->isCheckable());
        EXPECT_FALSE((w.*item)->font().bold() && interval != 50);
    }
    EXPECT_EQ(vis.state.VisMode, u"eli"_s);
}

// Both timers run only while the window shows; closing it stops them and clears the vis1 mark, hiding
// it with its state kept; the draw timer ticks at the window-timer pace.
TEST(VisWindowShow, TimersRunWhileShownAndCloseClearsTheMark) {
    VisWindow vis(u"eli"_s, false);
    TForm3& w = *vis.window;
    EXPECT_FALSE(w.tmr1->isActive() || w.tmr2->isActive());
    EXPECT_EQ(w.tmr1->interval(), 10);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.windowTitle(), u"Visualization"_s);
    vis.state.vis1Checked = true;
    w.show();
    EXPECT_TRUE(w.tmr1->isActive() && w.tmr2->isActive());
    vis.levels = {40, 0, 0, 0};
    w.tmr1Timer();
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.tmr1->isActive() || w.tmr2->isActive());
    EXPECT_FALSE(vis.state.vis1Checked);
    EXPECT_EQ(w.levels, (VisLevels{40, 0, 0, 0}));
    w.show();
    EXPECT_TRUE(w.tmr1->isActive() && w.tmr2->isActive());
    EXPECT_FALSE(vis.state.vis1Checked); // only the main window's menu sets the mark
}

// The window's size is its outer size, the design's client area in the skin's frame; the surface is the
// outer window less 8 across and 32 down, below the title bar: an outer 400 x 300 gives 392 x 268.
TEST(VisWindowShow, ResizeSizesTheSurface) {
    PlayerState state;
    TForm3 w(state, {});
    EXPECT_EQ(w.size(), QSize(677 + 8, 462 + 34));
    EXPECT_EQ(w.pb1->mapTo(&w, QPoint()), QPoint(4, 30));
    w.show();
    EXPECT_EQ(w.pb1->geometry(), QRect(0, 0, 677, 464));
    w.resize(400, 300);
    EXPECT_EQ(w.pb1->geometry(), QRect(0, 0, 392, 268));
    EXPECT_EQ(w.pb1->picture().size(), QSize(392, 268));
}

// Builds and shows the player as the application does, with a real visualization window after the
// creation step.
TForm3& startPlayer(test::PlayerFixture& player) {
    TForm1& main = player.build();
    EXPECT_TRUE(main.FormCreate());
    auto vis = std::make_unique<TForm3>(main.state, [] { return VisLevels{}; });
    TForm3& form3 = *vis;
    main.setVisualizationWindow(vis.get());
    player.visualization = std::move(vis);
    main.show();
    return form3;
}

// Mode, visibility, size and position survive a restart; a window the user closed stays closed.
TEST(VisWindowRestart, ModeVisibilitySizeAndPositionSurvive) {
    test::PlayerFixture player;
    test::writeBytes(player.appFile(u"ORVU.ini"_s), "[Visualization]\r\nName=spa\r\nShow=1\r\n[VisWindow]\r\n"
                                                    "Left=120\r\nTop=90\r\nWidth=500\r\nHeight=400\r\n");
    {
        TForm3& w = startPlayer(player);
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.Sparc1->isChecked());
        EXPECT_EQ(w.size(), QSize(500, 400));
        EXPECT_EQ(w.pos(), QPoint(120, 90));
        ASSERT_TRUE(openMenuOnSurface(w));
        clickItem(w.pm1, w.Dopler1);
        w.resize(640, 360);
        w.move(30, 40);
        player.close();
    }
    {
        TForm3& w = startPlayer(player);
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.Dopler1->isChecked());
        EXPECT_FALSE(w.Sparc1->isChecked());
        EXPECT_EQ(w.size(), QSize(640, 360));
        EXPECT_EQ(w.pos(), QPoint(30, 40));
        EXPECT_TRUE(w.close());
        player.close();
    }
    SettingsFile written(player.appFile(u"ORVU.ini"_s));
    EXPECT_EQ(written.readString(u"Visualization"_s, u"Name"_s, {}), u"dop"_s);
    {
        TForm3& w = startPlayer(player);
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(w.Dopler1->isChecked());
        player.close();
    }
}

} // namespace
