// Purpose: stream decoding through FFmpeg (libavformat, libavcodec, libswresample) to interleaved float
// at the source rate and channel count, with exact seeking and guarded opening.
#include "engine/formats/ffmpeg_decoder.h"

#include "engine/engine_types.h"
#include "engine/formats/family_table.h"
#include "engine/formats/formats.h"
#include "engine/formats/ogg_seek.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

namespace orvu::engine::formats {

namespace {

using Clock = std::chrono::steady_clock;

// No single FFmpeg operation (open, probe, one read, one seek) may take longer than this.
constexpr auto kOperationBudget = std::chrono::milliseconds(2000);
constexpr int kMaxChannels = 8;
// Opus needs 80 ms of audio before a seek target to converge.
constexpr std::int64_t kOpusPreroll = 3840;
// Packets in a row that may fail to decode before the stream is taken to be unplayable from there on.
// A damaged region of a few seconds of MP3 fits; a file that is garbage past some point ends promptly.
constexpr int kMaxFailedPackets = 500;

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct SwrCloser {
    void operator()(SwrContext* c) const { swr_free(&c); }
};
struct PacketCloser {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameCloser {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct DictCloser {
    void operator()(AVDictionary* d) const { av_dict_free(&d); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using SwrPtr = std::unique_ptr<SwrContext, SwrCloser>;
using PacketPtr = std::unique_ptr<AVPacket, PacketCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameCloser>;

// FFmpeg's log goes to stderr from whichever thread decodes; the engine reports failures as values.
void silenceFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// The deadline the interrupt callback checks; it lives in the decoder so it outlives the format context.
struct Deadline {
    Clock::time_point at{};
    void arm() { at = Clock::now() + kOperationBudget; }
    static int expired(void* self) { return Clock::now() > static_cast<Deadline*>(self)->at ? 1 : 0; }
};

std::string joinedDemuxers(std::uint64_t enabled) {
    std::string list;
    const auto table = families();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!(enabled >> i & 1u) || table[i].demuxers.empty())
            continue;
        std::string_view rest = table[i].demuxers;
        while (!rest.empty()) {
            const auto comma = rest.find(',');
            const auto name = rest.substr(0, comma);
            if (!listContains(list, name)) {
                if (!list.empty())
                    list += ',';
                list += name;
            }
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
        }
    }
    return list;
}

// Whether a demuxer (FFmpeg names some demuxers with several comma-separated aliases, "mov,mp4,m4a,...")
// is listed by a family.
bool demuxerMatches(std::string_view familyDemuxers, std::string_view demuxerNames) {
    while (!demuxerNames.empty()) {
        const auto comma = demuxerNames.find(',');
        if (listContains(familyDemuxers, demuxerNames.substr(0, comma)))
            return true;
        if (comma == std::string_view::npos)
            break;
        demuxerNames.remove_prefix(comma + 1);
    }
    return false;
}

// The family that admits this container and codec, or nullptr. A family that lists the container
// wins over one that only knows the codec (ALAC in MP4 belongs to "alac", MP3 in WAV to "mp3").
const Family* admittingFamily(std::uint64_t enabled, std::string_view demuxer, std::string_view codec) {
    const auto table = families();
    const Family* codecOnly = nullptr;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!(enabled >> i & 1u) || !listContains(table[i].codecs, codec))
            continue;
        if (demuxerMatches(table[i].demuxers, demuxer))
            return &table[i];
        if (!codecOnly)
            codecOnly = &table[i];
    }
    return codecOnly;
}

std::uint32_t channelType(const Family& family, std::string_view demuxer, const AVCodecParameters& par) {
    if (family.name == "wav") {
        if (par.codec_id == AV_CODEC_ID_PCM_F32LE || par.codec_id == AV_CODEC_ID_PCM_F64LE)
            return kCtypeStreamWavFloat;
        if (par.codec_tag == 1)
            return kCtypeStreamWavPcm;
        return kCtypeStreamWav | (par.codec_tag & 0xffffu);
    }
    if (family.name == "aac" && demuxerMatches("mov", demuxer))
        return kCtypeStreamMp4;
    if (family.name == "flac" && demuxerMatches("ogg", demuxer))
        return kCtypeStreamFlacOgg;
    return family.ctype;
}

// The speaker mask of a decoder's channel layout. A layout in FFmpeg's own order is its mask; one that
// lists its speakers in that order gives the same mask; unnamed or reordered speakers get the standard
// layout for the count.
std::uint64_t speakerMask(const AVChannelLayout& layout) {
    if (layout.order == AV_CHANNEL_ORDER_NATIVE)
        return layout.u.mask;
    if (layout.order == AV_CHANNEL_ORDER_CUSTOM && layout.u.map) {
        std::uint64_t mask = 0;
        int previous = -1;
        for (int c = 0; c < layout.nb_channels; ++c) {
            const int id = layout.u.map[c].id;
            if (id <= previous || id >= 64)
                return standardChannelLayout(layout.nb_channels);
            mask |= std::uint64_t{1} << id;
            previous = id;
        }
        return mask;
    }
    return standardChannelLayout(layout.nb_channels);
}

// Reads a variable-length size of the Musepack SV8 format (7 bits a byte, high bit = more follows).
bool readMusepackSize(const std::uint8_t*& p, const std::uint8_t* end, std::uint64_t& value) {
    value = 0;
    for (int i = 0; i < 9 && p < end; ++i) {
        value = value << 7 | (*p & 0x7fu);
        if (!(*p++ & 0x80u))
            return true;
    }
    return false;
}

// The length in samples from a Musepack SV8 stream header ("SH" packet: sample count less the
// beginning silence); 0 when the file does not start with one.
std::int64_t musepack8Length(int fd) {
    std::uint8_t head[64];
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    if (got < 8 || std::memcmp(head, "MPCK", 4) != 0 || std::memcmp(head + 4, "SH", 2) != 0)
        return 0;
    const std::uint8_t* p = head + 6;
    const std::uint8_t* const end = head + got;
    std::uint64_t packetSize = 0, samples = 0, silence = 0;
    if (!readMusepackSize(p, end, packetSize) || end - p < 5)
        return 0;
    p += 5; // CRC and stream version
    if (!readMusepackSize(p, end, samples) || !readMusepackSize(p, end, silence) || silence > samples)
        return 0;
    return static_cast<std::int64_t>(std::min<std::uint64_t>(samples - silence, INT64_MAX));
}

// The long block size of a Vorbis stream, from the identification header in its extradata: the audio
// one packet needs from before it. 8192 (the largest allowed) when the header is not found.
std::int64_t vorbisLongBlock(const AVCodecParameters& par) {
    static constexpr std::uint8_t kId[] = {1, 'v', 'o', 'r', 'b', 'i', 's'};
    const std::uint8_t* const begin = par.extradata;
    const std::uint8_t* const end = begin ? begin + par.extradata_size : begin;
    const std::uint8_t* id = std::search(begin, end, std::begin(kId), std::end(kId));
    if (!begin || end - id < 29)
        return 8192;
    return std::int64_t{1} << (id[28] >> 4);
}

class FfmpegDecoder final : public Decoder {
public:
    // Opens the already checked file; false when anything fails.
    FfmpegDecoder(UniqueFd file, std::uint64_t enabled)
        : file_(std::move(file))
        , enabled_(enabled) {}

