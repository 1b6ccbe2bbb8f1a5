// Purpose: the table of audio families the engine knows (see family_table.h).
#include "engine/formats/family_table.h"

#include "engine/engine_types.h"
#include "engine/formats/formats.h"

#include <array>

namespace orvu::engine::formats {

namespace {

// The MPEG audio demuxer ("mp3") reads all three layers, so the layer is told apart by the codec.
// Several add-on families share a container with a core family (Opus, Speex and FLAC in Ogg); the codec
// check keeps them closed until their add-on is loaded.
constexpr std::array kFamilies{
    Family{"mp3", true, "mp3", "mp3", kCtypeStreamMp3},
    Family{"mp2", true, "mp3", "mp2", kCtypeStreamMp2},
    Family{"mp1", true, "mp3", "mp1", kCtypeStreamMp1},
    Family{"vorbis", true, "ogg", "vorbis", kCtypeStreamVorbis},
    Family{
        "wav", true, "wav",
        "pcm_u8,pcm_s16le,pcm_s24le,pcm_s32le,pcm_f32le,pcm_f64le,pcm_alaw,pcm_mulaw,adpcm_ms,adpcm_ima_wav",
        kCtypeStreamWavPcm},
    Family{"aiff", true, "aiff",
           "pcm_s8,pcm_u8,pcm_s16be,pcm_s24be,pcm_s32be,pcm_f32be,pcm_f64be,pcm_alaw,pcm_mulaw,adpcm_ima_qt",
           kCtypeStreamAiff},
    Family{"aac", false, "aac,mov", "aac", kCtypeStreamAac},
    Family{"ac3", false, "ac3,eac3", "ac3,eac3", kCtypeStreamAc3},
    Family{"adx", false, "adx", "adpcm_adx", kCtypeStreamAdx},
    Family{"aix", false, "aix", "adpcm_adx", kCtypeStreamAix},
    Family{"alac", false, "mov,caf", "alac", kCtypeStreamAlac},
    Family{"ape", false, "ape", "ape", kCtypeStreamApe},
    Family{"mpc", false, "mpc,mpc8", "musepack7,musepack8", kCtypeStreamMpc},
    // Nothing on the system decodes OptimFROG: the family can be enabled but never opens.
    Family{"ofr", false, "", "", kCtypeStreamOfr},
    Family{"speex", false, "ogg", "speex", kCtypeStreamSpeex},
    Family{"tta", false, "tta", "tta", kCtypeStreamTta},
    Family{"flac", false, "flac,ogg", "flac", kCtypeStreamFlac},
    // MIDI is decoded by its add-on itself, never by FFmpeg.
    Family{"midi", false, "", "", kCtypeStreamMidi},
    Family{"opus", false, "ogg", "opus", kCtypeStreamOpus},
    Family{"wavpack", false, "wv", "wavpack", kCtypeStreamWavPack},
    Family{"wma", false, "asf", "wmav1,wmav2,wmapro,wmalossless,wmavoice", kCtypeStreamWma},
};

} // namespace

std::span<const Family> families() {
    return kFamilies;
}

int familyIndex(std::string_view name) {
    for (std::size_t i = 0; i < kFamilies.size(); ++i)
        if (kFamilies[i].name == name)
            return static_cast<int>(i);
    return -1;
}

bool listContains(std::string_view list, std::string_view name) {
    while (!list.empty()) {
        const auto comma = list.find(',');
        if (list.substr(0, comma) == name)
            return true;
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

} // namespace orvu::engine::formats
