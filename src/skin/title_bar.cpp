// Purpose: the skinned title bar of a frameless window: caption, a drop-down menu button, minimize and
// close, and moving the window through the window system.
#include "skin/title_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QWindow>

namespace orvu {

namespace {

// A title-bar glyph drawn as a path, so the skin's style can re-ink it and it stays crisp at any pixel
// ratio.
QIcon glyph(bool close) {
    constexpr int side = 16;
    QIcon icon;
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        QPixmap picture(QSize(side, side) * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing, true);
        QPen pen(Qt::black, 1.6);
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        if (close) {
            painter.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
            painter.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
        } else {
            painter.drawLine(QPointF(4, 11.5), QPointF(12, 11.5));
        }
        painter.end();
        icon.addPixmap(picture);
    }
    return icon;
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

} // namespace orvu
