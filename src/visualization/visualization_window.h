// Purpose: TForm3, the visualization window: a picture that a fast timer draws from the four level values
// and a slower timer colours and wipes.
#pragma once

#include "core/vis_colour.h"
#include "core/vis_geometry.h"
#include "core/vis_raster.h"
#include "core/vis_spans.h"

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>
#include <span>
#include <vector>

class QAction;
class QMenu;
class QTimer;
class QPushButton;

namespace orvu {

class WindowFrame;

struct PlayerState;

// pb1, the drawing surface: a persistent picture that the draw timer paints into and paintEvent shows,
// on black, as the shape beneath it would show. Like a window's drawing surface it keeps a pen (width
// and colour), a black brush and a current point that lines start from. Each drawing repaints only the
// area it touched, and a wipe only what was drawn since the last one; what several draw ticks touched
// shows in one repaint (see present).
class VisSurface : public QWidget {
    Q_OBJECT

public:
    explicit VisSurface(QWidget* parent = nullptr);

    int penWidth() const { return penWidth_; }
    void setPenWidth(int width) { penWidth_ = width; } // 0 and 1 both draw one-pixel lines
    QColor penColour() const { return penColour_; }
    void setPenColour(const QColor& colour) {
        penColour_ = colour;
        penPixel_ = colour.rgb();
    }
    QPoint currentPoint() const { return currentPoint_; }

    // An ellipse inside the box (its right and bottom edges outside), outlined with the pen around
    // the box's ellipse and filled black (see ellipseRows).
    void ellipse(const VisBox& box);
    // A rectangle: the pen runs along the box's inner edges (centred on them when wider than one
    // pixel) and the inside is filled black.
    void rectangle(const VisBox& box);
    // Lines from the current point through each point in turn; the last point becomes the current one.
    void polylineTo(std::span<const QPoint> points);
    // The shapes of one draw tick go between beginFrame and endFrame. A shape paints over all it
    // covers (its pen, then black inside), so the same shapes drawn again leave the picture as it was:
    // the shapes of a frame that are as they were in the frame before, with no wipe or other drawing
    // between, are left out, group by group of shapes that reach one another (see markRepeated). Lines
    // draw at once, since they move the current point, and nothing of a frame with lines is left out.
    void beginFrame();
    void endFrame();
    // Everything drawn since the last wipe goes: the black background shows again.
    void wipe();
    // Shows on the screen what the drawings changed, unless it did so less than repaintSpacing ago: the
    // picture keeps every drawing, so what the ticks drew meanwhile shows with the next tick's.
    void present();
    static constexpr qint64 repaintSpacing = 16; // ms: about sixty repaints a second at most

    // The picture as it stands, at the surface's size.
    const QImage& picture() { return canvas(); }
    // The part of the surface that a control above it covers whole: left out of the repaints.
    void setCovered(const QRect& area) { covered_ = area; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The picture, made afresh in black when the surface's size changed: a resized window is repainted
    // whole, and the surface paints nothing of its own, so the picture goes and the black shape beneath
    // shows. The pen and the current point stay.
    QImage& canvas();

    struct Shape {
        enum class Kind { ellipse, rectangle };
        Kind kind = Kind::ellipse;
        VisBox box;
        int penWidth = 1;
        QRgb pen = 0;
        friend bool operator==(const Shape&, const Shape&) = default;
    };
    void draw(const Shape& shape);
    void paint(const Shape& shape);
    void drawEllipse(const Shape& ellipse);
    void drawRectangle(const Shape& rectangle);
    void drawPending();
    void markRepeated();

    bool inFrame_ = false;
    bool frameHasLines_ = false;
    bool touchedSinceFrame_ = true; // the picture changed by other means since the last frame
    std::vector<Shape> frame_, lastFrame_;
    std::vector<std::size_t> group_;  // per shape of the frame: another of its group, or itself
    std::vector<char> groupChanged_;  // per group's root: a shape of it differs from the last frame
    std::vector<char> repeated_;      // per shape of the frame: left out
    std::vector<VisEllipseRow> rows_; // kept to spare an allocation per ellipse
    QImage picture_;
    VisBandSpans lit_;     // drawn since the last wipe: all that is not black
    VisBandSpans changed_; // changed since the last repaint
    QRect covered_;
    QElapsedTimer sinceRepaint_;
    int penWidth_ = 1;
    QColor penColour_ = Qt::black; // until the first colour tick
    QRgb penPixel_ = 0xFF000000;
    QPoint currentPoint_{0, 0};
};

class TForm3 : public QWidget {
    Q_OBJECT

public:
    // The design's client area; the window is this plus the skin's frame around it.
    static constexpr int designClientWidth = 677;
    static constexpr int designClientHeight = 462;
    static constexpr int designColourInterval = 50; // the Frame Rate "1x"

    // The four level values the main window's meters show now.
    using LevelSource = std::function<VisLevels()>;

    // The creation step runs here: it takes the mode from state.VisMode and writes it back.
    TForm3(PlayerState& state, LevelSource levels, QWidget* parent = nullptr);

    WindowFrame* frame = nullptr;      // the skin's title bar and border
    QPushButton* menuButton = nullptr; // "Visualization": the title bar's menu button, dropping down pm1
    VisSurface* pb1 = nullptr;
    QTimer* tmr1 = nullptr; // draws a frame; 1 ms by design: 10 ms, the fastest a window timer ticks
    QTimer* tmr2 = nullptr; // colour and wipe, the Frame Rate's interval
    QMenu* pm1 = nullptr;   // the mode menu
    QAction *Elipse1 = nullptr, *Spectrum1 = nullptr, *Sparc1 = nullptr, *Dopler1 = nullptr,
            *Random1 = nullptr;
    QMenu* RefreshRate1 = nullptr; // "Frame Rate"
    QAction *N075x1 = nullptr, *N05x1 = nullptr, *N1x1 = nullptr, *N2x1 = nullptr, *N3x1 = nullptr;

    void FormShow();
    void FormClose();
    void FormResize();
    // The handler of the five mode items (Elipse1Click ... Random1Click), by their row in the menu.
    void modeClick(int row);
    void tmr1Timer(); // draw tick
    void tmr2Timer(); // colour tick

    // The window's state: kept while it hides, for the next show.
    VisLevels levels{}; // read at every draw tick
    VisColour colour;   // VisRed, VisGreen, VisBlue
    int SparcY = 0;
    DoplerEdges dopler;
    int RandomTick = 249;
    QString VisModeCopy;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void createControls();
    void createMenus();
    void createTimers();
    void wireInput();
    void checkOnly(VisDrawMode mode); // the Random cycle's pick: its item alone of the four

    PlayerState& state_;
    LevelSource levelSource_;
};

} // namespace orvu
