// Purpose: every settings key of "ORVU.ini" with its section, type and default, in the order of writing.
#include "core/settings_keys.h"

namespace orvu {
namespace {

constexpr SettingKey text(const char* section, const char* key, const char* defaultValue) {
    return {section, key, SettingType::Text, 0, defaultValue, false};
}
constexpr SettingKey integer(const char* section, const char* key, int defaultValue) {
    return {section, key, SettingType::Integer, defaultValue, "", false};
}
constexpr SettingKey boolean(const char* section, const char* key, bool defaultValue) {
    return {section, key, SettingType::Boolean, defaultValue ? 1 : 0, "", false};
}
constexpr SettingKey centred(const char* section, const char* key) {
    return {section, key, SettingType::Integer, 0, "", true};
}

QString toQString(const char* latin1) {
    return QString::fromLatin1(latin1);
}

} // namespace

const std::array<SettingKey, settingCount> settingsTable = {{
    text("Skin", "SkinName", "2"),
    centred("MainWindow", "Left"),
    centred("MainWindow", "Top"),
    integer("Equalizer", "Band1", 15),
    integer("Equalizer", "Band2", 15),
    integer("Equalizer", "Band3", 15),
    integer("Equalizer", "Band4", 15),
    integer("Equalizer", "Band5", 15),
    integer("Equalizer", "Band6", 15),
    integer("Equalizer", "Band7", 15),
    integer("Equalizer", "Band8", 15),
    integer("Equalizer", "Band9", 15),
    integer("Equalizer", "Band10", 15),
    integer("Equalizer", "Preset", 0),
    boolean("Equalizer", "Autoeq", false),
    integer("Volume", "Level", 50),
    text("Visualization", "Name", "eli"),
    boolean("Visualization", "Show", false),
    centred("VisWindow", "Left"),
    centred("VisWindow", "Top"),
    integer("VisWindow", "Height", 480),
    integer("VisWindow", "Width", 700),
    integer("Options_Skin", "Hue", 0),
    integer("Options_Skin", "Sat", 0),
    integer("Options_Skin", "MenuOpacity", 255),
    boolean("Options_Skin", "Borders_Shadows", true),
    boolean("Options_Skin", "Blend_Move", false),
    boolean("Options_Skin", "Minimize_Anim", true),
    text("OnOpen", "Start", "Nothing"),
    text("PlayerMode", "Mode", "Normal"),
    integer("Tagbar", "Speed", 100),
}};

const SettingKey& settingKey(Setting setting) {
    return settingsTable[static_cast<std::size_t>(setting)];
}

Setting bandSetting(int band) {
    return static_cast<Setting>(static_cast<std::size_t>(Setting::Band1) + static_cast<std::size_t>(band));
}

QString readTextSetting(const SettingsFile& file, Setting setting) {
    const SettingKey& k = settingKey(setting);
    return file.readString(toQString(k.section), toQString(k.key), toQString(k.textDefault));
}

int readIntegerSetting(const SettingsFile& file, Setting setting) {
    return readIntegerSetting(file, setting, settingKey(setting).integerDefault);
}

int readIntegerSetting(const SettingsFile& file, Setting setting, int defaultValue) {
    const SettingKey& k = settingKey(setting);
    return file.readInteger(toQString(k.section), toQString(k.key), defaultValue);
}

bool readBoolSetting(const SettingsFile& file, Setting setting) {
    const SettingKey& k = settingKey(setting);
    return file.readBool(toQString(k.section), toQString(k.key), k.integerDefault != 0);
}

SettingValue textSettingValue(Setting setting, const QString& value) {
    const SettingKey& k = settingKey(setting);
    return {toQString(k.section), toQString(k.key), value};
}

SettingValue integerSettingValue(Setting setting, int value) {
    return textSettingValue(setting, QString::number(value));
}

SettingValue boolSettingValue(Setting setting, bool value) {
    return textSettingValue(setting, value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace orvu
