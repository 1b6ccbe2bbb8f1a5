// Purpose: the skin engine's settings object: the current skin, tinting, menu opacity and window effects.
#include "skin/skin_manager.h"

#include "skin/skin_style.h"
#include "skin/skins.h"
#include "skin/window_effects.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>

namespace orvu {

const std::array<QString, SkinManager::skinCount>& SkinManager::internalSkinNames() {
    static const std::array<QString, skinCount> names = {
        QStringLiteral("Android OS (internal)"),      QStringLiteral("Cold (internal)"),
        QStringLiteral("Garnet (internal)"),          QStringLiteral("Cappuccino (internal)"),
        QStringLiteral("Office2007 Blue (internal)"), QStringLiteral("TV-b (internal)"),
        QStringLiteral("Beijing (internal)"),         QStringLiteral("MetroUI (internal)"),
        QStringLiteral("notes wood (internal)"),      QStringLiteral("fm (internal)"),
    };
    return names;
}

SkinManager::SkinManager(QObject* parent)
    : QObject(parent)
    , skinName_(internalSkinNames()[2]) {
    // The values are settings first: the look follows them from the first change on (start-up applies
    // the skin), so an object that is only created leaves the application as it is.
    connect(this, &SkinManager::changed, this, &SkinManager::apply);
}

SkinManager::~SkinManager() {
    if (!styling_ || !qApp)
        return;
    QApplication::setStyle(previousStyle_);
    QApplication::setPalette(previousPalette_);
}

int SkinManager::skinIndex() const {
    const auto& names = internalSkinNames();
    const auto found = std::find(names.begin(), names.end(), skinName_);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

void SkinManager::apply() {
    const int index = skinIndex();
    if (index < 0 || !qApp)
        return; // a name that is no internal skin keeps the current look
    if (!styling_) {
        previousStyle_ = QApplication::style()->name();
        previousPalette_ = QApplication::palette();
        styling_ = true;
    }
    // A new style object per look: installing it makes Qt unpolish and polish every widget and repaint
    // every window, which is what carries metrics and menu opacity along with the colours. The palette
    // is set after it, so that it stands above any palette a widget inherits.
    const Skin skin = skins()[static_cast<std::size_t>(index)].tinted(hueOffset_, saturation_);
    SkinEffects effects;
    effects.menuOpacity = menuOpacity_;
    effects.windowEffects = WindowEffects::platformSupportsOpacity();
    effects.blendOnMoving = blendOnMoving_;
    effects.minimizing = minimizing_;
    effects.extendedBorders = extendedBorders_;
    auto* style = new SkinStyle(skin, effects);
    const QPalette palette = style->skinPalette();
    QApplication::setStyle(style);
    QApplication::setPalette(palette);
}

namespace {
template <class T>
bool assign(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}
} // namespace

void SkinManager::setSkinName(const QString& name) {
    // The first skin set takes effect even when it is the one the object starts with: start-up's
    // apply-skin step must dress the windows whatever the stored skin.
    if (assign(skinName_, name) || !styling_)
        Q_EMIT changed();
}
void SkinManager::setHueOffset(int value) {
    if (assign(hueOffset_, value))
        Q_EMIT changed();
}
void SkinManager::setSaturation(int value) {
    if (assign(saturation_, value))
        Q_EMIT changed();
}
void SkinManager::setMenuOpacity(int value) {
    if (assign(menuOpacity_, value & 0xFF))
        Q_EMIT changed();
}
void SkinManager::setExtendedBorders(bool on) {
    if (assign(extendedBorders_, on))
        Q_EMIT changed();
}
void SkinManager::setBlendOnMoving(bool on) {
    if (assign(blendOnMoving_, on))
        Q_EMIT changed();
}
void SkinManager::setMinimizing(bool on) {
    if (assign(minimizing_, on))
        Q_EMIT changed();
}

} // namespace orvu
