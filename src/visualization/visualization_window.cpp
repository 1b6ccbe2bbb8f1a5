// Purpose: TForm3, the visualization window: a picture that a fast timer draws from the four level values
// and a slower timer colours and wipes.
#include "visualization/visualization_window.h"

#include "core/timer_pace.h"
#include "shell/main_window.h"
#include "skin/title_bar.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QTimer>

#include <algorithm>
#include <array>
#include <climits>

namespace orvu {

namespace {

// The box with its corners in order, the right and bottom edges still outside; empty when flat.
QRect boxArea(const VisBox& box) {
    return QRect(QPoint(std::min(box.x1, box.x2), std::min(box.y1, box.y2)),
                 QPoint(std::max(box.x1, box.x2) - 1, std::max(box.y1, box.y2) - 1));
}

// The mode menu's items, in menu order; the first four are the radio group that draws.
struct ModeItem {
    const char16_t* caption;
    QAction* TForm3::*item;
    const char16_t* code; // VisMode
};
constexpr std::array<ModeItem, 5> modeItems{{
    {u"Elipse", &TForm3::Elipse1, u"eli"},
    {u"Spectrum", &TForm3::Spectrum1, u"spe"},
    {u"Sparc", &TForm3::Sparc1, u"spa"},
    {u"Dopler", &TForm3::Dopler1, u"dop"},
    {u"Random", &TForm3::Random1, u"ran"},
}};
constexpr int randomRow = 4;

// The Frame Rate submenu: each item sets the colour timer's interval; a row without a caption is a
// separator. Nothing is checked or stored: each start begins at "1x", the default item.
struct FrameRateItem {
    const char16_t* caption;
    QAction* TForm3::*item;
    int interval; // ms
};
constexpr std::array<FrameRateItem, 7> frameRateItems{{
    {u"0.25x", &TForm3::N075x1, 14},
    {u"0.5x", &TForm3::N05x1, 25},
    {nullptr, nullptr, 0},
    {u"1x", &TForm3::N1x1, TForm3::designColourInterval},
    {nullptr, nullptr, 0},
    {u"2x", &TForm3::N2x1, 100},
    {u"3x", &TForm3::N3x1, 150},
}};

} // namespace

VisSurface::VisSurface(QWidget* parent)
    : QWidget(parent) {
    // The picture covers every pixel: nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

namespace {

// The picture's pixels, written directly: shapes are rows of pixels of one colour.
class Pixels {
public:
    explicit Pixels(QImage& picture)
        : bits_(reinterpret_cast<QRgb*>(picture.bits()))
        , stride_(picture.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)))
        , width_(picture.width())
        , height_(picture.height()) {}

    // Clips left .. right of row y to the picture; false when nothing of it lies there.
    bool clip(int y, int& left, int& right) const {
        left = std::max(left, 0);
        right = std::min(right, width_ - 1);
        return y >= 0 && y < height_ && left <= right;
    }
    void fill(int y, int left, int right, QRgb colour) const {
        QRgb* line = bits_ + y * stride_;
        std::fill(line + left, line + right + 1, colour);
    }

private:
    QRgb* bits_;
    qsizetype stride_;
    int width_, height_;
};

constexpr QRgb blackPixel = 0xFF000000;
constexpr int spanBand = 16; // rows per band of the surface's span sets

// Writes one shape's rows, top to bottom, and notes what it drew (lit) and what it changed, once per
// band of rows and apart on each side of the shape's middle: a ring or a column of shapes stays a few
// narrow spans, at a few steps per band.
class ShapeWriter {
public:
    ShapeWriter(QImage& picture, VisBandSpans& lit, VisBandSpans& changed, QRgb pen, int middle)
        : pixels_(picture)
        , lit_(lit)
        , changed_(changed)
        , pen_(pen)
        , middle_(middle) {}
    ShapeWriter(const ShapeWriter&) = delete;
    ShapeWriter& operator=(const ShapeWriter&) = delete;
    ~ShapeWriter() { flush(); }

