// Purpose: the skin engine's settings object: the current skin, tinting, menu opacity and window effects.
#include "skin/skin_manager.h"

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
    , skinName_(internalSkinNames()[2]) {}

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
    if (assign(skinName_, name))
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