    bool open() {
        const std::uint64_t enabled = enabled_;
        const int fd = file_.get();
        const std::string whitelist = joinedDemuxers(enabled);
        if (whitelist.empty())
            return false;
        fmt_.reset(avformat_alloc_context());
        if (!fmt_)
            return false;
        fmt_->interrupt_callback = {&Deadline::expired, &deadline_};
        AVDictionary* raw = nullptr;
        av_dict_set(&raw, "protocol_whitelist", "file", 0);
        av_dict_set(&raw, "format_whitelist", whitelist.c_str(), 0);
        av_dict_set(&raw, "probesize", "1048576", 0);
        av_dict_set(&raw, "analyzeduration", "1000000", 0);
        av_dict_set(&raw, "fpsprobesize", "1", 0);
        av_dict_set(&raw, "max_probe_packets", "64", 0);
        std::unique_ptr<AVDictionary, DictCloser> options(raw);
        // FFmpeg reopens the very file that was checked (same open file description's inode), so a
        // path swapped for a FIFO after the check cannot reach it.
        const std::string url = "file:/proc/self/fd/" + std::to_string(fd);
        deadline_.arm();
        AVFormatContext* ctx = fmt_.release();
        raw = options.release();
        const int opened = avformat_open_input(&ctx, url.c_str(), nullptr, &raw);
        options.reset(raw);
        if (opened < 0)
            return false; // avformat_open_input frees the context on failure
        fmt_.reset(ctx);
        deadline_.arm();
        if (avformat_find_stream_info(fmt_.get(), nullptr) < 0)
            return false;

        stream_ = av_find_best_stream(fmt_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (stream_ < 0)
            return false;
        AVStream* st = fmt_->streams[stream_];
        const std::string_view demuxer = fmt_->iformat->name;
        const Family* family = admittingFamily(enabled, demuxer, avcodec_get_name(st->codecpar->codec_id));
        if (!family)
            return false;
        ctype_ = channelType(*family, demuxer, *st->codecpar);
        oggDemuxer_ = demuxer == "ogg";

        const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
        if (!codec)
            return false;
        codec_.reset(avcodec_alloc_context3(codec));
        if (!codec_ || avcodec_parameters_to_context(codec_.get(), st->codecpar) < 0)
            return false;
        codec_->pkt_timebase = st->time_base;
        codec_->thread_count = 1;
        if (avcodec_open2(codec_.get(), codec, nullptr) < 0)
            return false;
        rate_ = codec_->sample_rate;
        channels_ = codec_->ch_layout.nb_channels;
        if (rate_ <= 0 || channels_ < 1 || channels_ > kMaxChannels)
            return false;
        layout_ = speakerMask(codec_->ch_layout);
        // Vorbis and Opus in Ogg seek by the granule positions of the pages, which count samples at the
        // stream's rate from the same start as the timestamps.
        oggGranules_ =
            oggDemuxer_ && st->time_base.num == 1 && st->time_base.den == rate_ &&
            (st->codecpar->codec_id == AV_CODEC_ID_VORBIS || st->codecpar->codec_id == AV_CODEC_ID_OPUS);
        oggPreroll_ = st->codecpar->codec_id == AV_CODEC_ID_OPUS
                          ? std::max<std::int64_t>(kOpusPreroll, st->codecpar->seek_preroll)
                          : vorbisLongBlock(*st->codecpar);
        oggPreSkip_ = st->codecpar->codec_id == AV_CODEC_ID_OPUS ? st->codecpar->initial_padding : 0;
        samplesPerTick_ = static_cast<double>(rate_) * st->time_base.num / st->time_base.den;
        origres_ = static_cast<std::uint32_t>(st->codecpar->bits_per_raw_sample > 0
                                                  ? st->codecpar->bits_per_raw_sample
                                                  : av_get_bytes_per_sample(codec_->sample_fmt) * 8);
        if (av_sample_fmt_is_planar(codec_->sample_fmt) || codec_->sample_fmt == AV_SAMPLE_FMT_FLT ||
            codec_->sample_fmt == AV_SAMPLE_FMT_DBL)
            origres_ = static_cast<std::uint32_t>(st->codecpar->bits_per_raw_sample); // lossy: no fixed depth

        pkt_.reset(av_packet_alloc());
        frame_.reset(av_frame_alloc());
        if (!pkt_ || !frame_)
            return false;

        lengthFrames_ = containerLength(*st, demuxer);
        // Decode the first frame now: its timestamp is the origin of frame positions, and a file that
        // yields no audio at all fails here rather than as a silent channel.
        deadline_.arm();
        if (!decodeFrame())
            return false;
        origin_ = pendingPts_ == AV_NOPTS_VALUE ? 0 : pendingPts_;
        position_ = 0;
        return true;
    }

    int sampleRate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::uint32_t ctype() const override { return ctype_; }
    std::uint32_t origres() const override { return origres_; }
    std::int64_t lengthFrames() const override { return lengthFrames_; }
    std::uint64_t channelLayout() const override { return layout_; }

    std::size_t read(float* out, std::size_t frames) override {
        std::size_t written = 0;
        if (!codec_)
            return 0;
        deadline_.arm();
        while (written < frames) {
            if (pendingPos_ == pendingFrames()) {
                if (!decodeFrame())
                    break;
                continue;
            }
            const std::size_t n = std::min(frames - written, pendingFrames() - pendingPos_);
            std::memcpy(out + written * channels_, pending_.data() + pendingPos_ * channels_,
                        n * static_cast<std::size_t>(channels_) * sizeof(float));
            pendingPos_ += n;
            written += n;
            position_ += static_cast<std::int64_t>(n);
        }
        return written;
    }

    bool seek(std::int64_t frame) override {
        if (frame < 0 || (lengthFrames_ >= 0 && frame > lengthFrames_))
            return false;
        if (!codec_ && !reopen()) // a failed reopen left nothing to seek in
            return false;
        // Lossy codecs need some audio before the target to settle (MP3's bit reservoir, Opus's
        // pre-roll), so land early and decode up to the frame.
        const auto* desc = codec_->codec_descriptor;
        const bool intraLossless =
            desc && (desc->props & AV_CODEC_PROP_LOSSLESS) && (desc->props & AV_CODEC_PROP_INTRA_ONLY);
        const std::int64_t preroll =
            intraLossless ? 0
                          : std::max<std::int64_t>(rate_ / 5, fmt_->streams[stream_]->codecpar->seek_preroll);
        if (oggGranules_ && seekByGranule(frame))
            return true;
        // FFmpeg's Ogg demuxer stamps the first packets after a seek with timestamps of another page, so
        // other Ogg streams (FLAC, Speex), and Vorbis or Opus near the start or in a file whose pages do not
        // add up, decode forward from the start: exact but linear in the target.
        const std::int64_t landing = oggDemuxer_ ? 0 : std::max<std::int64_t>(0, frame - preroll);
        if (seekContainer(landing) && decodeUpTo(frame, landing))
            return true;
        // A coarse index can land after the target: go back to the start and decode forward.
        return landing != 0 && seekContainer(0) && decodeUpTo(frame, 0);
    }

private:
    bool seekContainer(std::int64_t landing) {
        if (landing == 0)
            return reopen();
        AVStream* st = fmt_->streams[stream_];
        const std::int64_t ts = landing == 0
                                    ? std::min<std::int64_t>(origin_, 0)
                                    : origin_ + av_rescale_q(landing, AVRational{1, rate_}, st->time_base);
        deadline_.arm();
        if (avformat_seek_file(fmt_.get(), stream_, INT64_MIN, ts, ts, 0) < 0) {
            // Some demuxers cannot seek by time; the start can always be reached by bytes.
            if (landing != 0 || avformat_seek_file(fmt_.get(), stream_, 0, 0, 0, AVSEEK_FLAG_BYTE) < 0)
                return false;
        }
        restartDecoding();
        return true;
    }

    // After the demuxer moved: the decoder forgets its state and the counts start again.
    void restartDecoding() {
        avcodec_flush_buffers(codec_.get());
        drained_ = false;
        ended_ = false;
        failedPackets_ = 0;
        packetsRead_ = 0;
        clearPending();
    }

    // Ogg Vorbis and Opus: bisects the file for the last page ending at least the pre-roll before the
    // target and the page with a granule position before that one, starts the demuxer on the earlier
    // page, and places the decoded audio by the granule positions of both page ends. The demuxer hands
    // out the packets that begin on its first page (dropping the end of one continued from before), one
    // decoded frame each, so counting packets tells which audio ends at which page end; the two ends must
    // agree, or the file is not what its pages say and the caller decodes from the start instead. The
    // packets' own timestamps are not used.
    bool seekByGranule(std::int64_t frame) {
        OggPageReader reader(file_.get());
        if (!oggHeadRead_) {
            oggStream_ = findOggStream(reader, stream_);
            oggHeadRead_ = true;
        }
        if (!oggStream_)
            return false;
        // The granule position of frame 0: the first timestamp, and for Opus the pre-skip the decoder drops
        // at the start, which the granules count and the timestamps do not.
        const std::int64_t granuleOrigin = origin_ + oggPreSkip_;
        const auto landing = findOggLanding(reader, *oggStream_, frame + granuleOrigin - oggPreroll_);
        if (!landing)
            return false;
        const std::int64_t byte = landing->from.offset;
        deadline_.arm();
        if (avformat_seek_file(fmt_.get(), stream_, byte, byte, byte, AVSEEK_FLAG_BYTE) < 0)
            return false;
        restartDecoding();
        std::int64_t toFromEnd = 0; // frames decoded from the packets ending on or before each page end
        std::int64_t toToEnd = 0;
        while (true) {
            if (!decodeFrame())
                return false;
            if (packetsRead_ > landing->packetsToToEnd)
                break;
            const auto n = static_cast<std::int64_t>(pendingFrames());
            if (packetsRead_ <= landing->packetsToFromEnd)
                toFromEnd += n;
            toToEnd += n;
        }
        const std::int64_t toEnd = landing->to.granule - granuleOrigin;
        if (toEnd - toToEnd + toFromEnd != landing->from.granule - granuleOrigin)
            return false;
        return skipTo(frame, toEnd);
    }

    // Starts over as freshly opened. A decoder flushed by a seek to the start does not reproduce the
    // first pass (AAC, Speex and Musepack decode their first frames differently without the start-up
    // state, and demuxers re-apply encoder-delay trimming unevenly), so looping reopens instead.
    bool reopen() {
        frame_.reset();
        pkt_.reset();
        swr_.reset();
        swrFormat_ = -1;
        codec_.reset();
        fmt_.reset();
        drained_ = false;
        ended_ = false;
        failedPackets_ = 0;
        clearPending();
        return open();
    }

    // After a container seek near `landing`, decodes and discards up to `frame`, placing frames by the
    // decoded timestamps. False when the stream landed after the target or has no timestamps there.
    bool decodeUpTo(std::int64_t frame, std::int64_t landing) {
        AVStream* st = fmt_->streams[stream_];
        if (pendingFrames() == 0 && !decodeFrame()) {
            position_ = frame;
            return frame == lengthFrames_;
        }
        std::int64_t at = 0;
        if (pendingPts_ != AV_NOPTS_VALUE)
            at = onFrameGrid(av_rescale_q(pendingPts_ - origin_, st->time_base, AVRational{1, rate_}));
        else if (landing != 0)
            return false;
        if (at > frame) {
            if (landing != 0)
                return false;
            at = frame; // the start of the stream, whatever its first timestamp says
        }
        return skipTo(frame, at);
    }

    // With pending_ holding decoded audio that begins at position `at`, decodes and drops up to `frame`.
    bool skipTo(std::int64_t frame, std::int64_t at) {
        if (at > frame)
            return false;
        while (at + static_cast<std::int64_t>(pendingFrames()) <= frame) {
            at += static_cast<std::int64_t>(pendingFrames());
            if (!decodeFrame()) {
                position_ = frame;
                return at >= frame;
            }
        }
        pendingPos_ = static_cast<std::size_t>(frame - at);
        position_ = frame;
        return true;
    }

    // A position taken from a timestamp coarser than a sample (ASF and Matroska count milliseconds) is
    // off by up to a couple of ticks. Codecs whose frames all last a multiple of some length (WMA: 2048
    // samples at 44.1 kHz) start every frame on that grid, so the nearest grid point within that error
    // is the exact position. The grid is the common divisor of the frame lengths decoded so far, halved
    // while no grid point lies that close (a divisor seen on too few frames).
    std::int64_t onFrameGrid(std::int64_t at) const {
        if (samplesPerTick_ <= 1.0)
            return at;
        const double tolerance = 2.0 * samplesPerTick_ + 1.0;
        for (std::int64_t grid = frameGrid_; grid >= 8 * samplesPerTick_; grid /= 2) {
            const std::int64_t nearest = (at + grid / 2) / grid * grid;
            if (std::abs(static_cast<double>(nearest - at)) <= tolerance)
                return nearest;
            if (grid % 2 != 0)
                break;
        }
        return at;
    }

    std::int64_t containerLength(const AVStream& st, std::string_view demuxer) const {
        if (demuxer == "mpc8") {
            // The Musepack SV8 demuxer's duration is off by whole seconds; its stream header is exact.
            if (const std::int64_t samples = musepack8Length(file_.get()); samples > 0)
                return samples;
        }
        if (st.duration != AV_NOPTS_VALUE && st.duration > 0) {
            std::int64_t frames = av_rescale_q(st.duration, st.time_base, AVRational{1, rate_});
            // Ogg granule positions count the pre-skip (Opus) that the decoder drops.
            if (demuxer == "ogg" && st.codecpar->initial_padding > 0)
                frames -= st.codecpar->initial_padding;
            // The MPEG audio demuxer's duration includes the encoder delay it trims (its start time); the
            // end padding stays in, so the length is within one frame.
            if (demuxer == "mp3" && st.start_time != AV_NOPTS_VALUE && st.start_time > 0)
                frames -= av_rescale_q(st.start_time, st.time_base, AVRational{1, rate_});
            return frames;
        }
        if (fmt_->duration != AV_NOPTS_VALUE && fmt_->duration > 0)
            return av_rescale_q(fmt_->duration, AVRational{1, AV_TIME_BASE}, AVRational{1, rate_});
        return -1;
    }

    std::size_t pendingFrames() const { return pending_.size() / static_cast<std::size_t>(channels_); }
    void clearPending() {
        pending_.clear();
        pendingPos_ = 0;
        pendingPts_ = AV_NOPTS_VALUE;
    }

    // Decodes the next frame of the stream into pending_ (replacing what was there). False at the end of
    // the stream, after which every later call fails too. A damaged packet, one the decoder rejects or
    // one that decodes to another shape than the stream's, is dropped and decoding goes on with the
    // packets after it, as ffmpeg does: damage inside a file costs only the damaged audio. Only failures
    // on kMaxFailedPackets packets in a row, with no audio between them, end the stream early.
    bool decodeFrame() {
        clearPending();
        while (!ended_) {
            const int got = avcodec_receive_frame(codec_.get(), frame_.get());
            if (got == 0) {
                const bool ok = convertFrame();
                av_frame_unref(frame_.get());
                if (!ok) {
                    if (!tolerateFailure())
                        return endStream();
                    continue;
                }
                failedPackets_ = 0;
                if (pending_.empty())
                    continue;
                return true;
            }
            if (got == AVERROR(EAGAIN)) {
                if (drained_ || !sendNextPacket())
                    return endStream();
                continue;
            }
            // The end of the drained decoder, or a decode error: the decoder has dropped the packet.
            if (got == AVERROR_EOF || !tolerateFailure())
                return endStream();
        }
        return false;
    }

    bool endStream() {
        ended_ = true;
        return false;
    }

    // Counts a packet that gave no audio; false once too many failed in a row.
    bool tolerateFailure() { return ++failedPackets_ < kMaxFailedPackets; }

    // Sends the decoder the next packet of the stream, or the end-of-stream flush once the demuxer has
    // reached the end. False when the stream cannot go on.
    bool sendNextPacket() {
        while (true) {
            const int r = av_read_frame(fmt_.get(), pkt_.get());
            if (r < 0) {
                // A packet the demuxer could not read is skipped like a damaged one, unless the file is at
                // its end or the read ran out of time.
                const bool atEnd = r == AVERROR_EOF || r == AVERROR_EXIT || !fmt_->pb || avio_feof(fmt_->pb);
                if (!atEnd && tolerateFailure())
                    continue;
                // Flush the decoder so it hands out what it holds.
                drained_ = true;
                return avcodec_send_packet(codec_.get(), nullptr) >= 0;
            }
            if (pkt_->stream_index != stream_) {
                av_packet_unref(pkt_.get());
                continue;
            }
            ++packetsRead_;
            const int sent = avcodec_send_packet(codec_.get(), pkt_.get());
            av_packet_unref(pkt_.get());
            if (sent >= 0 || sent == AVERROR(EAGAIN))
                return true;
            if (!tolerateFailure()) // the decoder rejected the packet and dropped it
                return false;
        }
    }

    bool convertFrame() {
        AVFrame& f = *frame_; // swr_alloc_set_opts2 takes non-const layouts
        if (f.ch_layout.nb_channels != channels_ || f.sample_rate != rate_)
            return false;
        if (f.nb_samples <= 0)
            return true;
        if (!swr_ || f.format != swrFormat_) {
            SwrContext* s = nullptr;
            if (swr_alloc_set_opts2(&s, &f.ch_layout, AV_SAMPLE_FMT_FLT, rate_, &f.ch_layout,
                                    static_cast<AVSampleFormat>(f.format), rate_, 0, nullptr) < 0)
                return false;
            swr_.reset(s);
            if (swr_init(swr_.get()) < 0)
                return false;
            swrFormat_ = f.format;
        }
        pending_.resize(static_cast<std::size_t>(f.nb_samples) * static_cast<std::size_t>(channels_));
        auto* dst = reinterpret_cast<std::uint8_t*>(pending_.data());
        const int done = swr_convert(swr_.get(), &dst, f.nb_samples,
                                     const_cast<const std::uint8_t**>(f.extended_data), f.nb_samples);
        if (done < 0)
            return false;
        pending_.resize(static_cast<std::size_t>(done) * static_cast<std::size_t>(channels_));
        pendingPts_ = f.pts != AV_NOPTS_VALUE ? f.pts : f.best_effort_timestamp;
        // Frames flushed out at the end carry no timestamp and may be cut short; they say nothing of
        // the grid.
        if (!drained_ && f.pts != AV_NOPTS_VALUE)
            frameGrid_ = std::gcd(frameGrid_, static_cast<std::int64_t>(done));
        return true;
    }

    UniqueFd file_; // the checked file, kept open so a reopen reaches the same inode
    std::uint64_t enabled_ = 0;
    Deadline deadline_;
    FormatPtr fmt_;
    CodecPtr codec_;
    SwrPtr swr_;
    PacketPtr pkt_;
    FramePtr frame_;
    int swrFormat_ = -1;
    int stream_ = -1;
    int rate_ = 0;
    int channels_ = 0;
    std::uint64_t layout_ = 0;
    std::uint32_t ctype_ = 0;
    std::uint32_t origres_ = 0;
    std::int64_t lengthFrames_ = -1;
    std::int64_t origin_ = 0;
    std::int64_t position_ = 0;
    std::vector<float> pending_; // the current decoded frame, interleaved
    std::size_t pendingPos_ = 0; // frames of pending_ already handed out
    std::int64_t pendingPts_ = AV_NOPTS_VALUE;
    bool oggDemuxer_ = false;
    bool oggGranules_ = false;           // seeks by the pages' granule positions (seekByGranule)
    std::int64_t oggPreSkip_ = 0;        // Opus: samples of the first granules the decoder drops
    std::int64_t oggPreroll_ = 0;        // frames decoded before a target after a granule seek
    bool oggHeadRead_ = false;           // oggStream_ was looked for (the file does not change)
    std::optional<OggStream> oggStream_; // the stream's serial and first audio page
    std::int64_t packetsRead_ = 0;       // packets of the stream read since the demuxer last moved
    std::int64_t frameGrid_ = 0;         // the common divisor of the frame lengths decoded so far
    double samplesPerTick_ = 0.0;        // samples in one tick of the stream's timestamps
    int failedPackets_ = 0;              // packets in a row that gave no audio
    bool drained_ = false;               // the decoder was sent the end-of-stream flush
    bool ended_ = false;                 // nothing more comes until a seek
};

} // namespace

std::unique_ptr<Decoder> openFfmpegDecoder(UniqueFd file, std::uint64_t enabledFamilies) {
    silenceFfmpegLog();
    if (!file)
        return nullptr;
    auto decoder = std::make_unique<FfmpegDecoder>(std::move(file), enabledFamilies);
    if (!decoder->open())
        return nullptr;
    return decoder;
}

} // namespace orvu::engine::formats
