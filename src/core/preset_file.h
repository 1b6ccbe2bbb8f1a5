// Purpose: the equalizer presets: the preset list, where a preset file is found, and its ten gain lines.
#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace orvu {

// The preset list in its order: twelve presets with a file each, then "Other", which stands for the
// user's own slider settings and has no file.
inline constexpr int presetCount = 13;
inline constexpr int presetOther = 12;
const std::array<QString, presetCount>& presetNames();

// The first preset whose name equals the whole text, letter case aside; -1 when none does. Nothing is
// trimmed and nothing matches in part: "Rock " and "Rock, Pop" name no preset.
int presetIndexOf(const QString& text);

// The preset file of a name: "presets/<name>.dat" as written, relative to the current directory, when a
// file (anything but a directory) is there, otherwise the same under appDir (ends in '/'), so a player
// started from another directory still finds the files beside it; empty when neither holds one.
QString findPresetFile(const QString& name, const QString& appDir);

// The lines of a preset file, split at CR LF, LF or CR. A last line without a line break is a line, an
// empty line is a line, and the text ends at its first NUL byte. Raises PlayerError
// "Cannot open file "<path>". <reason>".
QStringList readPresetFile(const QString& path);

// The gain of one line: a decimal integer, optionally signed, after optional leading blanks. Raises
// PlayerError "'<line>' is not a valid integer value" for anything else, or a value beyond 32 bits.
int presetGain(const QString& line);

// The band slider position that gives a gain (position 0 is +15 dB, 30 is -15 dB), clamped into the
// slider's range: 20 dB gives 0, -20 dB gives 30.
int bandPositionForGain(int gain);

} // namespace orvu
