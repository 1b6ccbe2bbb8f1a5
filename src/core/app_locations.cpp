// Purpose: where the player's files are: its add-ons, its presets and the directory that holds its
// settings and default playlist, for a portable copy and for an installed one.
#include "core/app_locations.h"

#include "core/path_bytes.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvu {
namespace {

const QString settingsFiles[] = {QStringLiteral("ORVU.ini"), QStringLiteral("Default.orvl")};

QString withSlash(const QString& dir) {
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

} // namespace

AppLocations resolveAppLocations(const QString& executableDir, const QString& configHome,
                                 const std::function<bool(const QString& dir)>& isWritableDir) {
    AppLocations locations{executableDir, executableDir, executableDir, false};
    const QString binDir = QDir::cleanPath(executableDir);
    if (QFileInfo(binDir).fileName() == u"bin") {
        const QString prefix = withSlash(QDir::cleanPath(binDir + QStringLiteral("/..")));
        if (QFileInfo(prefix + QStringLiteral("share/orvu")).isDir()) {
            locations.installed = true;
            locations.appDir = prefix + QStringLiteral("share/orvu/");
            locations.addOnDir = prefix + QStringLiteral("lib/orvu/");
        }
    }
    if (locations.installed || !isWritableDir(executableDir))
        locations.settingsDir = withSlash(configHome) + QStringLiteral("orvu/");
    return locations;
}

AppLocations appLocations(const QString& executableDir) {
    return resolveAppLocations(executableDir,
                               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
                               [](const QString& dir) { return QFileInfo(dir).isWritable(); });
}

void prepareSettingsDir(const AppLocations& locations, const QString& executableDir) {
    if (locations.settingsDir == executableDir)
        return;
    if (!QDir().mkpath(locations.settingsDir))
        return;
    for (const QString& name : settingsFiles) {
        const QString target = locations.settingsDir + name;
        const QString source = executableDir + name;
        if (!QFileInfo::exists(target) && isRegularFile(source))
            copyFile(source, target);
    }
}

} // namespace orvu
