// Purpose: tracker modules (MOD, XM, S3M, IT, MTM, UMX, MO3 ...) through libopenmpt, as stereo float at
// 44100 Hz with the length always known.
#include "engine/engine_types.h"
#include "engine/formats/formats.h"
#include "engine/formats/regular_file.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <ostream>
#include <streambuf>
#include <vector>

namespace orvu::engine {

namespace {

constexpr int kMusicRate = 44100;
constexpr int kMusicChannels = 2;
// Larger files are not tracker modules anyone plays; refusing them bounds the memory an open takes.
constexpr std::size_t kMaxModuleBytes = 256 * 1024 * 1024;

// Swallows libopenmpt's log, which would otherwise go to stderr from the decode thread.
class NullBuffer final : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

std::ostream& nullLog() {
    static NullBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}

std::uint32_t musicType(const openmpt::module& module) {
    const std::string type = module.get_metadata("type");
    std::uint32_t ctype = kCtypeMusicMod;
    if (type == "mtm")
        ctype = kCtypeMusicMtm;
    else if (type == "s3m")
        ctype = kCtypeMusicS3m;
    else if (type == "xm")
        ctype = kCtypeMusicXm;
    else if (type == "it" || type == "mptm")
        ctype = kCtypeMusicIt;
    if (module.get_metadata("container") == "mo3")
        ctype |= kCtypeMusicMo3;
    return ctype;
}

class MusicDecoder final : public Decoder {
public:
    MusicDecoder(std::unique_ptr<openmpt::module> module, std::uint32_t flags)
        : module_(std::move(module)) {
        // The engine loops by seeking to the start when a pass ends, so the module plays once.
        module_->set_repeat_count(0);
        const bool ramp = (flags & (kMusicRamp | kMusicRamps)) != 0;
        // -1 is libopenmpt's default ramp; 0 turns ramping off (hard note starts, as without the flags).
        module_->set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, ramp ? -1 : 0);
        const double seconds = module_->get_duration_seconds();
        length_ = std::isfinite(seconds) && seconds > 0.0 ? std::llround(seconds * kMusicRate) : 0;
        ctype_ = musicType(*module_);
        title_ = module_->get_metadata("title");
        artist_ = module_->get_metadata("artist");
    }

    int sampleRate() const override { return kMusicRate; }
    int channels() const override { return kMusicChannels; }
    std::uint32_t ctype() const override { return ctype_; }
    std::int64_t lengthFrames() const override { return length_; }

    std::size_t read(float* out, std::size_t frames) override {
        // libopenmpt renders a little past the duration it reports; the pass ends at the reported length so
        // the engine's end-of-track rule and what decodes agree.
        const auto left = static_cast<std::size_t>(std::max<std::int64_t>(0, length_ - position_));
        try {
            const std::size_t n = module_->read_interleaved_stereo(kMusicRate, std::min(frames, left), out);
            position_ += static_cast<std::int64_t>(n);
            return n;
        } catch (...) {
            return 0; // a module that fails mid-way ends its pass
        }
    }

    bool seek(std::int64_t frame) override {
        if (frame < 0 || frame > length_)
            return false;
        try {
            // The module lands on the start of the pattern row that holds the time asked for.
            const double landed = module_->set_position_seconds(static_cast<double>(frame) / kMusicRate);
            position_ = std::isfinite(landed)
                            ? std::clamp<std::int64_t>(std::llround(landed * kMusicRate), 0, length_)
                            : frame;
            return true;
        } catch (...) {
            return false;
        }
    }

    std::int64_t seekLanded(std::int64_t /*asked*/) const override { return position_; }

    std::string metadata(std::string_view key) const override {
        if (key == "title")
            return title_;
        if (key == "artist")
            return artist_;
        return {};
    }

private:
    std::unique_ptr<openmpt::module> module_;
    std::int64_t length_ = 0;
    std::int64_t position_ = 0;
    std::uint32_t ctype_ = 0;
    std::string title_;
    std::string artist_;
};

} // namespace

std::unique_ptr<Decoder> openMusicDecoder(const std::string& path, std::uint32_t flags) {
    const std::vector<char> bytes = readRegularFile(path, kMaxModuleBytes);
    if (bytes.empty())
        return nullptr;
    try {
        auto module = std::make_unique<openmpt::module>(bytes, nullLog());
        auto decoder = std::make_unique<MusicDecoder>(std::move(module), flags);
        if (decoder->lengthFrames() <= 0)
            return nullptr;
        return decoder;
    } catch (...) {
        return nullptr; // libopenmpt reports a file it cannot read by throwing
    }
}

} // namespace orvu::engine
