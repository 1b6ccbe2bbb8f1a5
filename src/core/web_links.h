// Purpose: the web links window's addresses: the fixed links of its two site tabs and the search
// targets built from the typed search text as it stands.
#pragma once

#include <QString>

#include <array>
#include <cstddef>

namespace orvu {

// A link of a site tab: its caption and the page it opens.
struct WebLink {
    const char* caption;
    const char* target;
};

inline constexpr std::size_t siteLinkCount = 7;
using SiteLinks = std::array<WebLink, siteLinkCount>;

// The two site tabs, each link top to bottom.
extern const SiteLinks englishSiteLinks;
extern const SiteLinks sinhalaSiteLinks;

// The seven search links of the search tab, in the tab's order: the common search row, the song row
// and the Sinhala song row.
enum class SearchLink : std::size_t {
    Google,
    Yahoo,
    Ask,
    SongMp3,
    SongLyrics,
    SinhalaMp3,
    SinhalaLyrics,
};
inline constexpr std::size_t searchLinkCount = 7;

using SearchTargets = std::array<QString, searchLinkCount>;

// Each search link's address for `text`, or seven empty addresses for an empty text. The text goes
// into the address exactly as typed, not percent-encoded: an "&" starts another parameter and a "#" a
// fragment, as the browser reads them (the Sinhala lyrics search relies on this for its "&tbm=isch").
SearchTargets searchTargets(const QString& text);

} // namespace orvu
