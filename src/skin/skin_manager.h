// Purpose: the skin engine's settings object: the current skin, tinting, menu opacity and window effects.
#pragma once

#include <QObject>
#include <QPalette>
#include <QString>

#include <array>

namespace orvu {

// One object owns the look of every window and tells them when it changes. Once a skin is chosen it
// styles the whole application: every change of skin, tint or menu opacity installs a freshly built
// style and palette, which Qt hands to every open window at once; the object's end gives back the look
// the application had before it.
class SkinManager : public QObject {
    Q_OBJECT

public:
    static constexpr int skinCount = 10;
    // The internal skins, selected by index 0..9.
    static const std::array<QString, skinCount>& internalSkinNames();

    explicit SkinManager(QObject* parent = nullptr);
    ~SkinManager() override;

    // The row of the current skin among the internal skins, -1 when the name is none of them.
    int skinIndex() const;

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
    void apply();

    QString skinName_;
    bool styling_ = false; // the application wears this object's style
    QString previousStyle_;
    QPalette previousPalette_;
    int hueOffset_ = 0;
    int saturation_ = 0;
    int menuOpacity_ = 255;
    bool extendedBorders_ = true;
    bool blendOnMoving_ = false;
    bool minimizing_ = true;
};

} // namespace orvu
