// Purpose: the skin drawn through Qt's style machinery: Fusion's layout with the skin's faces, outlines,
// grooves, handles and palette.
#pragma once

#include "skin/skins.h"

#include <QProxyStyle>

class QStyleOptionSlider;

namespace orvu {

// What a skin does beside its colours and shapes.
struct SkinEffects {
    int menuOpacity = 255;       // 0..255, applied to pop-up menus when they are polished
    bool windowEffects = false;  // top-level windows and dialogs fade in and out
    bool blendOnMoving = false;  // ... and turn translucent while moved
    bool minimizing = true;      // ... and shrink away when minimized
    bool extendedBorders = true; // the skin's frames are bevelled and cast a shadow, and dialogs that
                                 // keep the platform's frame get a bevelled rim inside it
};

// Draws every standard control the windows use (buttons, tool buttons, scroll bars and the band sliders,
// edit and combo boxes, check boxes, frames of lists and panels, menus) from one tinted skin. A style
// is built per skin and tint: changing the look installs a new one, so Qt repolishes every widget.
class SkinStyle : public QProxyStyle {
    Q_OBJECT

public:
    // skin: already tinted.
    SkinStyle(const Skin& skin, const SkinEffects& effects);

    const Skin& skin() const { return skin_; }
    bool extendedBorders() const { return effects_.extendedBorders; }

    // Marks a label as a time display: every skin gives it its own digits' colour, glow and typeface,
    // at the largest size up to the label's current one at which "00:00" fits in fitWidth pixels.
    static void markTimeDisplay(QWidget* label, int fitWidth);
    // Marks a window whose captions take the skin's typeface, each at its own size and weight. Under a
    // skin whose typeface would cut a caption the window had room for in its own font (a label, a
    // button, a check box, a tab, a combo box's or a list's entry), the whole window keeps its own font:
    // its controls sit at fixed places, and one font per window reads better than a mix. Call it after
    // giving the window its own font, if it has one.
    static void takeSkinTypeface(QWidget* window);
    // Whether every caption of the window fits its place in `font` wherever it fits in the window's
    // font as it is.
    static bool captionsFit(const QWidget* window, const QFont& font);
    // The palette every window takes under this skin.
    QPalette skinPalette() const;

    QPalette standardPalette() const override;
    void polish(QPalette& palette) override;
    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

protected:
    // Dialogs that keep the platform's frame: paints the skin's rim inside it before the dialog paints.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A raised face (button, handle) in rect: the skin's shape, sunken when pressed.
    void drawFace(QPainter* painter, const QRectF& rect, bool sunken, bool hovered, bool enabled,
                  const QColor& top, const QColor& bottom) const;
    // The button picture re-coloured in the skin's button text colour: any picture the windows give a
    // button becomes a glyph of the skin, at the painter's device pixel ratio so it stays crisp.
    QIcon tintedIcon(const QIcon& icon, const QSize& size, qreal ratio, bool enabled) const;
    void polishTimeDisplay(QWidget* label, int fitWidth) const;
    void polishTypeface(QWidget* window) const;
    void drawScrollBar(const QStyleOptionSlider* option, QPainter* painter, const QWidget* widget) const;

    Skin skin_;
    SkinEffects effects_;
};

} // namespace orvu
