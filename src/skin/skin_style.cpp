// Purpose: the skin drawn through Qt's style machinery: Fusion's layout with the skin's faces, outlines,
// grooves, handles and palette.
#include "skin/skin_style.h"

#include "skin/window_effects.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGraphicsDropShadowEffect>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace orvu {

namespace {

const char* const timeFitProperty = "orvuTimeFit";
const char* const timeFontProperty = "orvuTimeFont";
const char* const ownFontProperty = "orvuOwnFont";

QColor colour(QRgb rgba) {
    return QColor::fromRgba(rgba);
}

// A colour a little lighter or darker for hover and press, whatever the skin's brightness.
QColor shade(const QColor& c, int percent) {
    return percent >= 0 ? c.lighter(100 + percent) : c.darker(100 - percent);
}

// The room a control's caption needs in `font` (width, height), and the room its place gives it. An
// invalid need: the control shows no caption of its own.
struct CaptionRoom {
    QSize need;
    QSize room;
};

QSize textSize(const QFont& font, const QString& text) {
    return QFontMetrics(font).size(Qt::TextShowMnemonic, text);
}

CaptionRoom captionRoom(const QWidget* control, const QFont& font) {
    const QStyle* style = control->style();
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
            return {};
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                          -label->margin());
        QSize need = textSize(font, label->text());
        if (label->wordWrap())
            need = QFontMetrics(font)
                       .boundingRect(QRect(0, 0, room.width(), 1 << 20), Qt::TextWordWrap, label->text())
                       .size();
        return {need, room.size()};
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(control)) {
        if (box->text().isEmpty())
            return {};
        const QSize text = textSize(font, box->text());
        const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
                              style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
        return {QSize(indicator + text.width(), text.height()), box->size()};
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        if (button->text().isEmpty())
            return {};
        const QSize text = textSize(font, button->text());
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        return {QSize(text.width() + icon + 6, text.height()), button->size()};
    }
    if (const auto* tabs = qobject_cast<const QTabBar*>(control)) {
        // The tabs side by side must fit across the page control; past it they would scroll.
        int width = 0;
        for (int i = 0; i < tabs->count(); ++i)
            width += textSize(font, tabs->tabText(i)).width() +
                     style->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, tabs);
        const QWidget* across =
            qobject_cast<const QTabWidget*>(tabs->parentWidget()) ? tabs->parentWidget() : tabs;
        return {QSize(width, 0), QSize(across->width(), 0)};
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(control)) {
        if (group->title().isEmpty())
            return {};
        return {QSize(textSize(font, group->title()).width() + 16, 0), QSize(group->width(), 0)};
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        int width = 0;
        for (int i = 0; i < combo->count(); ++i)
            width = std::max(width, textSize(font, combo->itemText(i)).width());
        const int arrow = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, combo) + 10;
        return {QSize(width + arrow, QFontMetrics(font).height()), combo->size()};
    }
    if (const auto* list = qobject_cast<const QListView*>(control); list && list->model()) {
        // Entries of a fixed height must keep their lines whole; their width scrolls.
        const QAbstractItemModel* model = list->model();
        int height = 0;
        for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
            const QModelIndex index = model->index(row, list->modelColumn(), list->rootIndex());
            const QSize fixed = index.data(Qt::SizeHintRole).toSize();
            if (fixed.height() > 0)
                height = std::max(height, fixed.height());
        }
        if (height == 0 || model->rowCount(list->rootIndex()) == 0)
            return {};
        return {QSize(0, QFontMetrics(font).height()), QSize(0, height)};
    }
    return {};
}

} // namespace

SkinStyle::SkinStyle(const Skin& skin, const SkinEffects& effects)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    , skin_(skin)
    , effects_(effects) {
    effects_.menuOpacity = std::clamp(effects_.menuOpacity, 0, 255);
    setObjectName(QStringLiteral("orvu-skin"));
}

