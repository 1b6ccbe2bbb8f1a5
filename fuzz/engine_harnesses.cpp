// Purpose: fuzz harnesses of the engine: the tag format language, and a file through open, render,
// seek, tags and free with every format add-on loaded.
#include "harness.h"

#include "engine/engine.h"
#include "engine/tags/tags.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace orvu::fuzz {
namespace {

namespace fs = std::filesystem;

// Each field at most this long, the format too: longer text adds nothing but time.
constexpr std::size_t maxText = 4096;

std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '%' || c == '(' || c == ',' || c == ')')
            out += '%';
        out += c;
    }
    return out;
}

// The engine of the harness: one for the process, with no output thread, every add-on loaded.
engine::Engine& fuzzEngine() {
    static const std::unique_ptr<engine::Engine> instance = [] {
        auto e = std::make_unique<engine::Engine>();
        if (!e->initManual(44100))
            contractBroken("the engine does not initialise");
        e->setConfig(engine::kConfigBuffer, 500);
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(ORVU_PLUGIN_DIR, error)) {
            if (entry.path().extension() == ".so" && e->pluginLoad(entry.path().string(), 0) == 0)
                contractBroken("the add-on " + entry.path().string() + " does not load");
        }
        return e;
    }();
    return *instance;
}

// A file's inputs are capped: the engine's own size limits are checked by the corpus test, the
// harness looks for faults in what decoders make of the bytes.
constexpr std::size_t maxFile = 1 << 20;
constexpr int rate = 44100;

void renderChecked(engine::Engine& e, std::size_t frames, const char* step) {
    static std::vector<float> block(2 * 1024);
    for (std::size_t done = 0; done < frames; done += 1024) {
        e.render(block.data(), 1024);
        for (const float sample : block) {
            if (!std::isfinite(sample))
                contractBroken(std::string("a sample that is not finite while ") + step);
        }
    }
}

} // namespace

void tagFormat(const std::uint8_t* data, std::size_t size) {
    // The format, then the fields in TagFields order, separated by NUL bytes.
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            parts.emplace_back();
        else if (parts.back().size() < maxText)
            parts.back() += static_cast<char>(data[i]);
    }
    parts.resize(std::max<std::size_t>(parts.size(), 3));
    engine::TagFields fields;
    std::string* slots[] = {&fields.title,     &fields.artist,   &fields.album,       &fields.genre,
                            &fields.year,      &fields.comment,  &fields.track,       &fields.composer,
                            &fields.copyright, &fields.subtitle, &fields.albumArtist, &fields.disc,
                            &fields.publisher};
    for (std::size_t i = 1; i < parts.size() && i <= std::size(slots); ++i)
        *slots[i - 1] = parts[i];
    const std::string& format = parts[0];

    const std::string once = engine::formatTags(fields, format);
    if (engine::formatTags(fields, format) != once)
        contractBroken("the same format gives two results");
    if (engine::formatTags(fields, escaped(format)) != format)
        contractBroken("escaped text does not come back as written");
    if (engine::formatTags(fields, "%TITL") != fields.title)
        contractBroken("%TITL is not the title");
    for (const char* function : {"%IUPC(%TITL)", "%ILWC(%TITL)", "%ICAP(%TITL)"}) {
        if (engine::formatTags(fields, function).size() != fields.title.size())
            contractBroken(std::string(function) + " changes the title's length");
    }
    if (fields.title.find(engine::formatTags(fields, "%ITRM(%TITL)")) == std::string::npos)
        contractBroken("%ITRM(%TITL) is not a part of the title");
    const std::string choice = engine::formatTags(fields, "%IFV2(%ARTI,%ALBM,%TITL)");
    if (choice != (fields.artist.empty() ? fields.title : fields.album))
        contractBroken("%IFV2 did not choose by the artist");
}

void engineFile(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > maxFile)
        return;
    const std::string extension = engineExtensions[data[0] % std::size(engineExtensions)];
    static const std::string directory =
        fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string();
    const std::string path = directory + "/orvu-fuzz-" + std::to_string(::getpid()) + "-file." + extension;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
        if (!out)
            contractBroken("cannot write the scratch file " + path);
    }

    struct RemoveAtEnd {
        const std::string& path;
        ~RemoveAtEnd() {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
    } removeAtEnd{path};

    engine::Engine& e = fuzzEngine();
    using namespace engine;
    Handle h = e.streamCreateFile(false, path, 0, 0, kSampleLoop | kSampleFx);
    const bool music = h == 0;
    if (music)
        h = e.musicLoad(false, path, 0, 0, kMusicRamp | kSampleFx | kSampleLoop, 1);
    if (h == 0)
        return;
    const std::int64_t length = e.channelGetLength(h, kPosByte);
    if (length < -1)
        contractBroken("a length below -1: " + std::to_string(length));
    if (!e.channelPlay(h, false))
        contractBroken("an open channel does not play");
    renderChecked(e, rate, "playing");
    if (length > 0)
        e.channelSetPosition(h, static_cast<std::uint64_t>(length / 2) & ~std::uint64_t{3}, kPosByte);
    renderChecked(e, rate / 4, "playing after a seek");
    const std::int64_t position = e.channelGetPosition(h, kPosByte);
    if (position < -1)
        contractBroken("a position below -1: " + std::to_string(position));
    e.tagsRead(h, "%IFV2(%ARTI,%ARTI - ,)%TITL [%ALBM] %YEAR %GNRE %CMNT");
    if (!(music ? e.musicFree(h) : e.streamFree(h)))
        contractBroken("an open channel is not freed");
    if (e.channelIsActive(h) != 0 || e.channelPlay(h, false) || e.channelGetLength(h, kPosByte) != -1)
        contractBroken("a freed handle is still served");
    renderChecked(e, 1024, "rendering after the free");
}

} // namespace orvu::fuzz
