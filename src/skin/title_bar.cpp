// Purpose: the skin's own frame for frameless windows: a title bar with caption, drop-down menu button,
// minimize and close, a border around the window, and moving and resizing through the window system.
#include "skin/title_bar.h"

#include "skin/skin_style.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIconEngine>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QStyle>
#include <QStyleOption>
#include <QWindow>

namespace orvu {

namespace {

// A title-bar glyph drawn as lines in a 16-unit square at whatever size and pixel ratio it is asked for,
// so it stays crisp everywhere and the skin's style can re-ink it.
class GlyphEngine : public QIconEngine {
public:
    explicit GlyphEngine(bool close)
        : close_(close) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        QPen pen(Qt::black, 1.6);
        pen.setCapStyle(Qt::RoundCap);
        painter->setPen(pen);
        if (close_) {
            painter->drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
            painter->drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
        } else {
            painter->drawLine(QPointF(4, 11.5), QPointF(12, 11.5));
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap picture(size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return picture;
    }

    QIconEngine* clone() const override { return new GlyphEngine(close_); }

private:
    bool close_;
};

QIcon glyph(bool close) {
    return QIcon(new GlyphEngine(close));
}

QPushButton* barButton(QWidget* parent, const QIcon& icon, const QString& hint) {
    auto* button = new QPushButton(parent);
    button->setIcon(icon);
    button->setToolTip(hint);
    button->setFixedSize(23, 20);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TitleBar::TitleBar(QWidget* window, const QString& menuText, const QString& menuHint, QMenu* menu,
                   QSize menuSize)
    : QWidget(window)
    , window_(window)
    , menu_(menu)
    , caption_(new QLabel(window->windowTitle(), this))
    , menuButton_(new QPushButton(menuText, this))
    , minimize_(barButton(this, glyph(false), QStringLiteral("Minimize")))
    , close_(barButton(this, glyph(true), QStringLiteral("Close"))) {
    setFixedHeight(barHeight);
    setAutoFillBackground(false);
    menuButton_->setToolTip(menuHint);
    menuButton_->setFocusPolicy(Qt::NoFocus);
    if (menuSize.isValid())
        menuButton_->setFixedSize(menuSize);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 3, 2);
    row->setSpacing(2);
    row->addWidget(caption_);
    row->addStretch(1);
    row->addWidget(menuButton_);
    row->addSpacing(16);
    row->addWidget(minimize_);
    row->addWidget(close_);
    // The menu opens under its button, without a nested event loop, like every other pop-up here.
    connect(menuButton_, &QPushButton::clicked, this, [this] {
        if (menu_)
            menu_->popup(menuButton_->mapToGlobal(QPoint(0, menuButton_->height())));
    });
    connect(minimize_, &QPushButton::clicked, this, [this] { window_->showMinimized(); });
    connect(close_, &QPushButton::clicked, this, [this] { window_->close(); });
}

void TitleBar::setCaptionShown(bool shown) {
    caption_->setVisible(shown);
}

bool TitleBar::event(QEvent* event) {
    if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::ParentChange)
        caption_->setText(window_->windowTitle());
    return QWidget::event(event);
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && window_->windowHandle()) {
        // Where the window system cannot move windows for us, the bar simply stays put.
        window_->windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TitleBar::paintEvent(QPaintEvent*) {
    // The bar is a raised face of the skin across the window's top.
    QPainter painter(this);
    QStyleOptionButton face;
    face.initFrom(this);
    face.rect = rect();
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &face, &painter, this);
}

namespace {

QColor mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

} // namespace

WindowFrame::WindowFrame(QWidget* window, Sizing sizing, const QString& menuText, const QString& menuHint,
                         QMenu* menu, QSize menuSize)
    : QWidget(window)
    , window_(window)
    , sizing_(sizing)
    , titleBar_(new TitleBar(window, menuText, menuHint, menu, menuSize))
    , client_(new QWidget(window)) {
    setObjectName(QStringLiteral("frame"));
    client_->setObjectName(QStringLiteral("client"));
    // The window system draws nothing around the window; minimize and close stay for the taskbar.
    window->setWindowFlags((window->windowFlags() & ~(Qt::WindowMaximizeButtonHint | Qt::WindowTitleHint)) |
                           Qt::FramelessWindowHint);
    setMouseTracking(sizing_ == Sizing::Resizable);
    lower();
    window->installEventFilter(this);
    place();
}

void WindowFrame::place() {
    setGeometry(window_->rect());
    titleBar_->setGeometry(0, 0, window_->width(), TitleBar::barHeight);
    client_->setGeometry(window_->rect().marginsRemoved(margins));
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Resize)
        place();
    return false;
}

Qt::Edges WindowFrame::edgesAt(const QSize& window, const QPoint& point) {
    Qt::Edges edges;
    if (point.x() < border)
        edges |= Qt::LeftEdge;
    if (point.x() >= window.width() - border)
        edges |= Qt::RightEdge;
    if (point.y() < border)
        edges |= Qt::TopEdge;
    if (point.y() >= window.height() - border)
        edges |= Qt::BottomEdge;
    return edges;
}

void WindowFrame::mousePressEvent(QMouseEvent* event) {
    const Qt::Edges edges = edgesAt(size(), event->position().toPoint());
    if (sizing_ == Sizing::Resizable && event->button() == Qt::LeftButton && edges &&
        window_->windowHandle()) {
        // Where the window system cannot resize windows for us, the press does nothing.
        window_->windowHandle()->startSystemResize(edges);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void WindowFrame::mouseMoveEvent(QMouseEvent* event) {
    if (sizing_ != Sizing::Resizable)
        return QWidget::mouseMoveEvent(event);
    const Qt::Edges edges = edgesAt(size(), event->position().toPoint());
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
        shape = Qt::SizeFDiagCursor;
    else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
        shape = Qt::SizeBDiagCursor;
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        shape = Qt::SizeHorCursor;
    else if (edges & (Qt::TopEdge | Qt::BottomEdge))
        shape = Qt::SizeVerCursor;
    setCursor(shape);
}

void WindowFrame::paintEvent(QPaintEvent*) {
    // The border in the skin's colours. With extended borders, it is bevelled: a dark outer edge, a lit
    // ridge, the face, and a shadow falling onto the client area along its inner edge.
    const auto* skinStyle = qobject_cast<const SkinStyle*>(style());
    const QPalette& p = palette();
    QColor outline = p.color(QPalette::Shadow);
    QColor face = p.color(QPalette::Button);
    QColor ridge = p.color(QPalette::Light);
    bool extended = true;
    if (skinStyle) {
        const Skin& skin = skinStyle->skin();
        outline = QColor::fromRgba(skin.frame);
        face = mix(QColor::fromRgba(skin.buttonTop), QColor::fromRgba(skin.buttonBottom));
        ridge = QColor::fromRgba(skin.buttonTop).lighter(115);
        extended = skinStyle->extendedBorders();
    }
    QPainter painter(this);
    const QRect outer = rect();
    const QRect inner = outer.marginsRemoved(margins);
    QRegion ring(outer);
    ring -= QRegion(inner);
    painter.setClipRegion(ring);
    painter.fillRect(outer, face);
    painter.setPen(outline.darker(extended ? 160 : 100));
    painter.drawRect(outer.adjusted(0, 0, -1, -1));
    if (!extended)
        return;
    painter.setPen(ridge);
    painter.drawRect(outer.adjusted(1, 1, -2, -2));
    painter.setClipping(false);
    // A soft shadow over the client area's first pixels, falling from the bar and the sides.
    QColor shadow = Qt::black;
    for (int step = 0; step < 3; ++step) {
        shadow.setAlpha(60 - 20 * step);
        painter.setPen(shadow);
        painter.drawRect(inner.adjusted(step, step, -1 - step, -1 - step));
    }
}

} // namespace orvu