    // Pixels left .. right of row y in the pen's colour.
    void pen(int y, int left, int right) {
        if (!pixels_.clip(y, left, right))
            return;
        pixels_.fill(y, left, right, pen_);
        note(drawn_, y, left, right);
    }
    // The black inside of a shape over left .. right of row y: only where something was drawn since the
    // last wipe can the picture be other than black.
    void inside(int y, int left, int right) {
        if (!pixels_.clip(y, left, right))
            return;
        for (const VisBandSpans::Span& lit : lit_.spansAt(y)) {
            const int from = std::max(lit.left, left), to = std::min(lit.right, right);
            if (from <= to) {
                pixels_.fill(y, from, to, blackPixel);
                note(blackened_, y, from, to);
            }
        }
    }

private:
    struct Side {
        int left = INT_MAX, right = INT_MIN;
    };

    void note(std::array<Side, 2>& sides, int y, int left, int right) {
        if (y / spanBand != band_) {
            flush();
            band_ = y / spanBand;
            top_ = y;
        }
        bottom_ = std::max(bottom_, y);
        top_ = std::min(top_, y);
        Side& side = sides[(left + right) / 2 > middle_ ? 1 : 0];
        side.left = std::min(side.left, left);
        side.right = std::max(side.right, right);
    }
    void flush() {
        for (Side& side : drawn_) {
            lit_.add(top_, bottom_, side.left, side.right);
            changed_.add(top_, bottom_, side.left, side.right);
            side = {};
        }
        for (Side& side : blackened_) {
            changed_.add(top_, bottom_, side.left, side.right);
            side = {};
        }
        top_ = INT_MAX;
        bottom_ = INT_MIN;
    }

    Pixels pixels_;
    VisBandSpans& lit_;
    VisBandSpans& changed_;
    QRgb pen_;
    int middle_;
    int band_ = -1;
    int top_ = INT_MAX, bottom_ = INT_MIN;
    std::array<Side, 2> drawn_, blackened_;
};

} // namespace

void VisSurface::beginFrame() {
    inFrame_ = true;
    frameHasLines_ = false;
    frame_.clear();
}

void VisSurface::endFrame() {
    inFrame_ = false;
    markRepeated();
    drawPending();
    std::swap(frame_, lastFrame_);
    touchedSinceFrame_ = frameHasLines_;
}

// The pixels a shape may write, with room to spare: its box and the pen's reach beyond it.
static QRect shapeReach(const VisBox& box, int penWidth) {
    const int grow = std::max(penWidth, 1) + 1;
    return QRect(QPoint(std::min(box.x1, box.x2) - grow, std::min(box.y1, box.y2) - grow),
                 QPoint(std::max(box.x1, box.x2) + grow, std::max(box.y1, box.y2) + grow));
}

// Shapes paint over all they reach, so a group of shapes drawn again as they were drawn last leaves
// their pixels as they are. A group is the shapes whose reaches meet, in this frame or the last, with
// the shape in the same place of the other frame: no shape of another group writes where a group's
// shapes reach, in either frame. A group whose shapes are all as they were in the last frame is left out.
void VisSurface::markRepeated() {
    const std::size_t count = frame_.size();
    repeated_.assign(count, 0);
    if (frameHasLines_ || touchedSinceFrame_ || lastFrame_.size() != count)
        return;
    group_.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        group_[i] = i;
    const auto root = [this](std::size_t i) {
        while (group_[i] != i)
            i = group_[i] = group_[group_[i]];
        return i;
    };
    const auto reach = [](const Shape& shape) { return shapeReach(shape.box, shape.penWidth); };
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t j = i + 1; j < count; ++j) {
            const QRect nowI = reach(frame_[i]), lastI = reach(lastFrame_[i]);
            const QRect nowJ = reach(frame_[j]), lastJ = reach(lastFrame_[j]);
            if (nowI.intersects(nowJ) || nowI.intersects(lastJ) || lastI.intersects(nowJ) ||
                lastI.intersects(lastJ))
                group_[root(i)] = root(j);
        }
    groupChanged_.assign(count, 0);
    for (std::size_t i = 0; i < count; ++i)
        if (!(frame_[i] == lastFrame_[i]))
            groupChanged_[root(i)] = 1;
    for (std::size_t i = 0; i < count; ++i)
        repeated_[i] = groupChanged_[root(i)] ? 0 : 1;
}

void VisSurface::ellipse(const VisBox& box) {
    draw({Shape::Kind::ellipse, box, penWidth_, penPixel_});
}

void VisSurface::rectangle(const VisBox& box) {
    draw({Shape::Kind::rectangle, box, penWidth_, penPixel_});
}

void VisSurface::draw(const Shape& shape) {
    if (inFrame_) {
        frame_.push_back(shape);
        return;
    }
    touchedSinceFrame_ = true;
    paint(shape);
}

