// Purpose: TForm3, the visualization window: a picture that a fast timer draws from the four level values
// and a slower timer colours and wipes.
#include "visualization/visualization_window.h"

#include "core/timer_pace.h"
#include "shell/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <utility>

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
    repaintTimer_.setSingleShot(true);
    repaintTimer_.setTimerType(Qt::PreciseTimer);
    connect(&repaintTimer_, &QTimer::timeout, this, &VisSurface::showUnpainted);
    // The picture covers every pixel: nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

QPen VisSurface::pen() const {
    // Width 0 is Qt's one-pixel pen, as is 1; round ends and joins as a wide window-system pen has.
    return QPen(penColour_, penWidth_ <= 1 ? 0 : penWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// The picture's pixels, written directly: shapes are rows of pixels of one colour.
class Pixels {
public:
    explicit Pixels(QImage& picture)
        : bits_(reinterpret_cast<QRgb*>(picture.bits()))
        , stride_(picture.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)))
        , width_(picture.width())
        , height_(picture.height()) {}

    // Pixels left .. right of row y, as far as they lie in the picture.
    void fill(int y, int left, int right, QRgb colour) const {
        left = std::max(left, 0);
        right = std::min(right, width_ - 1);
        if (y < 0 || y >= height_ || left > right)
            return;
        QRgb* line = bits_ + y * stride_;
        std::fill(line + left, line + right + 1, colour);
    }

private:
    QRgb* bits_;
    qsizetype stride_;
    int width_, height_;
};

constexpr QRgb blackPixel = 0xFF000000;

void VisSurface::blacken(const Pixels& pixels, int y, int left, int right) const {
    // Outside what was drawn since the last wipe the picture is black already.
    if (y >= drawnSinceWipe_.top() && y <= drawnSinceWipe_.bottom())
        pixels.fill(y, std::max(left, drawnSinceWipe_.left()), std::min(right, drawnSinceWipe_.right()),
                    blackPixel);
}

void VisSurface::ellipse(const VisBox& box) {
    // Written row by row: a painter's ellipse with a wide pen costs ten times more.
    QImage& picture = canvas();
    ellipseRows(box, penWidth_, rows_, 0, picture.height() - 1);
    if (rows_.empty())
        return;
    const Pixels pixels(picture);
    const QRgb pen = penColour_.rgb();
    int left = rows_.front().left, right = rows_.front().right;
    for (const VisEllipseRow& row : rows_) {
        if (row.inLeft <= row.inRight) {
            pixels.fill(row.y, row.left, row.inLeft - 1, pen);
            blacken(pixels, row.y, row.inLeft, row.inRight);
            pixels.fill(row.y, row.inRight + 1, row.right, pen);
        } else {
            pixels.fill(row.y, row.left, row.right, pen);
        }
        left = std::min(left, row.left);
        right = std::max(right, row.right);
    }
    drawn(QRect(QPoint(left, rows_.front().y), QPoint(right, rows_.back().y)));
}

void VisSurface::rectangle(const VisBox& box) {
    const QRect edges = boxArea(box);
    if (edges.isEmpty())
        return;
    // The pen is a band across each edge line: before it (w - 1) / 2 pixels, after it w / 2.
    const int width = std::max(penWidth_, 1), before = (width - 1) / 2, after = width / 2;
    const QRect outline = edges.adjusted(-before, -before, after, after);
    const QRect inside = edges.adjusted(after + 1, after + 1, -before - 1, -before - 1);
    QImage& picture = canvas();
    const Pixels pixels(picture);
    const QRgb pen = penColour_.rgb();
    for (int y = std::max(outline.top(), 0); y <= std::min(outline.bottom(), picture.height() - 1); ++y) {
        if (inside.isValid() && y >= inside.top() && y <= inside.bottom()) {
            pixels.fill(y, outline.left(), inside.left() - 1, pen);
            blacken(pixels, y, inside.left(), inside.right());
            pixels.fill(y, inside.right() + 1, outline.right(), pen);
        } else {
            pixels.fill(y, outline.left(), outline.right(), pen);
        }
    }
    drawn(outline);
}

