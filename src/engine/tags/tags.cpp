// Purpose: reading a file's tags with TagLib, every tag type it carries, merged field by field.
#include "engine/tags/tags.h"

#include "engine/tags/tag_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <mutex>

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/trueaudiofile.h>
#include <taglib/unknownframe.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

namespace orvu::engine {

namespace {

using TagLib::ByteVector;
using TagLib::String;

std::string utf8(const String& s) {
    return s.to8Bit(true);
}

String fromUtf8(const std::string& s) {
    return String(s, String::UTF8);
}

std::string_view view(const ByteVector& bytes) {
    return {bytes.data(), bytes.size()};
}

// ---- 8-bit text --------------------------------------------------------------------------------------
// TagLib reads ID3v1, ID3v2 Latin-1 and RIFF INFO text as Latin-1 (or UTF-8 for INFO). These handlers see
// the raw bytes instead, so text that is really UTF-8 or Windows-1252 comes out right.

class EightBitId3v2Handler : public TagLib::ID3v2::Latin1StringHandler {
public:
    String parse(const ByteVector& data) const override { return fromUtf8(tags::eightBitToUtf8(view(data))); }
};

// ID3v1 fields are fixed-width: the text ends at the first NUL and trailing padding spaces are not text.
std::string fixedField(const ByteVector& data) {
    std::string_view bytes = view(data);
    bytes = bytes.substr(0, bytes.find('\0'));
    const auto end = bytes.find_last_not_of(' ');
    return tags::eightBitToUtf8(bytes.substr(0, end == bytes.npos ? 0 : end + 1));
}

class EightBitId3v1Handler : public TagLib::ID3v1::StringHandler {
public:
    String parse(const ByteVector& data) const override { return fromUtf8(fixedField(data)); }
};

class EightBitInfoHandler : public TagLib::RIFF::Info::StringHandler {
public:
    String parse(const ByteVector& data) const override {
        std::string_view bytes = view(data);
        return fromUtf8(tags::eightBitToUtf8(bytes.substr(0, bytes.find('\0'))));
    }
};

// ---- raw ID3v2 frames --------------------------------------------------------------------------------
// TagLib rewrites some frames while parsing: TCON "(4)Eurodisco" becomes the fields "4","Eurodisco" and
// "(RX)" is lost; an ID3v2.3 TYER becomes TDRC, possibly merged with TDAT. Our rules need the text as
// stored, so this factory renames those frames to private IDs; TagLib then keeps them as UnknownFrames
// whose bodies we decode ourselves.

const ByteVector kRawGenreId("ZGNR");
const ByteVector kRawYearId("ZYER");

// Frame::Header is a protected name inside Frame, so its type is taken from updateFrame's signature.
template <typename Method>
struct FirstArgument;
template <typename Class, typename Result, typename Arg>
struct FirstArgument<Result (Class::*)(Arg) const> {
    using type = Arg;
};
struct HeaderTypeProbe : TagLib::ID3v2::FrameFactory {
    using Pointer = FirstArgument<decltype(&HeaderTypeProbe::updateFrame)>::type;
};
using FrameHeader = HeaderTypeProbe::Pointer;

class RawFrameFactory : public TagLib::ID3v2::FrameFactory {
protected:
    bool updateFrame(FrameHeader header) const override {
        const ByteVector id = header->frameID();
        if ((header->version() == 3 && id == "TYER") || (header->version() == 2 && id == "TYE")) {
            header->setFrameID(kRawYearId);
            return true;
        }
        if (!FrameFactory::updateFrame(header)) {
            return false;
        }
        if (header->frameID() == "TCON") {
            header->setFrameID(kRawGenreId);
        }
        return true;
    }
};

// Decodes the first string of a text frame body (encoding byte, then the text).
std::string textFrameBody(const ByteVector& body) {
    if (body.isEmpty()) {
        return {};
    }
    const auto encoding = static_cast<unsigned char>(body[0]);
    const ByteVector text = body.mid(1);
    if (encoding == 1 || encoding == 2) {
        unsigned end = 0;
        while (end + 1 < text.size() && !(text[end] == 0 && text[end + 1] == 0)) {
            end += 2;
        }
        return utf8(String(text.mid(0, end), encoding == 1 ? String::UTF16 : String::UTF16BE));
    }
    const auto nul = text.find(ByteVector(1, '\0'));
    const ByteVector first = nul < 0 ? text : text.mid(0, static_cast<unsigned>(nul));
    if (encoding == 3) {
        return utf8(String(first, String::UTF8));
    }
    return tags::eightBitToUtf8(view(first));
}

void installHandlers() {
    static EightBitId3v2Handler id3v2;
    static EightBitId3v1Handler id3v1;
    static EightBitInfoHandler info;
    static std::once_flag once;
    // Process-wide TagLib settings, set once before any tag is parsed.
    std::call_once(once, [] {
        TagLib::ID3v2::Tag::setLatin1StringHandler(&id3v2);
        TagLib::ID3v1::Tag::setStringHandler(&id3v1);
        TagLib::RIFF::Info::Tag::setStringHandler(&info);
    });
}

RawFrameFactory* rawFrameFactory() {
    static RawFrameFactory factory;
    return &factory;
}

// ---- one reader per tag type -------------------------------------------------------------------------

std::string joinTotal(std::string number, const std::string& total) {
    if (!number.empty() && !total.empty() && number.find('/') == std::string::npos) {
        number += '/' + total;
    }
    return number;
}

TagFields readXiph(const TagLib::Ogg::XiphComment& xiph) {
    const auto& map = xiph.fieldListMap();
    const auto get = [&map](std::initializer_list<const char*> keys) -> std::string {
        for (const char* key : keys) {
            const auto it = map.find(key);
            if (it != map.end() && !it->second.isEmpty() && !it->second.front().isEmpty()) {
                return utf8(it->second.front());
            }
        }
        return {};
    };
    TagFields f;
    f.title = get({"TITLE"});
    f.artist = get({"ARTIST"});
    f.album = get({"ALBUM"});
    f.genre = get({"GENRE"});
    f.year = get({"DATE", "YEAR"});
    f.comment = get({"COMMENT", "DESCRIPTION"});
    f.track = joinTotal(get({"TRACKNUMBER"}), get({"TRACKTOTAL", "TOTALTRACKS"}));
    f.composer = get({"COMPOSER"});
    f.copyright = get({"COPYRIGHT"});
    f.subtitle = get({"SUBTITLE"});
    f.albumArtist = get({"ALBUMARTIST", "ALBUM ARTIST"});
    f.disc = joinTotal(get({"DISCNUMBER"}), get({"DISCTOTAL", "TOTALDISCS"}));
    f.publisher = get({"PUBLISHER", "ORGANIZATION", "LABEL"});
    return f;
}

std::string numberPair(const TagLib::MP4::Item& item) {
    const auto pair = item.toIntPair();
    if (pair.first <= 0) {
        return {};
    }
    std::string out = std::to_string(pair.first);
    if (pair.second > 0) {
        out += '/' + std::to_string(pair.second);
    }
    return out;
}

TagFields readMp4(const TagLib::MP4::Tag& mp4) {
    const auto& items = mp4.itemMap();
    const auto get = [&items](std::initializer_list<const char*> keys) -> std::string {
        for (const char* key : keys) {
            const auto it = items.find(key);
            if (it != items.end()) {
                const auto list = it->second.toStringList();
                if (!list.isEmpty() && !list.front().isEmpty()) {
                    return utf8(list.front());
                }
            }
        }
        return {};
    };
    const auto pair = [&items](const char* key) {
        const auto it = items.find(key);
        return it == items.end() ? std::string() : numberPair(it->second);
    };
    TagFields f;
    f.title = get({"\251nam"});
    f.artist = get({"\251ART"});
    f.album = get({"\251alb"});
    f.genre = get({"\251gen"});
    f.year = get({"\251day"});
    f.comment = get({"\251cmt"});
    f.track = pair("trkn");
    f.composer = get({"\251wrt"});
    f.copyright = get({"cprt"});
    f.subtitle = get({"----:com.apple.iTunes:SUBTITLE"});
    f.albumArtist = get({"aART"});
    f.disc = pair("disk");
    f.publisher = get({"----:com.apple.iTunes:LABEL", "----:com.apple.iTunes:PUBLISHER"});
    return f;
}

std::string asfValue(const TagLib::ASF::Attribute& a) {
    switch (a.type()) {
    case TagLib::ASF::Attribute::UnicodeType:
        return utf8(a.toString());
    case TagLib::ASF::Attribute::DWordType:
        return std::to_string(a.toUInt());
    case TagLib::ASF::Attribute::QWordType:
        return std::to_string(a.toULongLong());
    case TagLib::ASF::Attribute::WordType:
        return std::to_string(a.toUShort());
    default:
        return {};
    }
}

TagFields readAsf(const TagLib::ASF::Tag& asf) {
    const auto get = [&asf](const char* name) -> std::string {
        const auto list = asf.attribute(name);
        return list.isEmpty() ? std::string() : asfValue(list.front());
    };
    TagFields f;
    f.title = utf8(asf.title());
    f.artist = utf8(asf.artist());
    f.album = get("WM/AlbumTitle");
    f.genre = get("WM/Genre");
    f.year = get("WM/Year");
    f.comment = utf8(asf.comment());
    f.track = get("WM/TrackNumber");
    f.composer = get("WM/Composer");
    f.copyright = utf8(asf.copyright());
    f.subtitle = get("WM/SubTitle");
    f.albumArtist = get("WM/AlbumArtist");
    f.disc = get("WM/PartOfSet");
    f.publisher = get("WM/Publisher");
    return f;
}

TagFields readApe(const TagLib::APE::Tag& ape) {
    const auto& items = ape.itemListMap(); // keys are upper-cased by TagLib
    const auto get = [&items](std::initializer_list<const char*> keys) -> std::string {
        for (const char* key : keys) {
            const auto it = items.find(key);
            if (it != items.end() && it->second.type() == TagLib::APE::Item::Text) {
                const auto value = utf8(it->second.toString());
                if (!value.empty()) {
                    return value;
                }
            }
        }
        return {};
    };
    TagFields f;
    f.title = get({"TITLE"});
    f.artist = get({"ARTIST"});
    f.album = get({"ALBUM"});
    f.genre = get({"GENRE"});
    f.year = get({"YEAR"});
    f.comment = get({"COMMENT"});
    f.track = get({"TRACK"});
    f.composer = get({"COMPOSER"});
    f.copyright = get({"COPYRIGHT"});
    f.subtitle = get({"SUBTITLE"});
    f.albumArtist = get({"ALBUM ARTIST", "ALBUMARTIST"});
    f.disc = get({"DISC", "DISCNUMBER"});
    f.publisher = get({"PUBLISHER", "LABEL"});
    return f;
}

TagFields readId3v2(const TagLib::ID3v2::Tag& id3) {
    const auto& frames = id3.frameListMap();
    const auto first = [&frames](const ByteVector& id) -> const TagLib::ID3v2::Frame* {
        const auto it = frames.find(id);
        return it == frames.end() || it->second.isEmpty() ? nullptr : it->second.front();
    };
    const auto text = [&first](const char* id) -> std::string {
        const auto* frame = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(first(id));
        if (frame == nullptr || frame->fieldList().isEmpty()) {
            return {};
        }
        return utf8(frame->fieldList().front());
    };
    const auto raw = [&first](const ByteVector& id) -> std::string {
        const auto* frame = dynamic_cast<const TagLib::ID3v2::UnknownFrame*>(first(id));
        return frame == nullptr ? std::string() : textFrameBody(frame->data());
    };
    TagFields f;
    f.title = text("TIT2");
    f.artist = text("TPE1");
    f.album = text("TALB");
    f.genre = tags::id3v2GenreText(raw(kRawGenreId));
    f.year = id3.header()->majorVersion() < 4 ? raw(kRawYearId) : text("TDRC");
    if (f.year.empty()) {
        f.year = text("TDRC");
    }
    if (const auto* comm = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(first("COMM"))) {
        const std::string description = utf8(comm->description());
        std::string body = utf8(comm->text());
        f.comment = description.empty() ? body : description + ' ' + body;
        std::erase(f.comment, '\r');
    }
    f.track = text("TRCK");
    f.composer = text("TCOM");
    f.copyright = text("TCOP");
    f.subtitle = text("TIT3");
    f.albumArtist = text("TPE2");
    f.disc = text("TPOS");
    f.publisher = text("TPUB");
    return f;
}

TagFields readId3v1(const TagLib::ID3v1::Tag& id3) {
    TagFields f;
    f.title = utf8(id3.title());
    f.artist = utf8(id3.artist());
    f.album = utf8(id3.album());
    f.genre = std::string(tags::id3v1GenreName(id3.genreNumber()));
    f.year = id3.year() == 0 ? std::string() : std::to_string(id3.year());
    // TagLib 1.13 bypasses the string handler for the 30-byte comment of a tag without a track byte and
    // keeps those bytes as Latin-1 up to the first NUL; the bytes are recovered and decoded like the rest.
    f.comment = id3.track() == 0 ? fixedField(id3.comment().data(String::Latin1)) : utf8(id3.comment());
    f.track = id3.track() == 0 ? std::string() : std::to_string(id3.track());
    return f;
}

TagFields readInfo(const TagLib::RIFF::Info::Tag& info) {
    const auto get = [&info](std::initializer_list<const char*> ids) -> std::string {
        for (const char* id : ids) {
            auto value = utf8(info.fieldText(id));
            if (!value.empty()) {
                return value;
            }
        }
        return {};
    };
    TagFields f;
    f.title = get({"INAM"});
    f.artist = get({"IART"});
    f.album = get({"IPRD"});
    f.genre = get({"IGNR"});
    f.year = get({"ICRD"});
    f.comment = get({"ICMT"});
    f.track = get({"IPRT", "ITRK"});
    f.composer = get({"IMUS"});
    f.copyright = get({"ICOP"});
    return f;
}

// Fills every field of `into` that is still empty from `from`.
void fillEmpty(TagFields& into, const TagFields& from) {
    const auto members = {&TagFields::title,    &TagFields::artist,      &TagFields::album,
                          &TagFields::genre,    &TagFields::year,        &TagFields::comment,
                          &TagFields::track,    &TagFields::composer,    &TagFields::copyright,
                          &TagFields::subtitle, &TagFields::albumArtist, &TagFields::disc,
                          &TagFields::publisher};
    for (const auto member : members) {
        if ((into.*member).empty()) {
            into.*member = from.*member;
        }
    }
}

// The tags of one file, in reader order; null where the file has no such tag.
struct TagSet {
    const TagLib::Ogg::XiphComment* xiph = nullptr;
    const TagLib::MP4::Tag* mp4 = nullptr;
    const TagLib::ASF::Tag* asf = nullptr;
    const TagLib::APE::Tag* ape = nullptr;
    const TagLib::ID3v2::Tag* id3v2 = nullptr;
    const TagLib::ID3v1::Tag* id3v1 = nullptr;
    const TagLib::RIFF::Info::Tag* info = nullptr;
};

// The APEv2 tag at the end of a TrueAudio file (before its ID3v1 tag, if any), or null. TagLib reads
// only ID3 tags from TrueAudio files, yet APEv2 is what ffmpeg and many taggers write there.
std::unique_ptr<TagLib::APE::Tag> trailingApeTag(TagLib::TrueAudio::File& file) {
    constexpr long footerSize = 32;
    constexpr long id3v1Size = 128;
    const long end = file.length() - (file.hasID3v1Tag() ? id3v1Size : 0);
    if (end < footerSize) {
        return nullptr;
    }
    file.seek(end - footerSize);
    if (!file.readBlock(8).startsWith("APETAGEX")) {
        return nullptr;
    }
    return std::make_unique<TagLib::APE::Tag>(&file, end - footerSize);
}

// Opens the file. TagLib detects the type (extension, then content); MPEG, FLAC and TrueAudio files are
// then opened again directly so that their ID3v2 tags go through RawFrameFactory.
// Compromise: WAV and AIFF cannot take a frame factory in this TagLib version, so their (rare) ID3v2
// genre and year frames arrive in TagLib's rewritten form.
class OpenedFile {
public:
    explicit OpenedFile(const std::string& path)
        : ref_(path.c_str(), false) {
        TagLib::File* probe = ref_.file();
        if (dynamic_cast<TagLib::MPEG::File*>(probe) != nullptr) {
            ref_ = TagLib::FileRef();
            own_ = std::make_unique<TagLib::MPEG::File>(path.c_str(), rawFrameFactory(), false);
        } else if (dynamic_cast<TagLib::FLAC::File*>(probe) != nullptr) {
            ref_ = TagLib::FileRef();
            own_ = std::make_unique<TagLib::FLAC::File>(path.c_str(), rawFrameFactory(), false);
        } else if (dynamic_cast<TagLib::TrueAudio::File*>(probe) != nullptr) {
            ref_ = TagLib::FileRef();
            auto trueAudio =
                std::make_unique<TagLib::TrueAudio::File>(path.c_str(), rawFrameFactory(), false);
            if (trueAudio->isValid()) {
                trueAudioApe_ = trailingApeTag(*trueAudio);
            }
            own_ = std::move(trueAudio);
        }
    }