void VisSurface::paint(const Shape& shape) {
    if (shape.kind == Shape::Kind::ellipse)
        drawEllipse(shape);
    else
        drawRectangle(shape);
}

// Draws the shapes the frame has gathered so far, each in the pen it was given.
void VisSurface::drawPending() {
    for (std::size_t i = 0; i < frame_.size(); ++i)
        if (i >= repeated_.size() || !repeated_[i])
            paint(frame_[i]);
}

void VisSurface::drawEllipse(const Shape& ellipse) {
    // Written row by row: a painter's ellipse with a wide pen costs ten times more.
    const VisBox& box = ellipse.box;
    QImage& picture = canvas();
    ellipseRows(box, ellipse.penWidth, rows_, 0, picture.height() - 1);
    {
        ShapeWriter shape(picture, lit_, changed_, ellipse.pen, (box.x1 + box.x2) / 2);
        for (const VisEllipseRow& row : rows_) {
            if (row.inLeft <= row.inRight) {
                shape.pen(row.y, row.left, row.inLeft - 1);
                shape.inside(row.y, row.inLeft, row.inRight);
                shape.pen(row.y, row.inRight + 1, row.right);
            } else {
                shape.pen(row.y, row.left, row.right);
            }
        }
    }
}

void VisSurface::drawRectangle(const Shape& rectangle) {
    const QRect edges = boxArea(rectangle.box);
    if (edges.isEmpty())
        return;
    // The pen is a band across each edge line: before it (w - 1) / 2 pixels, after it w / 2.
    const int width = std::max(rectangle.penWidth, 1), before = (width - 1) / 2, after = width / 2;
    const QRect outline = edges.adjusted(-before, -before, after, after);
    const QRect inside = edges.adjusted(after + 1, after + 1, -before - 1, -before - 1);
    QImage& picture = canvas();
    {
        ShapeWriter shape(picture, lit_, changed_, rectangle.pen, outline.center().x());
        for (int y = std::max(outline.top(), 0); y <= std::min(outline.bottom(), picture.height() - 1); ++y) {
            if (inside.isValid() && y >= inside.top() && y <= inside.bottom()) {
                shape.pen(y, outline.left(), inside.left() - 1);
                shape.inside(y, inside.left(), inside.right());
                shape.pen(y, inside.right() + 1, outline.right());
            } else {
                shape.pen(y, outline.left(), outline.right());
            }
        }
    }
}

void VisSurface::polylineTo(std::span<const QPoint> points) {
    if (inFrame_) {
        // The shapes gathered so far go first, in their order.
        repeated_.clear();
        drawPending();
        frame_.clear();
        frameHasLines_ = true;
    }
    touchedSinceFrame_ = true;
    QImage& picture = canvas();
    {
        // A line is its pixels on the straight path between its ends, both included, in runs along the
        // rows; a pen wider than one pixel makes each run a band as many rows high and that much longer.
        ShapeWriter shape(picture, lit_, changed_, penPixel_, INT_MAX);
        const int width = std::max(penWidth_, 1), before = (width - 1) / 2, after = width / 2;
        const auto run = [&](int y, int from, int to) {
            for (int row = y - before; row <= y + after; ++row)
                shape.pen(row, std::min(from, to) - before, std::max(from, to) + after);
        };
        for (const QPoint& point : points) {
            int x = currentPoint_.x(), y = currentPoint_.y();
            const int dx = std::abs(point.x() - x), dy = -std::abs(point.y() - y);
            const int stepX = x < point.x() ? 1 : -1, stepY = y < point.y() ? 1 : -1;
            int error = dx + dy, runFrom = x;
            while (x != point.x() || y != point.y()) {
                const int twice = 2 * error;
                if (twice >= dy) {
                    error += dy;
                    x += stepX;
                }
                if (twice <= dx) {
                    error += dx;
                    run(y, runFrom, x - (twice >= dy ? stepX : 0));
                    y += stepY;
                    runFrom = x;
                }
            }
            run(y, runFrom, x);
            currentPoint_ = point;
        }
    }
}

void VisSurface::wipe() {
    touchedSinceFrame_ = true;
    const Pixels pixels(canvas());
    for (const QRect& area : lit_.rects()) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            int left = area.left(), right = area.right();
            if (pixels.clip(y, left, right))
                pixels.fill(y, left, right, blackPixel);
        }
        changed_.add(area.top(), area.bottom(), area.left(), area.right());
    }
    lit_.clear();
}