QPalette SkinStyle::skinPalette() const {
    QPalette p;
    const QColor window = colour(skin_.window);
    // Controls Fusion fills with one colour take the middle of the skin's face gradient.
    const QColor top = colour(skin_.buttonTop);
    const QColor bottom = colour(skin_.buttonBottom);
    const QColor button((top.red() + bottom.red()) / 2, (top.green() + bottom.green()) / 2,
                        (top.blue() + bottom.blue()) / 2);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, colour(skin_.windowText));
    p.setColor(QPalette::Base, colour(skin_.base));
    p.setColor(QPalette::AlternateBase, shade(colour(skin_.base), 8));
    p.setColor(QPalette::Text, colour(skin_.text));
    p.setColor(QPalette::PlaceholderText, shade(colour(skin_.text), -40));
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, colour(skin_.buttonText));
    p.setColor(QPalette::BrightText, colour(skin_.highlight));
    p.setColor(QPalette::Highlight, colour(skin_.highlight));
    p.setColor(QPalette::HighlightedText, colour(skin_.highlightedText));
    p.setColor(QPalette::Link, colour(skin_.link));
    p.setColor(QPalette::LinkVisited, shade(colour(skin_.link), -20));
    p.setColor(QPalette::ToolTipBase, colour(skin_.base));
    p.setColor(QPalette::ToolTipText, colour(skin_.text));
    p.setColor(QPalette::Light, shade(window, 50));
    p.setColor(QPalette::Midlight, shade(window, 20));
    p.setColor(QPalette::Mid, colour(skin_.frame));
    p.setColor(QPalette::Dark, shade(window, -50));
    p.setColor(QPalette::Shadow, shade(colour(skin_.frame), -60));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        QColor disabled = p.color(QPalette::Active, role);
        disabled.setAlpha(110);
        p.setColor(QPalette::Disabled, role, disabled);
    }
    return p;
}

void SkinStyle::markTimeDisplay(QWidget* label, int fitWidth) {
    label->setProperty(timeFitProperty, fitWidth);
    label->setProperty(timeFontProperty, label->font());
}

void SkinStyle::takeSkinTypeface(QWidget* window) {
    window->setProperty(ownFontProperty, window->font());
}

bool SkinStyle::captionsFit(const QWidget* window, const QFont& font) {
    const QFont windowFont = window->font();
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        // A control that names a typeface of its own keeps it whatever the window wears.
        if (control->font().family() != windowFont.family())
            continue;
        QFont asIs = control->font();
        asIs.setFamily(windowFont.family());
        QFont skinned = control->font();
        skinned.setFamily(font.family());
        const CaptionRoom before = captionRoom(control, asIs);
        if (!before.need.isValid())
            continue;
        const CaptionRoom after = captionRoom(control, skinned);
        // Room the caption lacked already in the window's font is no reason to refuse the skin's, as
        // long as the skin's needs no more of it.
        if (after.need.width() > std::max(after.room.width(), before.need.width()) ||
            after.need.height() > std::max(after.room.height(), before.need.height()))
            return false;
    }
    return true;
}

void SkinStyle::polishTypeface(QWidget* window) const {
    // Always from the window's own font, so that one skin's typeface does not carry into the next.
    const QFont own = window->property(ownFontProperty).value<QFont>();
    window->setFont(own);
    QFont skinned = own;
    skinned.setFamily(QString::fromLatin1(skin_.font));
    if (captionsFit(window, skinned.resolve(window->font())))
        window->setFont(skinned);
}

QPalette SkinStyle::standardPalette() const {
    return skinPalette();
}

void SkinStyle::polish(QPalette& palette) {
    palette = skinPalette();
}

void SkinStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    // Only dialogs: a plain top-level widget may be any control shown alone, which paints itself.
    if (widget->windowType() == Qt::Dialog && !(widget->windowFlags() & Qt::FramelessWindowHint))
        widget->installEventFilter(this);
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        // Pop-up menus take the skin's font and its opacity; a window system without a compositor
        // shows them opaque, which is all it can do.
        QFont font = menu->font();
        font.setFamily(QString::fromLatin1(skin_.font));
        font.setPixelSize(skin_.fontPixelSize);
        menu->setFont(font);
        menu->setWindowOpacity(effects_.menuOpacity / 255.0);
    } else if (const QVariant fit = widget->property(timeFitProperty); fit.isValid()) {
        polishTimeDisplay(widget, fit.toInt());
    } else if (widget->property(ownFontProperty).isValid()) {
        polishTypeface(widget);
        if (effects_.windowEffects && widget->isWindow())
            WindowEffects::attach(widget, effects_.blendOnMoving, effects_.minimizing);
    } else if (widget->inherits("orvu::TitleBar")) {
        QFont font = widget->font();
        font.setFamily(QString::fromLatin1(skin_.font));
        font.setPixelSize(skin_.fontPixelSize);
        widget->setFont(font);
    } else if (effects_.windowEffects &&
               (widget->windowType() == Qt::Window || widget->windowType() == Qt::Dialog)) {
        WindowEffects::attach(widget, effects_.blendOnMoving, effects_.minimizing);
    }
}

void SkinStyle::polishTimeDisplay(QWidget* label, int fitWidth) const {
    // Always from the window's own font, so that one skin's typeface does not carry into the next.
    QFont font = label->property(timeFontProperty).value<QFont>();
    if (skin_.timeFont)
        font.setFamily(QString::fromLatin1(skin_.timeFont));
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(QStringLiteral("00:00")) > fitWidth)
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour(skin_.timeText));
    label->setPalette(palette);
    if (skin_.timeGlowRadius > 0) {
        auto* glow = new QGraphicsDropShadowEffect(label);
        glow->setOffset(0, 0);
        glow->setBlurRadius(skin_.timeGlowRadius);
        glow->setColor(colour(skin_.timeGlow));
        label->setGraphicsEffect(glow);
    } else {
        label->setGraphicsEffect(nullptr);
    }
}

void SkinStyle::unpolish(QWidget* widget) {
    widget->removeEventFilter(this);
    QProxyStyle::unpolish(widget);
}

bool SkinStyle::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && effects_.extendedBorders && watched->isWidgetType()) {
        // The platform draws the frame; within it, a dark edge, a lit ridge and a soft shadow falling
        // onto the dialog's face, as the skin's own frames have. It stays within 5 pixels of the edge,
        // short of the dialogs' controls, and is painted first, so that whatever stands there covers it.
        auto* dialog = static_cast<QWidget*>(watched);
        QPainter painter(dialog);
        const QRect outer = dialog->rect();
        painter.setPen(colour(skin_.frame).darker(160));
        painter.drawRect(outer.adjusted(0, 0, -1, -1));
        painter.setPen(colour(skin_.buttonTop).lighter(115));
        painter.drawRect(outer.adjusted(1, 1, -2, -2));
        QColor shadow = Qt::black;
        for (int step = 0; step < 3; ++step) {
            shadow.setAlpha(60 - 20 * step);
            painter.setPen(shadow);
            painter.drawRect(outer.adjusted(2 + step, 2 + step, -3 - step, -3 - step));
        }
    }
    return QProxyStyle::eventFilter(watched, event);
}

int SkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_ScrollBarExtent:
        return skin_.scrollExtent;
    case PM_DefaultFrameWidth:
        return std::max(skin_.frameWidth, 1);
    case PM_ScrollBarSliderMin:
        return 10;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void SkinStyle::drawFace(QPainter* painter, const QRectF& rect, bool sunken, bool hovered, bool enabled,
                         const QColor& top, const QColor& bottom) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    const qreal half = skin_.frameWidth / 2.0;
    const QRectF r = rect.adjusted(half, half, -half, -half);
    qreal radius = skin_.radius;
    if (skin_.shape == SkinShape::Pill)
        radius = std::min(r.width(), r.height()) / 2.0;
    radius = std::min(radius, std::min(r.width(), r.height()) / 2.0);
    QColor t = top;
    QColor b = bottom;
    if (sunken) {
        std::swap(t, b);
        t = shade(t, -12);
        b = shade(b, -12);
    } else if (hovered) {
        t = shade(t, 12);
        b = shade(b, 12);
    }
    if (!enabled) {
        t.setAlpha(150);
        b.setAlpha(150);
    }
    QBrush brush;
    switch (skin_.shape) {
    case SkinShape::Flat:
        brush = QBrush(t);
        break;
    case SkinShape::Gradient:
    case SkinShape::Pill: {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, t);
        g.setColorAt(1, b);
        brush = QBrush(g);
        break;
    }
    case SkinShape::Glass: {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, shade(t, 25));
        g.setColorAt(0.49, t);
        g.setColorAt(0.5, b);
        g.setColorAt(1, shade(b, 20));
        brush = QBrush(g);
        break;
    }
    }
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    painter->fillPath(path, brush);
    if (skin_.frameWidth > 0) {
        painter->setPen(QPen(colour(skin_.frame), skin_.frameWidth));
        painter->drawPath(path);
    }
    painter->restore();
}

void SkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    const bool enabled = option->state & State_Enabled;
    const bool sunken = option->state & (State_Sunken | State_On);
    const bool hovered = option->state & State_MouseOver;
    switch (element) {
    case PE_PanelButtonCommand:
    case PE_PanelButtonBevel:
    case PE_PanelButtonTool:
        drawFace(painter, option->rect, sunken, hovered, enabled, colour(skin_.buttonTop),
                 colour(skin_.buttonBottom));
        return;
    case PE_FrameButtonTool:
    case PE_FrameButtonBevel:
        return; // the face draws its own outline
    case PE_IndicatorCheckBox: {
        const bool checked = option->state & State_On;
        const QRectF box = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        QPainterPath path;
        const qreal radius = std::min<qreal>(skin_.radius, box.width() / 3);
        path.addRoundedRect(box, radius, radius);
        painter->fillPath(path, checked ? colour(skin_.highlight) : colour(skin_.base));
        painter->setPen(QPen(colour(skin_.frame), 1));
        painter->drawPath(path);
        if (checked) {
            QPen tick(colour(skin_.highlightedText), std::max(1.5, box.width() / 7));
            tick.setCapStyle(Qt::RoundCap);
            painter->setPen(tick);
            const QPointF p1(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
            const QPointF p2(box.left() + box.width() * 0.42, box.top() + box.height() * 0.72);
            const QPointF p3(box.left() + box.width() * 0.78, box.top() + box.height() * 0.28);
            painter->drawPolyline(QList<QPointF>{p1, p2, p3});
        }
        painter->restore();
        return;
    }
    case PE_PanelLineEdit:
    case PE_FrameLineEdit:
    case PE_Frame:
    case PE_FrameGroupBox: {
        if (element == PE_PanelLineEdit)
            painter->fillRect(option->rect, colour(skin_.base));
        painter->save();
        painter->setPen(QPen(colour(skin_.frame), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5));
        painter->restore();
        return;
    }
    case PE_PanelMenu:
    case PE_FrameMenu:
        painter->fillRect(option->rect, colour(skin_.base));
        painter->setPen(colour(skin_.frame));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

QIcon SkinStyle::tintedIcon(const QIcon& icon, const QSize& size, qreal ratio, bool enabled) const {
    QPixmap picture = icon.pixmap(size, ratio);
    if (picture.isNull())
        return icon;
    QColor ink = colour(skin_.buttonText);
    if (!enabled)
        ink.setAlpha(110);
    QPainter painter(&picture);
    // The picture's own alpha keeps its shape and its edges' smoothing; its colours give way to the ink.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), picture.deviceIndependentSize()), ink);
    painter.end();
    return QIcon(picture);
}

void SkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const bool enabled = option->state & State_Enabled;
    if (element == CE_PushButtonLabel) {
        if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
            button && !button->icon.isNull()) {
            QStyleOptionButton tinted(*button);
            tinted.icon = tintedIcon(button->icon, button->iconSize, ratio, enabled);
            QProxyStyle::drawControl(element, &tinted, painter, widget);
            return;
        }
    } else if (element == CE_ToolButtonLabel) {
        if (const auto* button = qstyleoption_cast<const QStyleOptionToolButton*>(option);
            button && !button->icon.isNull()) {
            QStyleOptionToolButton tinted(*button);
            tinted.icon = tintedIcon(button->icon, button->iconSize, ratio, enabled);
            QProxyStyle::drawControl(element, &tinted, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void SkinStyle::drawScrollBar(const QStyleOptionSlider* option, QPainter* painter,
                              const QWidget* widget) const {
    const QRect groove = subControlRect(CC_ScrollBar, option, SC_ScrollBarGroove, widget);
    const QRect slider = subControlRect(CC_ScrollBar, option, SC_ScrollBarSlider, widget);
    const QRect subLine = subControlRect(CC_ScrollBar, option, SC_ScrollBarSubLine, widget);
    const QRect addLine = subControlRect(CC_ScrollBar, option, SC_ScrollBarAddLine, widget);
    const bool enabled = option->state & State_Enabled;
    const bool horizontal = option->orientation == Qt::Horizontal;

    painter->fillRect(option->rect, colour(skin_.base));
    painter->save();
    painter->setPen(colour(skin_.frame));
    painter->drawRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5));
    // A thin track along the groove's middle, as a slot the handle runs in.
    const QColor track = shade(colour(skin_.frame), 10);
    if (horizontal)
        painter->fillRect(QRect(groove.left() + 2, groove.center().y() - 1, groove.width() - 4, 2), track);
    else
        painter->fillRect(QRect(groove.center().x() - 1, groove.top() + 2, 2, groove.height() - 4), track);
    painter->restore();

    const auto pressed = [&](SubControl sc) {
        return (option->activeSubControls & sc) && (option->state & State_Sunken);
    };
    const auto hover = [&](SubControl sc) {
        return (option->activeSubControls & sc) && (option->state & State_MouseOver);
    };
    for (const auto& [rect, sc, arrow] :
         {std::tuple{subLine, SC_ScrollBarSubLine, horizontal ? PE_IndicatorArrowLeft : PE_IndicatorArrowUp},
          std::tuple{addLine, SC_ScrollBarAddLine,
                     horizontal ? PE_IndicatorArrowRight : PE_IndicatorArrowDown}}) {
        if (rect.isEmpty())
            continue;
        drawFace(painter, rect, pressed(sc), hover(sc), enabled, colour(skin_.buttonTop),
                 colour(skin_.buttonBottom));
        QStyleOption arrowOption(*option);
        arrowOption.rect = rect.adjusted(3, 3, -3, -3);
        arrowOption.palette.setColor(QPalette::ButtonText, colour(skin_.buttonText));
        arrowOption.palette.setColor(QPalette::WindowText, colour(skin_.buttonText));
        QProxyStyle::drawPrimitive(arrow, &arrowOption, painter, widget);
    }
    if (!slider.isEmpty() && (option->subControls & SC_ScrollBarSlider)) {
        const QColor handle = colour(skin_.highlight);
        drawFace(painter, slider, pressed(SC_ScrollBarSlider), hover(SC_ScrollBarSlider), enabled,
                 shade(handle, 20), shade(handle, -15));
    }
}

void SkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
    if (control == CC_ScrollBar) {
        if (const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
            drawScrollBar(slider, painter, widget);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

} // namespace orvu
