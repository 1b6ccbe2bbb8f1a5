// Purpose: writes tiny tracker modules and MIDI files for the decoder tests: one looped sine sample or
// one flute note, so the decoded output has a known pitch.
#pragma once

#include <string>
#include <vector>

namespace orvu::test {

enum class ModuleKind { Mod, Xm, S3m, It };

// A module named `title` that plays a looped sine sample (32 samples a cycle) on one note at the
// format's middle C for 16 rows (about 1.9 s at speed 6, 125 BPM), then ends.
std::vector<char> makeModule(ModuleKind kind, const std::string& title);

// The pitch that module plays: the middle-C sample rate over 32 samples a cycle.
double moduleToneFrequency(ModuleKind kind);

// The file name extension of a module kind ("mod", "xm" ...).
std::string moduleExtension(ModuleKind kind);

// A Standard MIDI File playing A4 (440 Hz) on a flute for one second at 120 BPM.
std::vector<char> makeMidi();

// Writes bytes to path, replacing the file.
void writeFile(const std::string& path, const std::vector<char>& bytes);

} // namespace orvu::test
