// Purpose: where the player's files are: its add-ons, its presets and the directory that holds its
// settings and default playlist, for a portable copy and for an installed one.
#pragma once

#include <QString>

#include <functional>

namespace orvu {

// Every directory ends in '/'.
struct AppLocations {
    QString appDir;      // presets/ is found here: the executable's directory, or share/orvu/ installed
    QString addOnDir;    // plugins/ is found here: the executable's directory, or lib/orvu/ installed
    QString settingsDir; // ORVU.ini and Default.orvl
    bool installed = false;
};

// A copy is installed when its executable sits in a bin/ directory beside share/orvu/ (as
// `cmake --install` lays it out); its add-ons then come from lib/orvu/ and its presets from share/orvu/.
// Settings stay beside the executable when that directory is writable and the copy is portable; an
// installed copy, or one whose directory cannot be written, keeps them in configHome/orvu/ (a writable
// prefix such as ~/.local must not collect settings in its bin/).
// executableDir ends in '/'; configHome is $XDG_CONFIG_HOME or its default.
AppLocations resolveAppLocations(const QString& executableDir, const QString& configHome,
                                 const std::function<bool(const QString& dir)>& isWritableDir);

// The same for this process: the user's configuration directory and the file system's permissions.
AppLocations appLocations(const QString& executableDir);

// Makes the settings directory when it is not the executable's, and copies into it the settings and
// default playlist that a copy beside the executable has and it lacks yet, so that a first start there
// loses nothing. Quietly does nothing it cannot do: the close step then reports what it cannot write.
void prepareSettingsDir(const AppLocations& locations, const QString& executableDir);

} // namespace orvu