void VisSurface::present() {
    if (changed_.empty() || (sinceRepaint_.isValid() && sinceRepaint_.elapsed() < repaintSpacing))
        return;
    // Bands of rows, each with a few spans: a ring or a few columns of shapes repaint little more than
    // their own pixels, in a few dozen rectangles.
    const std::vector<QRect> rects = changed_.rects();
    changed_.clear();
    QRegion region;
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    if (covered_.isValid())
        region -= covered_;
    if (!region.isEmpty())
        update(region);
    sinceRepaint_.start();
}

void VisSurface::paintEvent(QPaintEvent* event) {
    // In bands of a few dozen rows: Qt hands a larger copy to its thread pool, whose start costs more
    // than the copy itself. Rectangle by rectangle: a painter clipped to a region of many rectangles
    // copies far slower.
    constexpr int band = 32;
    const QImage& picture = canvas();
    QPainter painter(this);
    for (const QRect& area : event->region())
        for (int top = area.top(); top <= area.bottom(); top += band) {
            const QRect part(area.left(), top, area.width(), std::min(band, area.bottom() - top + 1));
            painter.drawImage(part.topLeft(), picture, part);
        }
}

QImage& VisSurface::canvas() {
    if (picture_.size() != size()) {
        picture_ = QImage(size(), QImage::Format_RGB32);
        picture_.fill(Qt::black);
        touchedSinceFrame_ = true;
        lit_.reset(height(), spanBand);
        changed_.reset(height(), spanBand);
    }
    return picture_;
}

void VisSurface::resizeEvent(QResizeEvent*) {
    canvas();
}

TForm3::TForm3(PlayerState& state, LevelSource levels, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , state_(state)
    , levelSource_(std::move(levels)) {
    setWindowTitle(QStringLiteral("Visualization"));
    createControls();
    createMenus();
    createTimers();
    wireInput();
    resize(QSize(designClientWidth, designClientHeight) + WindowFrame::frameSize);
    FormCreate();
}

void TForm3::createControls() {
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    // The skin's title bar shows no caption, only the menu button; the border resizes the window.
    frame = new WindowFrame(this, WindowFrame::Sizing::Resizable, QStringLiteral("Visualization"),
                            QStringLiteral("Visualization Menu"), nullptr, QSize(114, 23));
    frame->titleBar()->setCaptionShown(false);
    menuButton = frame->titleBar()->menuButton();

    pb1 = new VisSurface(frame->client());
    pb1->setObjectName(QStringLiteral("pb1"));
    pb1->move(0, 0);
}

void TForm3::createMenus() {
    pm1 = new QMenu(this);
    // Giving one of the four drawing modes its mark takes it from the others; the group may also be left
    // without a mark (Random clears all four).
    auto* drawModes = new QActionGroup(this);
    drawModes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int row = 0; row < static_cast<int>(modeItems.size()); ++row) {
        const ModeItem& mode = modeItems[static_cast<std::size_t>(row)];
        if (row == randomRow)
            pm1->addSeparator();
        QAction* item = pm1->addAction(QString::fromUtf16(mode.caption));
        item->setCheckable(true);
        if (row != randomRow)
            drawModes->addAction(item);
        this->*mode.item = item;
    }
    pm1->addSeparator();
    RefreshRate1 = pm1->addMenu(QStringLiteral("Frame Rate"));
    for (const FrameRateItem& rate : frameRateItems) {
        if (!rate.caption) {
            RefreshRate1->addSeparator();
            continue;
        }
        QAction* item = RefreshRate1->addAction(QString::fromUtf16(rate.caption));
        this->*rate.item = item;
    }
    QFont bold = N1x1->font();
    bold.setBold(true);
    N1x1->setFont(bold);
    frame->titleBar()->setMenu(pm1);
}

void TForm3::createTimers() {
    tmr1 = new QTimer(this);
    tmr1->setInterval(windowTimerInterval(1));
    tmr2 = new QTimer(this);
    tmr2->setInterval(windowTimerInterval(designColourInterval));
}

