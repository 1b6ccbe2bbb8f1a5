// Purpose: tests of where a portable and an installed player find their add-ons, presets and settings.
#include "core/app_locations.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::readBytes;
using orvu::test::TempDir;
using orvu::test::writeBytes;

namespace {

struct LayoutCase {
    const char* name;
    const char* executableDir; // under the temporary root
    const char* makeDir;       // made under the root first (nullptr: none)
    bool writable;
    const char* appDir;      // expected, under the root
    const char* addOnDir;    // expected, under the root
    const char* settingsDir; // expected: under the root, or "CONFIG/..." for the configuration home
    bool installed;
};

const LayoutCase layoutCases[] = {
    // The build tree or an unpacked folder keeps everything beside the executable.
    {"portable", "app/", nullptr, true, "app/", "app/", "app/", false},
    // A portable copy that cannot write beside itself keeps its settings in the user's directory.
    {"read-only portable", "app/", nullptr, false, "app/", "app/", "CONFIG/orvu/", false},
    // bin/ beside share/orvu/ is an installed copy, even when bin/ is writable (a prefix in $HOME).
    {"installed", "usr/bin/", "usr/share/orvu", true, "usr/share/orvu/", "usr/lib/orvu/", "CONFIG/orvu/",
     true},
    {"installed read-only", "usr/bin/", "usr/share/orvu", false, "usr/share/orvu/", "usr/lib/orvu/",
     "CONFIG/orvu/", true},
    // A folder named bin without the installed data beside it is just a folder.
    {"bin without share", "usr/bin/", nullptr, true, "usr/bin/", "usr/bin/", "usr/bin/", false},
};

} // namespace

// Each layout resolves to its add-on, preset and settings directories.
TEST(AppLocations, PortableAndInstalledLayouts) {
    for (const LayoutCase& c : layoutCases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        const QString base = root.path() + u'/';
        if (c.makeDir) {
            ASSERT_TRUE(QDir().mkpath(base + QString::fromLatin1(c.makeDir)));
        }
        const QString executableDir = base + QString::fromLatin1(c.executableDir);
        ASSERT_TRUE(QDir().mkpath(executableDir));
        QStringList asked;
        const AppLocations locations =
            resolveAppLocations(executableDir, u"/home/u/.config"_s, [&](const QString& dir) {
                asked.append(dir);
                return c.writable;
            });
        const auto expected = [&](const char* dir) {
            const QString text = QString::fromLatin1(dir);
            return text.startsWith(u"CONFIG/"_s) ? u"/home/u/.config/"_s + text.mid(7) : base + text;
        };
        EXPECT_EQ(locations.appDir, expected(c.appDir));
        EXPECT_EQ(locations.addOnDir, expected(c.addOnDir));
        EXPECT_EQ(locations.settingsDir, expected(c.settingsDir));
        EXPECT_EQ(locations.installed, c.installed);
        if (!c.installed) {
            EXPECT_EQ(asked, QStringList{executableDir});
        }
    }
}

// The first start in the user's directory makes it and brings along the settings and playlist that lay
// beside the executable; files already there are never overwritten.
TEST(AppLocations, FirstStartMakesTheDirectoryAndLosesNothing) {
    TempDir root;
    const QString executableDir = root.file(u"app/"_s);
    ASSERT_TRUE(QDir().mkpath(executableDir));
    writeBytes(executableDir + u"ORVU.ini"_s, "[Volume]\r\nLevel=42\r\n");
    writeBytes(executableDir + u"Default.orvl"_s, "/music/a.mp3\r\n");
    const AppLocations locations{executableDir, executableDir, root.file(u"config/orvu/"_s), false};

    prepareSettingsDir(locations, executableDir);
    EXPECT_EQ(readBytes(locations.settingsDir + u"ORVU.ini"_s), "[Volume]\r\nLevel=42\r\n");
    EXPECT_EQ(readBytes(locations.settingsDir + u"Default.orvl"_s), "/music/a.mp3\r\n");

    writeBytes(locations.settingsDir + u"ORVU.ini"_s, "[Volume]\r\nLevel=7\r\n");
    writeBytes(executableDir + u"ORVU.ini"_s, "[Volume]\r\nLevel=99\r\n");
    prepareSettingsDir(locations, executableDir);
    EXPECT_EQ(readBytes(locations.settingsDir + u"ORVU.ini"_s), "[Volume]\r\nLevel=7\r\n");

    // A portable copy's settings stay where they are: nothing is made or copied.
    const AppLocations portable{executableDir, executableDir, executableDir, false};
    prepareSettingsDir(portable, executableDir);
    EXPECT_EQ(readBytes(executableDir + u"ORVU.ini"_s), "[Volume]\r\nLevel=99\r\n");
}
