// Purpose: the format registry (core families plus loaded add-ons) and the entry point that opens a
// stream through an add-on's own decoder or through FFmpeg.
#include "engine/formats/formats.h"

#include "engine/formats/family_table.h"
#include "engine/formats/ffmpeg_decoder.h"
#include "engine/formats/plugin_api.h"
#include "engine/formats/regular_file.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>

namespace orvu::engine {

namespace {

struct LibraryCloser {
    void operator()(void* handle) const { dlclose(handle); }
};

// One loaded add-on. Decoders it opened hold a reference, so the library stays mapped while they live.
struct LoadedAddon {
    std::unique_ptr<void, LibraryCloser> library;
    const OrvuAddon* addon = nullptr;
    dev_t device = 0;
    ino_t inode = 0;

    bool decodesItself() const { return addon->open != nullptr; }
};

std::uint64_t coreFamilies() {
    std::uint64_t mask = 0;
    const auto table = formats::families();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].core)
            mask |= std::uint64_t{1} << i;
    return mask;
}

// A stream decoded by an add-on's own functions.
class AddonDecoder final : public Decoder {
public:
    AddonDecoder(std::shared_ptr<const LoadedAddon> owner, void* handle, const OrvuAddonStreamInfo& info)
        : owner_(std::move(owner))
        , handle_(handle)
        , info_(info) {}
    ~AddonDecoder() override { owner_->addon->close(handle_); }
    AddonDecoder(const AddonDecoder&) = delete;
    AddonDecoder& operator=(const AddonDecoder&) = delete;

    int sampleRate() const override { return info_.sample_rate; }
    int channels() const override { return info_.channels; }
    std::uint32_t ctype() const override { return owner_->addon->ctype; }
    std::uint32_t origres() const override { return info_.origres; }
    std::int64_t lengthFrames() const override { return info_.length_frames; }
    std::size_t read(float* out, std::size_t frames) override {
        return owner_->addon->read(handle_, out, frames);
    }
    bool seek(std::int64_t frame) override {
        if (frame < 0 || (info_.length_frames >= 0 && frame > info_.length_frames))
            return false;
        return owner_->addon->seek(handle_, frame) == 0;
    }

private:
    std::shared_ptr<const LoadedAddon> owner_;
    void* handle_;
    OrvuAddonStreamInfo info_;
};

} // namespace

struct FormatRegistry::State {
    std::uint64_t families = coreFamilies(); // bit i: formats::families()[i] may open
    std::vector<std::shared_ptr<const LoadedAddon>> addons;
};

FormatRegistry::FormatRegistry()
    : state_(std::make_shared<const State>()) {}
FormatRegistry::~FormatRegistry() = default;
FormatRegistry::FormatRegistry(const FormatRegistry&) = default;
FormatRegistry& FormatRegistry::operator=(const FormatRegistry&) = default;

bool FormatRegistry::loadPlugin(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    for (const auto& loaded : state_->addons)
        if (loaded->device == info.st_dev && loaded->inode == info.st_ino)
            return false;

    auto loaded = std::make_shared<LoadedAddon>();
    loaded->device = info.st_dev;
    loaded->inode = info.st_ino;
    // RTLD_NODELETE: an add-on's own libraries (FluidSynth, and GLib under it) keep process-wide state
    // that is not safe to unmap, so a library stays mapped once loaded; dlclose only drops the reference.
    loaded->library.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
    if (!loaded->library)
        return false;
    auto entry = reinterpret_cast<OrvuAddonEntryFn>(dlsym(loaded->library.get(), ORVU_ADDON_ENTRY_SYMBOL));
    if (!entry)
        return false;
    const OrvuAddon* addon = entry();
    if (!addon || addon->abi != ORVU_ADDON_ABI || !addon->name || !addon->families)
        return false;
    const bool anyDecoderFn = addon->open || addon->info || addon->read || addon->seek || addon->close;
    const bool allDecoderFns = addon->open && addon->info && addon->read && addon->seek && addon->close;
    if (anyDecoderFn && !allDecoderFns)
        return false;
    // The same add-on under another path (a copy) would decode the same families twice.
    for (const auto& other : state_->addons)
        if (std::string_view(other->addon->name) == addon->name)
            return false;
    loaded->addon = addon;

    auto next = std::make_shared<State>(*state_);
    for (const char* const* family = addon->families; *family; ++family) {
        const int index = formats::familyIndex(*family);
        if (index >= 0)
            next->families |= std::uint64_t{1} << index;
    }
    next->addons.push_back(std::move(loaded));
    state_ = std::move(next);
    return true;
}

bool FormatRegistry::hasFamily(std::string_view family) const {
    const int index = formats::familyIndex(family);
    return index >= 0 && (state_->families >> index & 1u);
}

std::vector<std::string> FormatRegistry::pluginNames() const {
    std::vector<std::string> names;
    for (const auto& loaded : state_->addons)
        names.emplace_back(loaded->addon->name);
    return names;
}

std::unique_ptr<Decoder> openStreamDecoder(const std::string& path, const FormatRegistry& formats) {
    const auto state = formats.state_; // this open's snapshot, whatever loads meanwhile
    // The one check of the path; from here on every reader reads this descriptor.
    RegularFile file = openRegularFile(path);
    if (!file.fd)
        return nullptr;
    // Add-ons that decode by themselves recognise their files by the first bytes; FFmpeg gets the rest.
    unsigned char head[ORVU_ADDON_HEAD_BYTES];
    std::size_t headSize = 0;
    bool headRead = false;
    for (const auto& loaded : state->addons) {
        if (!loaded->decodesItself())
            continue;
        if (!headRead) {
            headSize = readAt(file.fd.get(), head, sizeof head, 0);
            headRead = true;
        }
        void* handle = loaded->addon->open(file.fd.get(), file.size, head, headSize);
        if (!handle)
            continue;
        OrvuAddonStreamInfo info{};
        if (loaded->addon->info(handle, &info) != 0 || info.sample_rate <= 0 || info.channels < 1 ||
            info.channels > 8) {
            loaded->addon->close(handle);
            continue;
        }
        return std::make_unique<AddonDecoder>(loaded, handle, info);
    }
    return formats::openFfmpegDecoder(std::move(file.fd), state->families);
}

} // namespace orvu::engine
