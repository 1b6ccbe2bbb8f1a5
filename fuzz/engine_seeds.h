// Purpose: the engine harness's seed inputs: the small audio fixtures and a module of each tracker
// kind and a MIDI file, each behind the byte that picks its file name's extension.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orvu::fuzz {

// {name, input} for every fixture file of fixtureDir up to 128 KiB whose extension the harness knows,
// and the written modules and MIDI file.
std::vector<std::pair<std::string, std::vector<char>>> engineSeeds(const std::string& fixtureDir);

} // namespace orvu::fuzz
