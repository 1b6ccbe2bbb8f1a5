// Purpose: finding the pages of an Ogg file by granule position (bisection over bytes, resynchronising on
// the capture pattern and checking each page's checksum).
#include "engine/formats/ogg_seek.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace orvu::engine::formats {

namespace {

constexpr std::size_t kHeaderSize = 27;
constexpr std::size_t kWindow = 16 * 1024;
// Below this span the search walks the pages in order instead of halving further: a few windows' reads.
constexpr std::int64_t kLinearSpan = 64 * 1024;
// Pages read at most while looking for the first audio page (comment headers with pictures span many).
constexpr int kMaxHeadPages = 2048;

std::uint32_t readLe32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::int64_t readLe64(const std::uint8_t* p) {
    return static_cast<std::int64_t>(std::uint64_t{readLe32(p)} | std::uint64_t{readLe32(p + 4)} << 32);
}

// CRC-32 with polynomial 0x04c11db7, no reflection, initial value and final xor 0.
const std::array<std::uint32_t, 256>& crcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = r & 0x80000000u ? (r << 1) ^ 0x04c11db7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    return table;
}

} // namespace

std::uint32_t oggPageChecksum(const std::uint8_t* page, std::size_t size) {
    const auto& table = crcTable();
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = i >= 22 && i < 26 ? 0 : page[i]; // the checksum field counts as zero
        crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xffu];
    }
    return crc;
}

namespace {

bool isGranulePageOf(const OggPage& page, std::uint32_t serial) {
    return page.serial == serial && page.granule != -1;
}

// The first page of `serial` with a granule position whose capture pattern lies in [from, limit).
std::optional<OggPage> nextGranulePage(OggPageReader& reader, std::uint32_t serial, std::int64_t from,
                                       std::int64_t limit) {
    while (from < limit) {
        auto page = reader.nextPage(from, limit);
        if (!page)
            return std::nullopt;
        if (isGranulePageOf(*page, serial))
            return page;
        from = page->end();
    }
    return std::nullopt;
}

// What a search knows: `known` is a page of the stream ending at or before the wanted granule; every page
// of the stream beginning at or after `limit` ends after it; the stream is at about `upperGranule` there.
struct Bracket {
    OggPage known;
    std::int64_t limit = 0;
    std::int64_t upperGranule = -1;
};

// Narrows the bracket by the first page of the stream with a granule position from `from` on, and the pages
// after it that the reader's window already holds (a window usually spans several pages, so one read can
// close the bracket). False when no such page begins before the limit.
bool probe(OggPageReader& reader, std::uint32_t serial, std::int64_t granule, std::int64_t from,
           Bracket& bracket) {
    auto page = nextGranulePage(reader, serial, from, bracket.limit);
    if (!page)
        return false;
    while (page) {
        if (isGranulePageOf(*page, serial)) {
            if (page->granule > granule) {
                bracket.limit = page->offset;
                bracket.upperGranule = page->granule;
                break;
            }
            bracket.known = *page;
        }
        const std::int64_t next = page->end();
        if (next >= bracket.limit || !reader.holds(next, kHeaderSize))
            break;
        page = reader.pageAt(next, true);
    }
    return true;
}

// The last page of the stream with a granule position of at most `granule`, within the bracket.
OggPage lastPageAtOrBefore(OggPageReader& reader, std::uint32_t serial, std::int64_t granule,
                           Bracket bracket) {
    bool estimate = true;
    while (bracket.limit - bracket.known.offset > kLinearSpan) {
        const std::int64_t span = bracket.limit - bracket.known.offset;
        std::int64_t from = bracket.known.offset + span / 2;
        if (estimate && bracket.upperGranule > bracket.known.granule) {
            // The bytes of a stream grow about evenly with its granule: centre a window where it should lie.
            const double share = static_cast<double>(granule - bracket.known.granule) /
                                 static_cast<double>(bracket.upperGranule - bracket.known.granule);
            from = bracket.known.offset + static_cast<std::int64_t>(share * static_cast<double>(span)) -
                   static_cast<std::int64_t>(kWindow / 2);
            from = std::max(bracket.known.offset + 1, std::min(from, bracket.limit - 1));
        }
        if (!probe(reader, serial, granule, from, bracket))
            bracket.limit = from;
        // Keep estimating while each estimate at least halves the span (a steady bit rate); halve it
        // otherwise.
        estimate = bracket.limit - bracket.known.offset <= span / 2;
    }
    for (std::int64_t at = bracket.known.end(); at < bracket.limit;) {
        const auto page = reader.nextPage(at, bracket.limit);
        if (!page)
            break;
        if (isGranulePageOf(*page, serial)) {
            if (page->granule > granule)
                break;
            bracket.known = *page;
        }
        at = page->end();
    }
    return bracket.known;
}

// The granule position of the stream's last page with one; -1 when none is found.
std::int64_t lastGranule(OggPageReader& reader, const OggStream& stream) {
    for (std::int64_t span = kWindow;; span *= 4) {
        const std::int64_t start = std::max(stream.firstAudio.offset, reader.fileSize() - span);
        std::int64_t last = -1;
        for (std::int64_t at = start; at < reader.fileSize();) {
            const auto page = reader.nextPage(at, reader.fileSize());
            if (!page)
                break;
            if (isGranulePageOf(*page, stream.serial))
                last = page->granule;
            at = page->end();
        }
        if (last != -1 || start == stream.firstAudio.offset)
            return last;
    }
}

} // namespace

OggPageReader::OggPageReader(int fd)
    : fd_(fd) {
    struct stat st {};
    if (::fstat(fd, &st) == 0)
        size_ = st.st_size;
}