    // The opened file, or null when TagLib does not know the type or the file is not valid.
    TagLib::File* file() const {
        TagLib::File* f = own_ ? own_.get() : ref_.file();
        return f != nullptr && f->isValid() ? f : nullptr;
    }

    // The APEv2 tag of a TrueAudio file, which TagLib's TrueAudio reader leaves out; null otherwise.
    const TagLib::APE::Tag* trueAudioApe() const { return trueAudioApe_.get(); }

private:
    TagLib::FileRef ref_;
    std::unique_ptr<TagLib::File> own_;
    std::unique_ptr<TagLib::APE::Tag> trueAudioApe_; // reads through own_: declared after it, freed before
};

TagSet findTags(TagLib::File& file) {
    TagSet t;
    if (auto* f = dynamic_cast<TagLib::Ogg::File*>(&file)) {
        t.xiph = dynamic_cast<TagLib::Ogg::XiphComment*>(f->tag());
    } else if (auto* f = dynamic_cast<TagLib::FLAC::File*>(&file)) {
        t.xiph = f->xiphComment(false);
        t.id3v2 = f->ID3v2Tag(false);
        t.id3v1 = f->ID3v1Tag(false);
    } else if (auto* f = dynamic_cast<TagLib::MP4::File*>(&file)) {
        t.mp4 = f->tag();
    } else if (auto* f = dynamic_cast<TagLib::ASF::File*>(&file)) {
        t.asf = f->tag();
    } else if (auto* f = dynamic_cast<TagLib::MPEG::File*>(&file)) {
        t.ape = f->APETag(false);
        t.id3v2 = f->ID3v2Tag(false);
        t.id3v1 = f->ID3v1Tag(false);
    } else if (auto* f = dynamic_cast<TagLib::APE::File*>(&file)) {
        t.ape = f->APETag(false);
        t.id3v1 = f->ID3v1Tag(false);
    } else if (auto* f = dynamic_cast<TagLib::MPC::File*>(&file)) {
        t.ape = f->APETag(false);
        t.id3v1 = f->ID3v1Tag(false);
    } else if (auto* f = dynamic_cast<TagLib::WavPack::File*>(&file)) {
        t.ape = f->APETag(false);
        t.id3v1 = f->ID3v1Tag(false);
    } else if (auto* f = dynamic_cast<TagLib::TrueAudio::File*>(&file)) {
        t.id3v2 = f->ID3v2Tag(false);
        t.id3v1 = f->ID3v1Tag(false);
    } else if (auto* f = dynamic_cast<TagLib::RIFF::WAV::File*>(&file)) {
        t.id3v2 = f->hasID3v2Tag() ? f->ID3v2Tag() : nullptr;
        t.info = f->hasInfoTag() ? f->InfoTag() : nullptr;
    } else if (auto* f = dynamic_cast<TagLib::RIFF::AIFF::File*>(&file)) {
        t.id3v2 = f->hasID3v2Tag() ? f->tag() : nullptr;
    }
    return t;
}

// True only for a regular file we may read. The non-blocking open means a FIFO or a device never stalls
// the caller, and TagLib is never handed a directory.
bool isReadableRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

} // namespace

TagFields readTagFields(const std::string& path, const MusicTags* music) {
    TagFields fields;
    if (!isReadableRegularFile(path)) {
        return fields;
    }
    installHandlers();
    try {
        const OpenedFile opened(path);
        if (TagLib::File* file = opened.file()) {
            TagSet t = findTags(*file);
            if (t.ape == nullptr) {
                t.ape = opened.trueAudioApe(); // before ID3v2 and ID3v1, as on every format with APE tags
            }
            if (t.xiph != nullptr) {
                fillEmpty(fields, readXiph(*t.xiph));
            }
            if (t.mp4 != nullptr) {
                fillEmpty(fields, readMp4(*t.mp4));
            }
            if (t.asf != nullptr) {
                fillEmpty(fields, readAsf(*t.asf));
            }
            if (t.ape != nullptr) {
                fillEmpty(fields, readApe(*t.ape));
            }
            if (t.id3v2 != nullptr) {
                fillEmpty(fields, readId3v2(*t.id3v2));
            }
            if (t.id3v1 != nullptr) {
                fillEmpty(fields, readId3v1(*t.id3v1));
            }
            if (t.info != nullptr) {
                fillEmpty(fields, readInfo(*t.info));
            }
        }
    } catch (...) {
        // A damaged file gives what was read before the damage; tags are never worth a failure.
    }
    if (music != nullptr) {
        TagFields own;
        own.title = music->title;
        own.artist = music->artist;
        fillEmpty(fields, own);
    }
    return fields;
}

} // namespace orvu::engine
