// Purpose: every settings key of "ORVU.ini" with its section, type and default, in the order of writing.
#pragma once

#include "core/settings_file.h"

#include <QString>

#include <array>
#include <cstddef>

namespace orvu {

enum class SettingType { Text, Integer, Boolean };

// The keys in the order the close step writes them, which is also the order of sections and keys
// in a file written for the first time.
enum class Setting : std::size_t {
    SkinName,
    MainWindowLeft,
    MainWindowTop,
    Band1,
    Band2,
    Band3,
    Band4,
    Band5,
    Band6,
    Band7,
    Band8,
    Band9,
    Band10,
    EqualizerPreset,
    EqualizerAutoeq,
    VolumeLevel,
    VisualizationName,
    VisualizationShow,
    VisWindowLeft,
    VisWindowTop,
    VisWindowHeight,
    VisWindowWidth,
    SkinHue,
    SkinSat,
    SkinMenuOpacity,
    SkinBordersShadows,
    SkinBlendMove,
    SkinMinimizeAnim,
    OnOpenStart,
    PlayerModeMode,
    TagbarSpeed,
    Count
};

struct SettingKey {
    const char* section;
    const char* key;
    SettingType type;
    int integerDefault;      // integers and Booleans
    const char* textDefault; // text
    bool centredDefault;     // a window edge whose default centres the window on the screen
};

inline constexpr std::size_t settingCount = static_cast<std::size_t>(Setting::Count);
extern const std::array<SettingKey, settingCount> settingsTable;

const SettingKey& settingKey(Setting setting);
Setting bandSetting(int band); // band 0..9

// Reads a key with the table's default; a centred window edge needs the caller's computed default.
QString readTextSetting(const SettingsFile& file, Setting setting);
int readIntegerSetting(const SettingsFile& file, Setting setting);
int readIntegerSetting(const SettingsFile& file, Setting setting, int defaultValue);
bool readBoolSetting(const SettingsFile& file, Setting setting);

// The value to write for a key, in the file's spelling ("1"/"0" for Booleans).
SettingValue textSettingValue(Setting setting, const QString& value);
SettingValue integerSettingValue(Setting setting, int value);
SettingValue boolSettingValue(Setting setting, bool value);

} // namespace orvu
