// Purpose: a corpus of malformed audio files made from good ones: truncations, byte flips, zeroed
// headers, spliced formats, wrong extensions, empty files, directories and FIFOs with audio names,
// unreadable files and a 2 GB sparse file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvu::test {

struct CorpusEntry {
    std::string path;
    std::string how; // the damage, for messages: "truncated to 64 bytes of sine1k.mp3"
};

// The good files the corpus is made from: one of each stream family among the fixtures of fixtureDir,
// and a module of each tracker kind and a MIDI file written into scratch.
std::vector<std::filesystem::path> corpusSeedFiles(const std::filesystem::path& fixtureDir,
                                                   const std::filesystem::path& scratch);

// Writes the corpus into `directory` (which must exist) from the seed files, deterministically.
std::vector<CorpusEntry> makeMalformedCorpus(const std::vector<std::filesystem::path>& seeds,
                                             const std::filesystem::path& directory);

} // namespace orvu::test
