// Purpose: the web links window's addresses: the fixed links of its two site tabs and the search
// targets built from the typed search text as it stands.
#include "core/web_links.h"

namespace orvu {
namespace {

// The music sites are placeholders under the reserved .example domain until real partner sites are
// chosen; the paths are the ones each site's pages and search live at. Every address is https: the
// typed search text is the user's own and is not sent in the clear.
#define ORVU_SONG_SITE "https://www.tunevault.example"
#define ORVU_SINHALA_SITE "https://www.sindugee.example"
#define ORVU_SEARCH_ENGINE "https://www.google.com"

struct SearchEndpoint {
    const char* prefix; // scheme, host, path, "?", the query key and "="
    const char* suffix; // follows the typed text
};

// In the order of SearchLink.
constexpr SearchEndpoint searchEndpoints[searchLinkCount] = {
    {ORVU_SEARCH_ENGINE "/search?q=", " mp3 free download"},
    {"https://search.yahoo.com/search?p=", " mp3 free download"},
    {"https://www.ask.com/web?q=", " mp3 free download"},
    {ORVU_SONG_SITE "/search.php?q=", ""},
    {"https://www.lyricshelf.example/search?search=", ""},
    {ORVU_SINHALA_SITE "/free-sinhala-mp3/search.php?searchmp3=", ""},
    {ORVU_SEARCH_ENGINE "/search?q=", " Lyrics&tbm=isch"},
};

} // namespace

const SiteLinks englishSiteLinks = {{
    {"BassDrop", "https://www.bassdrop.example/top-downloads/genre/dubstep/"},
    {"TuneVault", ORVU_SONG_SITE "/"},
    {"Artist Pages", "https://artistpages.example/p/artists.html"},
    {"MelodyBox", "https://www.melodybox.example/"},
    {"TrackStream", "https://trackstream.example/tracks/"},
    {"TOP 100", "https://www.charts100.example/top100.php"},
    {"SongLoft", "https://www.songloft.example/"},
}};

const SiteLinks sinhalaSiteLinks = {{
    {"Sindugee", ORVU_SINHALA_SITE "/free-sinhala-mp3/"},
    {"Geetha Lanka", "https://geethalanka.example/audios.php"},
    {"Lanka Music", "https://www.lankamusic.example/musicdownloads/"},
    {"Sara Tracks", "https://saratracks.example/download/track_page.php"},
    {"Nada Audio", "https://www.nadaaudio.example/audio.php"},
    {"Ridma", "https://www.ridma.example/"},
    {"Swara", "https://swara.example/"},
}};

SearchTargets searchTargets(const QString& text) {
    SearchTargets targets;
    if (text.isEmpty())
        return targets;
    for (std::size_t link = 0; link < searchLinkCount; ++link)
        targets[link] =
            QLatin1String(searchEndpoints[link].prefix) + text + QLatin1String(searchEndpoints[link].suffix);
    return targets;
}

#undef ORVU_SONG_SITE
#undef ORVU_SINHALA_SITE
#undef ORVU_SEARCH_ENGINE

} // namespace orvu