void TForm3::wireInput() {
    connect(tmr1, &QTimer::timeout, this, &TForm3::tmr1Timer);
    connect(tmr2, &QTimer::timeout, this, &TForm3::tmr2Timer);
    for (int row = 0; row < static_cast<int>(modeItems.size()); ++row)
        connect(this->*modeItems[static_cast<std::size_t>(row)].item, &QAction::triggered, this,
                [this, row] { modeClick(row); });
    for (const FrameRateItem& rate : frameRateItems)
        if (rate.caption)
            connect(this->*rate.item, &QAction::triggered, this,
                    [this, interval = rate.interval] { tmr2->setInterval(windowTimerInterval(interval)); });
    // A right-click on the surface drops the mode menu down where it was clicked.
    pb1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pb1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& where) { pm1->popup(pb1->mapToGlobal(where)); });
}

void TForm3::FormCreate() {
    pb1->setPenWidth(1);
    colour = {};
    SparcY = 0;
    dopler = {};
    RandomTick = 249;
    VisModeCopy = state_.VisMode;
    if (VisModeCopy.isEmpty()) {
        Elipse1->setChecked(true);
        VisModeCopy = QStringLiteral("eli");
    }
    // A code that is none of the five leaves every item unmarked and VisMode as it was.
    for (int row = 0; row < static_cast<int>(modeItems.size()); ++row)
        if (VisModeCopy == QStringView(modeItems[static_cast<std::size_t>(row)].code))
            modeClick(row);
}

void TForm3::modeClick(int row) {
    for (int other = 0; other < static_cast<int>(modeItems.size()); ++other)
        (this->*modeItems[static_cast<std::size_t>(other)].item)->setChecked(other == row);
    VisModeCopy = QString::fromUtf16(modeItems[static_cast<std::size_t>(row)].code);
    state_.VisMode = VisModeCopy;
}

void TForm3::checkOnly(VisDrawMode mode) {
    for (int row = 0; row < randomRow; ++row)
        (this->*modeItems[static_cast<std::size_t>(row)].item)->setChecked(row == static_cast<int>(mode));
}

void TForm3::FormShow() {
    tmr1->start();
    tmr2->start();
}

void TForm3::FormClose() {
    tmr1->stop();
    tmr2->stop();
    state_.vis1Checked = false;
}

void TForm3::FormResize() {
    // The surface is the outer window less 8 pixels across and 32 down: it reaches 2 pixels below the
    // client area, where the client area clips it.
    pb1->resize(width() - 8, height() - 32);
}

void TForm3::tmr1Timer() {
    levels = levelSource_ ? levelSource_() : VisLevels{};
    const QSize surface = pb1->size();
    pb1->beginFrame();
    // The brush is always black: every ellipse and rectangle is filled black.
    if (Elipse1->isChecked()) {
        const ElipseFrame frame = elipseFrame(levels, surface);
        pb1->setPenWidth(frame.penWidth);
        pb1->ellipse(frame.box);
    }
    if (Spectrum1->isChecked()) {
        const SpectrumFrame frame = spectrumFrame(levels, surface);
        for (const VisBox& bar : frame.bars)
            pb1->rectangle(bar);
        pb1->setPenWidth(frame.penWidthAfter);
    }
    if (Sparc1->isChecked()) {
        const SparcFrame frame = sparcFrame(levels, surface, SparcY);
        pb1->polylineTo(frame.points);
        pb1->setPenWidth(SparcFrame::penWidthAfter);
    }
    if (Dopler1->isChecked()) {
        const DoplerFrame frame = doplerFrame(levels, surface, dopler);
        for (const VisBox& box : frame.hanging)
            pb1->ellipse(box);
        for (const VisBox& box : frame.standing)
            pb1->ellipse(box);
        pb1->setPenWidth(frame.penWidthAfter);
    }
    // After the drawing: a mode the cycle picks draws from the next tick on.
    if (Random1->isChecked())
        if (const auto picked = advanceRandomCycle(RandomTick))
            checkOnly(*picked);
    pb1->endFrame();
    pb1->present();
}

void TForm3::tmr2Timer() {
    advanceColour(colour, levels);
    const VisColour pen = penColour(colour);
    pb1->setPenColour(QColor(pen.red, pen.green, pen.blue));
    pb1->wipe();
    pb1->present();
}

void TForm3::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // a window coming back from the task bar was never hidden for the player
    // A window that shows is painted afresh: what was drawn before it hid is gone.
    pb1->wipe();
    FormShow();
}

void TForm3::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        tmr1->stop();
        tmr2->stop();
    }
}

void TForm3::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept(); // the window hides and keeps its state for the next show
}

void TForm3::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

} // namespace orvu
