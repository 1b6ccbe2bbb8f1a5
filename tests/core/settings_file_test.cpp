// Purpose: the settings file behaves like a Windows INI file and never loses or half-writes it.
#include "core/player_error.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "support/error_message.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::errorMessageOf;
using orvu::test::readBytes;
using orvu::test::TempDir;
using orvu::test::writeBytes;

namespace {

struct IntegerCase {
    const char* text;
    std::optional<int> expected;
};

// Integers are decimal or 0x-hexadecimal; every other spelling has no value, so the default applies.
TEST(ParseIniInteger, AcceptsDecimalAndHexadecimalOnly) {
    const IntegerCase cases[] = {
        {"15", 15},
        {"-4", -4},
        {"+7", 7},
        {" 42 ", 42},
        {"0x1F", 31},
        {"0XfF", 255},
        {"-0x10", -16},
        {"0xFFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"", std::nullopt},
        {"12abc", std::nullopt},
        {"x", std::nullopt},
        {"0x", std::nullopt},
        {"1.5", std::nullopt},
        {"2147483648", std::nullopt},
        {"0x100000000", std::nullopt},
        {"- 3", std::nullopt},
        {"１２", std::nullopt},
    };
    for (const IntegerCase& c : cases)
        EXPECT_EQ(parseIniInteger(QString::fromUtf8(c.text)), c.expected) << c.text;
}

class SettingsFileTest : public ::testing::Test {
protected:
    TempDir dir;
    QString path = dir.file(QStringLiteral("ORVU.ini"));
    SettingsFile settings{path};

    void write(const char* text) { writeBytes(path, QByteArray(text)); }
    QByteArray bytes() const { return readBytes(path); }
};

void expectUnableToWrite(SettingsFile& settings) {
    EXPECT_EQ(errorMessageOf([&] { settings.writeInteger(u"Volume"_s, u"Level"_s, 99); }),
              u"Unable to write to "_s + settings.path());
}

// Reads match names without regard to case, trim spaces, skip comments and fall back to defaults.
TEST_F(SettingsFileTest, ReadsValuesLikeWindowsIniFiles) {
    write("; a comment\r\n"
          "[Volume]\r\n"
          "Level = 250\r\n"
          "[ equalizer ]\r\n"
          "BAND3=-4\r\n"
          "Band4=abc\r\n"
          "Band5=0x10\r\n"
          "Band5=99\r\n"
          ";Band6=3\r\n"
          "[Options_Skin]\n"
          "Borders_Shadows=0\n"
          "Blend_Move=7\n"
          "Minimize_Anim=\n"
          "[Skin]\r\n"
          "SkinName=  Deep Blue  \r\n"
          "[skin]\r\n"
          "Other=1\r\n"
          "[Quoted]\r\n"
          "Mode=\"Simple\"\r\n"
          "Level = \"80\" \r\n"
          "Padded=\" two words \"\r\n"
          "Single='Open'\r\n"
          "Inner=\"\"x\"\"\r\n"
          "Mixed=\"Play'\r\n"
          "Open=\"Play\r\n"
          "Alone=\"\r\n"
          "Empty=\"\"\r\n"
          "Middle=a \"b\" c\r\n");
    EXPECT_EQ(settings.readInteger(u"volume"_s, u"LEVEL"_s, 50), 250);
    EXPECT_EQ(settings.readInteger(u"Equalizer"_s, u"Band3"_s, 15), -4);
    EXPECT_EQ(settings.readInteger(u"Equalizer"_s, u"Band4"_s, 15), 15);
    EXPECT_EQ(settings.readInteger(u"Equalizer"_s, u"Band5"_s, 15), 16); // the first of duplicates
    EXPECT_EQ(settings.readInteger(u"Equalizer"_s, u"Band6"_s, 15), 15); // commented out
    EXPECT_EQ(settings.readInteger(u"Equalizer"_s, u"Band7"_s, 15), 15); // missing key
    EXPECT_EQ(settings.readInteger(u"Tagbar"_s, u"Speed"_s, 100), 100);  // missing section
    EXPECT_FALSE(settings.readBool(u"Options_Skin"_s, u"Borders_Shadows"_s, true));
    EXPECT_TRUE(settings.readBool(u"Options_Skin"_s, u"Blend_Move"_s, false));
    EXPECT_TRUE(settings.readBool(u"Options_Skin"_s, u"Minimize_Anim"_s, true)); // empty: default
    EXPECT_EQ(settings.readString(u"Skin"_s, u"SkinName"_s, u"2"_s), u"Deep Blue"_s);
    EXPECT_EQ(settings.readString(u"Skin"_s, u"Other"_s, u"d"_s), u"d"_s); // only the first [Skin] counts
    // One pair of matching quotes around the trimmed value is taken off, and only that.
    const std::pair<const char*, const char*> quoted[] = {
        {"Mode", "Simple"}, {"Level", "80"},         {"Padded", " two words "}, {"Single", "Open"},
        {"Inner", "\"x\""}, {"Mixed", "\"Play'"},    {"Open", "\"Play"},        {"Alone", "\""},
        {"Empty", ""},      {"Middle", "a \"b\" c"},
    };
    for (const auto& [key, expected] : quoted)
        EXPECT_EQ(settings.readString(u"Quoted"_s, QString::fromUtf8(key), u"d"_s),
                  QString::fromUtf8(expected))
            << key;
    EXPECT_EQ(settings.readInteger(u"Quoted"_s, u"Level"_s, 50), 80);
}

// Without a settings file every key reads as its default from the key table.
TEST_F(SettingsFileTest, MissingFileGivesTableDefaults) {
    EXPECT_EQ(readTextSetting(settings, Setting::SkinName), u"2"_s);
    EXPECT_EQ(readIntegerSetting(settings, Setting::Band7), 15);
    EXPECT_EQ(readIntegerSetting(settings, Setting::VolumeLevel), 50);
    EXPECT_EQ(readIntegerSetting(settings, Setting::SkinMenuOpacity), 255);
    EXPECT_EQ(readIntegerSetting(settings, Setting::MainWindowLeft, 548), 548);
    EXPECT_TRUE(readBoolSetting(settings, Setting::SkinBordersShadows));
    EXPECT_FALSE(readBoolSetting(settings, Setting::VisualizationShow));
    EXPECT_EQ(readTextSetting(settings, Setting::PlayerModeMode), u"Normal"_s);
    EXPECT_FALSE(QFile::exists(path)); // reading never creates the file
}

// Text values are read up to 2,047 characters.
TEST_F(SettingsFileTest, TextIsReadUpTo2047Characters) {
    const QByteArray exact(2047, 'a');
    write("[Skin]\r\nA=" + exact + "\r\nB=" + exact + "bc\r\n");
    EXPECT_EQ(settings.readString(u"Skin"_s, u"A"_s, {}).toLatin1(), exact);
    EXPECT_EQ(settings.readString(u"Skin"_s, u"B"_s, {}).toLatin1(), exact);
}

// Writing replaces values in place, adds keys at the end of their section and sections at the end of
// the file, and keeps every line it does not own byte for byte with its own line end; the lines it
// writes end in CR LF.
TEST_F(SettingsFileTest, WritesInPlaceAndKeepsUnknownLines) {
    write("; ORVU settings\n"
          "[Volume]\n"
          "level=20\n"
          "Unknown=keep me\n"
          "\r\n"
          "; about the next section\n"
          "[Other]\n"
          "x = 1");
    settings.writeInteger(u"Volume"_s, u"Level"_s, 80);
    settings.writeBool(u"Volume"_s, u"Muted"_s, true);
    settings.writeString(u"Tagbar"_s, u"Speed"_s, u"100"_s);
    EXPECT_EQ(bytes(), QByteArray("; ORVU settings\n"
                                  "[Volume]\n"
                                  "Level=80\r\n"
                                  "Unknown=keep me\n"
                                  "Muted=1\r\n"
                                  "\r\n"
                                  "; about the next section\n"
                                  "[Other]\n"
                                  "x = 1\r\n"
                                  "[Tagbar]\r\n"
                                  "Speed=100\r\n"));
    EXPECT_EQ(settings.readInteger(u"VOLUME"_s, u"level"_s, 0), 80);
}

// A UTF-16 settings file with its byte-order mark is read and written as UTF-16, both byte orders;
// one whose text does not survive decoding is refused, not rewritten.
TEST_F(SettingsFileTest, Utf16FilesStayUtf16) {
    for (const auto order : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        QStringEncoder encoder(order);
        const QByteArray mark = order == QStringConverter::Utf16LE ? "\xFF\xFE" : "\xFE\xFF";
        writeBytes(path, mark + QByteArray(encoder(u"; Grüße\n[Volume]\r\nLevel=20\n"_s)));
        EXPECT_EQ(settings.readInteger(u"Volume"_s, u"Level"_s, 50), 20);
        settings.writeInteger(u"Volume"_s, u"Level"_s, 80);
        EXPECT_EQ(bytes(), mark + QByteArray(encoder(u"; Grüße\n[Volume]\r\nLevel=80\r\n"_s)));
    }
    const QByteArray broken("\xFF\xFE[\0V\0]\0\n\0\x00\xD8\n\0", 14); // a lone surrogate
    writeBytes(path, broken);
    expectUnableToWrite(settings);
    EXPECT_EQ(bytes(), broken);
}

// A first write of every key creates the sections and keys in the order of the key table.
TEST_F(SettingsFileTest, NewFileFollowsTheKeyTableOrder) {
    std::vector<SettingValue> values;
    for (std::size_t i = 0; i < settingCount; ++i) {
        const auto setting = static_cast<Setting>(i);
        values.push_back(settingKey(setting).type == SettingType::Text
                             ? textSettingValue(setting, QString::fromLatin1(settingKey(setting).textDefault))
                             : integerSettingValue(setting, settingKey(setting).integerDefault));
    }
    settings.writeValues(values);
    EXPECT_EQ(bytes(),
              QByteArray("[Skin]\r\nSkinName=2\r\n"
                         "[MainWindow]\r\nLeft=0\r\nTop=0\r\n"
                         "[Equalizer]\r\nBand1=15\r\nBand2=15\r\nBand3=15\r\nBand4=15\r\nBand5=15\r\n"
                         "Band6=15\r\nBand7=15\r\nBand8=15\r\nBand9=15\r\nBand10=15\r\n"
                         "Preset=0\r\nAutoeq=0\r\n"
                         "[Volume]\r\nLevel=50\r\n"
                         "[Visualization]\r\nName=eli\r\nShow=0\r\n"
                         "[VisWindow]\r\nLeft=0\r\nTop=0\r\nHeight=480\r\nWidth=700\r\n"
                         "[Options_Skin]\r\nHue=0\r\nSat=0\r\nMenuOpacity=255\r\n"
                         "Borders_Shadows=1\r\nBlend_Move=0\r\nMinimize_Anim=1\r\n"
                         "[OnOpen]\r\nStart=Nothing\r\n"
                         "[PlayerMode]\r\nMode=Normal\r\n"
                         "[Tagbar]\r\nSpeed=100\r\n"));
}

// A value with a line break cannot inject lines into the file.
TEST_F(SettingsFileTest, LineBreaksInValuesStayOnOneLine) {
    settings.writeString(u"Skin"_s, u"SkinName"_s, u"3\r\n[Volume]\nLevel=0"_s);
    EXPECT_EQ(settings.readInteger(u"Volume"_s, u"Level"_s, 50), 50);
}

// A read-only settings file refuses the write and stays byte for byte as it was, even for root.
TEST_F(SettingsFileTest, ReadOnlyFileIsLeftUntouched) {
    const QByteArray old("[Volume]\nLevel=20\n");
    writeBytes(path, old);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    expectUnableToWrite(settings);
    EXPECT_EQ(bytes(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"ORVU.ini"_s}); // no stray temp file
}

// A directory that cannot take new files refuses the write.
TEST_F(SettingsFileTest, UnwritableDirectoryRaisesTheError) {
    writeBytes(dir.file(u"plain"_s), "not a directory");
    SettingsFile underFile(dir.file(u"plain/ORVU.ini"_s));
    expectUnableToWrite(underFile);

    if (::geteuid() == 0)
        return; // root writes into read-only directories; the case above covers it
    const QString locked = dir.file(u"locked"_s);
    QDir().mkdir(locked);
    writeBytes(locked + u"/ORVU.ini"_s, "[Volume]\nLevel=20\n");
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    SettingsFile inLocked(locked + u"/ORVU.ini"_s);
    expectUnableToWrite(inLocked);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readBytes(locked + u"/ORVU.ini"_s), QByteArray("[Volume]\nLevel=20\n"));
}

// A path that is a directory reads as defaults and cannot be written.
TEST_F(SettingsFileTest, DirectoryInPlaceOfTheFile) {
    QDir().mkdir(path);
    EXPECT_EQ(settings.readInteger(u"Volume"_s, u"Level"_s, 50), 50);
    expectUnableToWrite(settings);
}

} // namespace