std::size_t OggPageReader::cover(std::int64_t offset, std::size_t length) {
    if (offset < 0 || offset >= size_)
        return 0;
    const std::int64_t windowEnd = windowStart_ + static_cast<std::int64_t>(window_.size());
    const std::int64_t wantedEnd = std::min(size_, offset + static_cast<std::int64_t>(length));
    if (offset < windowStart_ || wantedEnd > windowEnd) {
        window_.resize(std::max(length, kWindow));
        std::size_t got = 0;
        while (got < window_.size()) {
            const ssize_t n = ::pread(fd_, window_.data() + got, window_.size() - got,
                                      static_cast<off_t>(offset) + static_cast<off_t>(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        window_.resize(got);
        windowStart_ = offset;
    }
    return static_cast<std::size_t>(windowStart_ + static_cast<std::int64_t>(window_.size()) - offset);
}

std::optional<OggPage> OggPageReader::pageAt(std::int64_t offset, bool checkCrc) {
    if (cover(offset, kHeaderSize) < kHeaderSize)
        return std::nullopt;
    const std::uint8_t* h = at(offset);
    if (std::memcmp(h, "OggS", 4) != 0 || h[4] != 0)
        return std::nullopt;
    const std::size_t segments = h[26];
    if (cover(offset, kHeaderSize + segments) < kHeaderSize + segments)
        return std::nullopt;
    h = at(offset);
    std::size_t body = 0;
    int ending = 0;
    for (std::size_t i = 0; i < segments; ++i) {
        body += h[kHeaderSize + i];
        ending += h[kHeaderSize + i] < 255 ? 1 : 0;
    }
    const std::size_t size = kHeaderSize + segments + body;
    if (cover(offset, size) < size)
        return std::nullopt; // cut short by the end of the file
    h = at(offset);
    if (checkCrc && oggPageChecksum(h, size) != readLe32(h + 22))
        return std::nullopt;
    OggPage page;
    page.offset = offset;
    page.size = static_cast<std::int64_t>(size);
    page.flags = h[5];
    page.granule = readLe64(h + 6);
    page.serial = readLe32(h + 14);
    page.packetsEnding = ending;
    return page;
}

std::optional<OggPage> OggPageReader::nextPage(std::int64_t from, std::int64_t limit) {
    limit = std::min(limit, size_);
    while (from < limit) {
        const std::size_t n = cover(from, kHeaderSize); // and whatever the window holds beyond
        if (n < kHeaderSize)
            return std::nullopt;
        const std::uint8_t* begin = at(from);
        const std::uint8_t* const end = begin + n;
        const std::uint8_t* found = std::search(begin, end, "OggS", "OggS" + 4);
        if (found == end) {
            from += static_cast<std::int64_t>(n) - 3; // the pattern may straddle the window's end
            continue;
        }
        const std::int64_t candidate = from + (found - begin);
        if (candidate >= limit)
            return std::nullopt;
        if (auto page = pageAt(candidate, true))
            return page;
        from = candidate + 1;
    }
    return std::nullopt;
}

std::optional<OggStream> findOggStream(OggPageReader& reader, int index) {
    if (index < 0)
        return std::nullopt;
    std::vector<std::uint32_t> serials; // in the order their first pages appear
    std::int64_t at = 0;
    for (int pages = 0; pages < kMaxHeadPages; ++pages) {
        const auto page = reader.pageAt(at, true);
        if (!page)
            return std::nullopt;
        if (page->flags & OggPage::kFirst) {
            if (std::find(serials.begin(), serials.end(), page->serial) == serials.end())
                serials.push_back(page->serial);
        } else if (static_cast<int>(serials.size()) > index && page->serial == serials[index] &&
                   page->granule > 0) {
            OggStream stream{serials[index], *page, -1};
            stream.lastGranule = lastGranule(reader, stream);
            return stream;
        }
        at = page->end();
    }
    return std::nullopt;
}

std::optional<OggLanding> findOggLanding(OggPageReader& reader, const OggStream& stream,
                                         std::int64_t granule) {
    const OggPage& first = stream.firstAudio;
    if (first.granule > granule)
        return std::nullopt;
    const OggPage to = lastPageAtOrBefore(reader, stream.serial, granule,
                                          Bracket{first, reader.fileSize(), stream.lastGranule});
    if (to.offset == first.offset)
        return std::nullopt;

    // The page with a granule before `to`: walk forward through a span before it, widened until the span
    // holds one (pages without a granule may lie between). The first span is usually still in the window.
    for (std::int64_t span = kWindow / 4;; span *= 2) {
        const std::int64_t start = std::max(first.offset, to.offset - span);
        std::optional<OggPage> from;
        int endingSince = 0; // packets ending on the stream's pages after `from`, up to `to`
        for (std::int64_t at = start; at <= to.offset;) {
            const auto page = reader.nextPage(at, to.offset + 1);
            if (!page)
                break;
            if (page->offset == to.offset)
                break;
            if (page->serial == stream.serial) {
                if (page->granule != -1) {
                    from = page;
                    endingSince = 0;
                } else {
                    endingSince += page->packetsEnding;
                }
            }
            at = page->end();
        }
        if (from) {
            OggLanding landing;
            landing.from = *from;
            landing.to = to;
            landing.packetsToFromEnd = from->ownPackets();
            landing.packetsToToEnd = landing.packetsToFromEnd + endingSince + to.packetsEnding;
            return landing;
        }
        if (start == first.offset)
            return std::nullopt;
    }
}

} // namespace orvu::engine::formats
