// Purpose: finding the pages of an Ogg file by granule position, so that a Vorbis or Opus stream seeks
// by bisecting the file in a few reads instead of decoding from its start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvu::engine::formats {

// The checksum of a whole page as its header stores it (bytes 22 to 25, counted as zero here).
std::uint32_t oggPageChecksum(const std::uint8_t* page, std::size_t size);

// One page of an Ogg file.
struct OggPage {
    static constexpr std::uint8_t kContinued = 1; // the first packet on the page began on an earlier page
    static constexpr std::uint8_t kFirst = 2;     // the first page of its logical stream
    static constexpr std::uint8_t kLast = 4;      // the last page of its logical stream

    std::int64_t offset = 0;   // of the capture pattern "OggS"
    std::int64_t size = 0;     // header, segment table and body
    std::int64_t granule = -1; // the codec's position at the end of the last packet ending here; -1 if none
    std::uint32_t serial = 0;
    std::uint8_t flags = 0;
    int packetsEnding = 0; // packets whose last segment is on this page

    // Packets that both begin and end on this page: a continued packet ends here but began before.
    int ownPackets() const { return packetsEnding - ((flags & kContinued) && packetsEnding > 0 ? 1 : 0); }
    std::int64_t end() const { return offset + size; }
};

// Reads the pages of an open file with pread through one buffer window, so that pages close together
// cost one read. The file must stay open while the reader is used.
class OggPageReader {
public:
    explicit OggPageReader(int fd);

    std::int64_t fileSize() const { return size_; }

    // The page whose capture pattern is at `offset`, when a whole valid page is there (version 0, and,
    // with checkCrc, a matching checksum: the pattern can occur by chance inside packet data).
    std::optional<OggPage> pageAt(std::int64_t offset, bool checkCrc);

    // The first valid page whose capture pattern lies in [from, limit).
    std::optional<OggPage> nextPage(std::int64_t from, std::int64_t limit);

    // Whether the window already holds [offset, offset + length).
    bool holds(std::int64_t offset, std::size_t length) const {
        return offset >= windowStart_ && offset + static_cast<std::int64_t>(length) <=
                                             windowStart_ + static_cast<std::int64_t>(window_.size());
    }

private:
    // Makes the window hold [offset, offset + length) as far as the file reaches; the bytes available
    // from offset.
    std::size_t cover(std::int64_t offset, std::size_t length);
    const std::uint8_t* at(std::int64_t offset) const { return window_.data() + (offset - windowStart_); }

    int fd_;
    std::int64_t size_ = 0;
    std::vector<std::uint8_t> window_;
    std::int64_t windowStart_ = 0;
};

// The logical stream a decoder plays, as found at the head of the file.
struct OggStream {
    std::uint32_t serial = 0;
    OggPage firstAudio;            // its first page past the headers
    std::int64_t lastGranule = -1; // of its last page, where the search for a page starts estimating
};

// Finds the `index`-th logical stream (in the order their first pages appear, which is the order FFmpeg
// numbers them), its first audio page and its last granule position. nullopt when the head of the file is not
// plain Ogg or the stream has no audio page.
std::optional<OggStream> findOggStream(OggPageReader& reader, int index);

// Where to start decoding so that the audio can be placed by two page ends before the wanted granule:
// decoding starts at `from`, whose own packets end at from.granule; the packets of `to` end at to.granule,
// which is the last page end at or before the wanted granule.
struct OggLanding {
    OggPage from;
    OggPage to;
    int packetsToFromEnd = 0; // packets handed out from `from` up to from.granule
    int packetsToToEnd = 0;   // packets handed out from `from` up to to.granule
};

// Bisects the file by bytes for the last page of `stream` whose granule position is at most `granule`,
// and the page with a granule before it. Pages of other logical streams are passed over. nullopt when
// no two such pages exist (the granule lies within the first audio page or two, where decoding from the
// start is as cheap) or the file cannot be read.
std::optional<OggLanding> findOggLanding(OggPageReader& reader, const OggStream& stream,
                                         std::int64_t granule);

} // namespace orvu::engine::formats