void VisSurface::polylineTo(std::span<const QPoint> points) {
    if (points.empty())
        return;
    QPainter painter(&canvas());
    painter.setPen(pen());
    QRect area(currentPoint_, currentPoint_);
    for (const QPoint& point : points) {
        painter.drawLine(currentPoint_, point);
        currentPoint_ = point;
        area |= QRect(point, point);
    }
    const int reach = penWidth_ / 2 + 1;
    drawn(area.adjusted(-reach, -reach, reach, reach));
}

void VisSurface::drawn(const QRect& area) {
    const QRect visible = area & canvas().rect();
    if (visible.isEmpty())
        return;
    drawnSinceWipe_ |= visible;
    repaintArea(visible);
}

void VisSurface::repaintArea(const QRect& area) {
    const QRegion shows = covered_.intersects(area) ? QRegion(area).subtracted(covered_) : QRegion(area);
    if (shows.isEmpty())
        return;
    unpainted_ += shows;
    // At most one repaint per refresh of a common screen: the picture keeps every drawing, so what
    // several ticks drew shows together, a few milliseconds later at most.
    const qint64 sinceLast = sinceRepaint_.isValid() ? sinceRepaint_.elapsed() : repaintSpacing;
    if (sinceLast >= repaintSpacing)
        showUnpainted();
    else if (!repaintTimer_.isActive())
        repaintTimer_.start(static_cast<int>(repaintSpacing - sinceLast));
}

void VisSurface::showUnpainted() {
    repaintTimer_.stop();
    if (unpainted_.isEmpty())
        return;
    update(unpainted_);
    unpainted_ = QRegion();
    sinceRepaint_.start();
}

void VisSurface::wipe() {
    const Pixels pixels(canvas()); // a picture made afresh is black already
    const QRect area = std::exchange(drawnSinceWipe_, QRect());
    if (area.isEmpty())
        return;
    for (int y = area.top(); y <= area.bottom(); ++y)
        pixels.fill(y, area.left(), area.right(), blackPixel);
    repaintArea(area);
}

void VisSurface::paintEvent(QPaintEvent* event) {
    // In bands of a few dozen rows: Qt hands a larger copy to its thread pool, whose start costs more
    // than the copy itself.
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
        drawnSinceWipe_ = QRect();
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
    resize(designClientWidth, designClientHeight);
    FormCreate();
}

void TForm3::createControls() {
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    pb1 = new VisSurface(this);
    pb1->setObjectName(QStringLiteral("pb1"));
    pb1->move(0, 0);

    // Until the skinned title bar carries it, the menu button stands at the top of the window.
    menuButton = new QToolButton(this);
    menuButton->setText(QStringLiteral("Visualization"));
    menuButton->setToolTip(QStringLiteral("Visualization Menu"));
    menuButton->setGeometry(0, 0, 114, 23);
    menuButton->setPopupMode(QToolButton::InstantPopup);
    menuButton->setFocusPolicy(Qt::NoFocus);
    // Opaque, so the surface need not repaint what lies beneath it (nor the button with it).
    menuButton->setAutoFillBackground(true);
    pb1->setCovered(menuButton->geometry());
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
    menuButton->setMenu(pm1);
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
    // The surface is the outer window less 8 pixels across and 32 down; the design's outer window is
    // the client area plus its frame, so the surface reaches 2 pixels below the client area.
    const QSize outer = size() + TForm1::designFrame;
    pb1->resize(outer.width() - 8, outer.height() - 32);
}

void TForm3::tmr1Timer() {
    levels = levelSource_ ? levelSource_() : VisLevels{};
    const QSize surface = pb1->size();
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
}

void TForm3::tmr2Timer() {
    advanceColour(colour, levels);
    const VisColour pen = penColour(colour);
    pb1->setPenColour(QColor(pen.red, pen.green, pen.blue));
    pb1->wipe();
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
