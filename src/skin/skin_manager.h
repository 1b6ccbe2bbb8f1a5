// Purpose: the skin engine's settings object: the current skin, tinting, menu opacity and window effects.
#pragma once

#include <QObject>
#include <QString>

#include <array>

namespace orvu {

// One object owns the look of every window and tells them when it changes. The values are kept and
// persisted; drawing with them is the skinned controls' affair.
class SkinManager : public QObject {
    Q_OBJECT

public:
    static constexpr int skinCount = 10;
    // The internal skins, selected by index 0..9.
    static const std::array<QString, skinCount>& internalSkinNames();

    explicit SkinManager(QObject* parent = nullptr);

    const QString& skinName() const { return skinName_; }
    void setSkinName(const QString& name);

    int hueOffset() const { return hueOffset_; }
    void setHueOffset(int value);
    int saturation() const { return saturation_; }
    void setSaturation(int value);
    int menuOpacity() const { return menuOpacity_; }
    void setMenuOpacity(int value); // keeps the low 8 bits
    bool extendedBorders() const { return extendedBorders_; }
    void setExtendedBorders(bool on);
    bool blendOnMoving() const { return blendOnMoving_; }
    void setBlendOnMoving(bool on);
    bool minimizing() const { return minimizing_; }
    void setMinimizing(bool on);

Q_SIGNALS:
    void changed();

private:
    QString skinName_;
    int hueOffset_ = 0;
    int saturation_ = 0;
    int menuOpacity_ = 255;
    bool extendedBorders_ = true;
    bool blendOnMoving_ = false;
    bool minimizing_ = true;
};

} // namespace orvu
