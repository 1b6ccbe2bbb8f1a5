// Purpose: a corpus of malformed audio files made from good ones (see malformed_corpus.h).
#include "hardening/malformed_corpus.h"

#include "support/module_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

namespace orvu::test {
namespace {

using Bytes = std::string;

Bytes readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CorpusWriter {
public:
    explicit CorpusWriter(std::filesystem::path directory)
        : directory_(std::move(directory)) {}

    // A file named after its number, so two damages of one seed never share a name.
    void add(const Bytes& bytes, const std::string& extension, std::string how) {
        const std::string path = next(extension);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        entries_.push_back({path, std::move(how)});
    }
    void addDirectory(const std::string& extension) {
        const std::string path = next(extension);
        std::filesystem::create_directory(path);
        entries_.push_back({path, "a directory named " + extension});
    }
    void addFifo(const std::string& extension) {
        const std::string path = next(extension);
        ::mkfifo(path.c_str(), 0600);
        entries_.push_back({path, "a FIFO named " + extension});
    }
    void addUnreadable(const Bytes& bytes, const std::string& extension, const std::string& seed) {
        add(bytes, extension, "unreadable copy of " + seed);
        ::chmod(entries_.back().path.c_str(), 0);
    }
    // `head` followed by zeros up to `size` bytes that take no disk space.
    void addSparse(const Bytes& head, std::uint64_t size, const std::string& extension, std::string how) {
        add(head, extension, std::move(how));
        ::truncate(entries_.back().path.c_str(), static_cast<off_t>(size));
    }
    std::vector<CorpusEntry> take() { return std::move(entries_); }

private:
    std::string next(const std::string& extension) {
        return (directory_ / ("m" + std::to_string(entries_.size()) + extension)).string();
    }

    std::filesystem::path directory_;
    std::vector<CorpusEntry> entries_;
};

} // namespace

std::vector<std::filesystem::path> corpusSeedFiles(const std::filesystem::path& fixtureDir,
                                                   const std::filesystem::path& scratch) {
    std::vector<std::filesystem::path> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(fixtureDir)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("sine1k") || name == "sine500.spx" || name == "short.mp3")
            seeds.push_back(entry.path());
    }
    for (const ModuleKind kind : {ModuleKind::Mod, ModuleKind::Xm, ModuleKind::S3m, ModuleKind::It}) {
        seeds.push_back(scratch / ("module." + moduleExtension(kind)));
        writeFile(seeds.back().string(), makeModule(kind, "corpus"));
    }
    seeds.push_back(scratch / "tune.mid");
    writeFile(seeds.back().string(), makeMidi());
    std::sort(seeds.begin(), seeds.end());
    return seeds;
}

std::vector<CorpusEntry> makeMalformedCorpus(const std::vector<std::filesystem::path>& seeds,
                                             const std::filesystem::path& directory) {
    CorpusWriter corpus(directory);
    std::mt19937 random(20261210); // fixed: the same corpus on every run
    std::vector<std::string> extensions;
    for (const auto& seed : seeds)
        extensions.push_back(seed.extension().string());

    for (std::size_t i = 0; i < seeds.size(); ++i) {
        const Bytes bytes = readAll(seeds[i]);
        const std::string name = seeds[i].filename().string();
        const std::string& extension = extensions[i];
        const Bytes other = readAll(seeds[(i + 1) % seeds.size()]);
        const std::string& otherExtension = extensions[(i + 1) % seeds.size()];

        // Truncations: inside the header, at its end, and through the audio.
        for (const std::size_t length : {std::size_t{1}, std::size_t{4}, std::size_t{12}, std::size_t{44},
                                         std::size_t{64}, std::size_t{256}, std::size_t{1024}})
            corpus.add(bytes.substr(0, length), extension,
                       "truncated to " + std::to_string(length) + " bytes of " + name);
        for (const int percent : {10, 50, 90, 99})
            corpus.add(bytes.substr(0, bytes.size() * static_cast<std::size_t>(percent) / 100), extension,
                       "truncated to " + std::to_string(percent) + "% of " + name);

        // Byte flips: a few in the header, where parsers trust lengths and counts, and many throughout.
        for (const auto& [count, span] : {std::pair{4, 64}, std::pair{8, 512}, std::pair{16, 4096},
                                          std::pair{64, 0}, std::pair{512, 0}}) {
            Bytes flipped = bytes;
            const std::size_t range =
                span == 0 ? flipped.size() : std::min<std::size_t>(span, flipped.size());
            for (int n = 0; n < count && range > 0; ++n)
                flipped[random() % range] = static_cast<char>(random());
            corpus.add(flipped, extension,
                       std::to_string(count) + " bytes flipped in " +
                           (span == 0 ? "all" : std::to_string(span)) + " bytes of " + name);
        }
        // Header fields at their extremes: every byte of the first 64 set to 0xFF.
        Bytes saturated = bytes;
        std::fill_n(saturated.begin(), std::min<std::size_t>(64, saturated.size()), '\xFF');
        corpus.add(saturated, extension, "first 64 bytes 0xFF in " + name);

        for (const std::size_t length : {std::size_t{16}, std::size_t{512}}) {
            Bytes zeroed = bytes;
            std::fill_n(zeroed.begin(), std::min(length, zeroed.size()), '\0');
            corpus.add(zeroed, extension, "first " + std::to_string(length) + " bytes zeroed in " + name);
        }

        // Spliced formats: this file's header on another's body, and two halves.
        corpus.add(bytes.substr(0, 4096) + other.substr(std::min<std::size_t>(4096, other.size())), extension,
                   "header of " + name + " on the body of the next seed");
        corpus.add(bytes.substr(0, bytes.size() / 2) + other.substr(other.size() / 2), extension,
                   "first half of " + name + ", second half of the next seed");
        // The header repeated inside the stream, as a concatenation of two files would.
        corpus.add(bytes.substr(0, bytes.size() / 3) + bytes, extension,
                   "a third of " + name + " then all of it");

        corpus.add(bytes, otherExtension, name + " under the extension " + otherExtension);
        corpus.add({}, extension, "an empty " + extension + " file");
    }

    const std::vector<std::string> audioNames = {".mp3", ".ogg", ".wav", ".flac", ".mod"};
    for (const std::string& extension : audioNames) {
        corpus.addDirectory(extension);
        corpus.addFifo(extension);
    }
    if (!seeds.empty())
        corpus.addUnreadable(readAll(seeds.front()), extensions.front(), seeds.front().filename().string());

    // 2 GB of zeros behind a real header, and alone.
    constexpr std::uint64_t twoGB = std::uint64_t{2} << 30;
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        if (extensions[i] == ".wav" || extensions[i] == ".mp3") {
            corpus.addSparse(readAll(seeds[i]).substr(0, 4096), twoGB, extensions[i],
                             "2 GB sparse file behind the header of " + seeds[i].filename().string());
        }
    }
    corpus.addSparse({}, twoGB, ".mp3", "2 GB sparse file of zeros");
    return corpus.take();
}

} // namespace orvu::test
