// Purpose: tests of the tag reader on real files tagged with TagLib: each tag type, precedence, ID3 rules.
#include "engine/tags/tags.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/trueaudiofile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

namespace orvu::engine {
namespace {

namespace fs = std::filesystem;
using TagLib::String;

// Every field in one line, so a single comparison shows which field went wrong.
constexpr std::string_view kAllFields =
    "%TITL|%ARTI|%ALBM|%GNRE|%YEAR|%CMNT|%TRCK|%COMP|%COPY|%SUBT|%AART|%DISC|%PUBL";

// A TagLib string holding exactly these bytes as Latin-1 characters, so a Latin-1 field stores them as-is.
String rawLatin1(std::string_view bytes) {
    return String(TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size())), String::Latin1);
}

String u8(const char* text) {
    return String(text, String::UTF8);
}

void addText(TagLib::ID3v2::Tag& tag, const char* id, const String& text) {
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, String::Latin1);
    frame->setText(text);
    tag.addFrame(frame);
}

void saveMpeg(TagLib::MPEG::File& file, int tags, int id3v2Version = 4) {
    ASSERT_TRUE(file.save(tags, TagLib::File::StripOthers,
                          id3v2Version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4,
                          TagLib::File::DoNotDuplicate));
}

// Each test works on copies of the untagged fixtures in its own temporary directory.
class TagFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orvu-tags-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // A fresh untagged copy of the fixture with this extension.
    std::string copy(const std::string& extension) { return copyFixture("untagged." + extension); }

    // A fresh copy of the named fixture.
    std::string copyFixture(const std::string& name) {
        const fs::path from = fs::path(ORVU_TAG_FIXTURE_DIR) / name;
        const fs::path to = dir_ / ("file" + std::to_string(++copies_) + from.extension().string());
        fs::copy_file(from, to);
        return to.string();
    }

    // A file with this content (no audio at all).
    std::string write(const std::string& name, const std::string& content) {
        const fs::path to = dir_ / name;
        std::ofstream(to, std::ios::binary) << content;
        return to.string();
    }

    // Replaces the first occurrence of `from` in the file by `to` (same length), to plant raw bytes
    // where TagLib's writer would re-encode them.
    static void patch(const std::string& path, std::string_view from, std::string_view to) {
        ASSERT_EQ(from.size(), to.size());
        std::string bytes;
        {
            std::ifstream in(path, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        const auto at = bytes.find(from);
        ASSERT_NE(at, std::string::npos) << "pattern not in file";
        bytes.replace(at, to.size(), to);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

    static std::string read(const std::string& path, std::string_view format = kAllFields,
                            const MusicTags* music = nullptr) {
        return formatTags(readTagFields(path, music), format);
    }

    fs::path dir_;
    int copies_ = 0;
};

// ---- each container's own tag type ----------------------------------------------------------------

void fillXiph(TagLib::Ogg::XiphComment& x) {
    x.addField("TITLE", u8("Título"));
    x.addField("ARTIST", "Artist");
    x.addField("ALBUM", "Album");
    x.addField("GENRE", "Jazz");
    x.addField("DATE", "2004");
    x.addField("COMMENT", "Note");
    x.addField("TRACKNUMBER", "3");
    x.addField("TRACKTOTAL", "12");
    x.addField("COMPOSER", "Comp");
    x.addField("COPYRIGHT", "Copy");
    x.addField("SUBTITLE", "Sub");
    x.addField("ALBUMARTIST", "Band");
    x.addField("DISCNUMBER", "1");
    x.addField("DISCTOTAL", "2");
    x.addField("PUBLISHER", "Pub");
}

void tagOgg(const std::string& path) {
    TagLib::FileRef ref(path.c_str(), false);
    auto* x = dynamic_cast<TagLib::Ogg::XiphComment*>(ref.tag());
    ASSERT_NE(x, nullptr);
    fillXiph(*x);
    ASSERT_TRUE(ref.save());
}

void tagFlac(const std::string& path) {
    TagLib::FLAC::File f(path.c_str(), false);
    fillXiph(*f.xiphComment(true));
    ASSERT_TRUE(f.save());
}

void tagMp4(const std::string& path) {
    TagLib::MP4::File f(path.c_str(), false);
    auto* t = f.tag();
    t->setItem("\251nam", TagLib::StringList(u8("Título")));
    t->setItem("\251ART", TagLib::StringList("Artist"));
    t->setItem("\251alb", TagLib::StringList("Album"));
    t->setItem("\251gen", TagLib::StringList("Jazz"));
    t->setItem("\251day", TagLib::StringList("2004"));
    t->setItem("\251cmt", TagLib::StringList("Note"));
    t->setItem("trkn", TagLib::MP4::Item(3, 12));
    t->setItem("\251wrt", TagLib::StringList("Comp"));
    t->setItem("cprt", TagLib::StringList("Copy"));
    t->setItem("----:com.apple.iTunes:SUBTITLE", TagLib::StringList("Sub"));
    t->setItem("aART", TagLib::StringList("Band"));
    t->setItem("disk", TagLib::MP4::Item(1, 2));
    t->setItem("----:com.apple.iTunes:LABEL", TagLib::StringList("Pub"));
    ASSERT_TRUE(f.save());
}

void tagAsf(const std::string& path) {
    TagLib::ASF::File f(path.c_str(), false);
    auto* t = f.tag();
    t->setTitle(u8("Título"));
    t->setArtist("Artist");
    t->setComment("Note");
    t->setCopyright("Copy");
    t->setAttribute("WM/AlbumTitle", String("Album"));
    t->setAttribute("WM/Genre", String("Jazz"));
    t->setAttribute("WM/Year", String("2004"));
    t->setAttribute("WM/TrackNumber", TagLib::ASF::Attribute(3u)); // a DWORD, as most writers store it
    t->setAttribute("WM/Composer", String("Comp"));
    t->setAttribute("WM/SubTitle", String("Sub"));
    t->setAttribute("WM/AlbumArtist", String("Band"));
    t->setAttribute("WM/PartOfSet", String("1/2"));
    t->setAttribute("WM/Publisher", String("Pub"));
    ASSERT_TRUE(f.save());
}

void tagApe(TagLib::APE::Tag& t) {
    t.addValue("TITLE", u8("Título"));
    t.addValue("ARTIST", "Artist");
    t.addValue("ALBUM", "Album");
    t.addValue("GENRE", "Jazz");
    t.addValue("YEAR", "2004");
    t.addValue("COMMENT", "Note");
    t.addValue("TRACK", "3/12");
    t.addValue("COMPOSER", "Comp");
    t.addValue("COPYRIGHT", "Copy");
    t.addValue("SUBTITLE", "Sub");
    t.addValue("ALBUM ARTIST", "Band");
    t.addValue("DISC", "1/2");
    t.addValue("PUBLISHER", "Pub");
}

void tagWavPack(const std::string& path) {
    TagLib::WavPack::File f(path.c_str(), false);
    tagApe(*f.APETag(true));
    ASSERT_TRUE(f.save());
}

void tagId3v2(const std::string& path) {
    TagLib::MPEG::File f(path.c_str(), false);
    auto& t = *f.ID3v2Tag(true);
    addText(t, "TIT2", u8("Título"));
    addText(t, "TPE1", "Artist");
    addText(t, "TALB", "Album");
    addText(t, "TCON", "Jazz");
    addText(t, "TDRC", "2004");
    auto* comm = new TagLib::ID3v2::CommentsFrame();
    comm->setText("Note");
    t.addFrame(comm);
    addText(t, "TRCK", "3/12");
    addText(t, "TCOM", "Comp");
    addText(t, "TCOP", "Copy");
    addText(t, "TIT3", "Sub");
    addText(t, "TPE2", "Band");
    addText(t, "TPOS", "1/2");
    addText(t, "TPUB", "Pub");
    saveMpeg(f, TagLib::MPEG::File::ID3v2);
}

void tagInfo(const std::string& path) {
    TagLib::RIFF::WAV::File f(path.c_str(), false);
    auto* t = f.InfoTag();
    t->setFieldText("INAM", u8("Título"));
    t->setFieldText("IART", "Artist");
    t->setFieldText("IPRD", "Album");
    t->setFieldText("IGNR", "Jazz");
    t->setFieldText("ICRD", "2004");
    t->setFieldText("ICMT", "Note");
    t->setFieldText("IPRT", "3/12");
    t->setFieldText("IMUS", "Comp");
    t->setFieldText("ICOP", "Copy");
    ASSERT_TRUE(f.save(TagLib::RIFF::WAV::File::Info));
}

// Every container's own tag type gives every field it can carry, track and disc joined with their totals.
TEST_F(TagFileTest, EachContainerReadsItsOwnTagType) {
    constexpr std::string_view kFull = "Título|Artist|Album|Jazz|2004|Note|3/12|Comp|Copy|Sub|Band|1/2|Pub";
    const struct {
        const char* extension;
        void (*tag)(const std::string&);
        std::string_view expected;
    } cases[] = {
        {"ogg", tagOgg, kFull},
        {"opus", tagOgg, kFull},
        {"spx", tagOgg, kFull},
        {"flac", tagFlac, kFull},
        {"m4a", tagMp4, kFull},
        {"wma", tagAsf, "Título|Artist|Album|Jazz|2004|Note|3|Comp|Copy|Sub|Band|1/2|Pub"}, // no track total
        {"wv", tagWavPack, kFull},
        {"mp3", tagId3v2, kFull},
        {"wav", tagInfo, "Título|Artist|Album|Jazz|2004|Note|3/12|Comp|Copy||||"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension);
        const std::string path = copy(c.extension);
        EXPECT_EQ(read(path), "||||||||||||") << "the fixture came with tags";
        c.tag(path);
        EXPECT_EQ(read(path), c.expected);
    }
}

// ---- precedence ------------------------------------------------------------------------------------

// With APE, ID3v2 and ID3v1 on one MP3, each field comes from the first of them that has it.
TEST_F(TagFileTest, Mp3FieldsComeFromApeThenId3v2ThenId3v1) {
    const std::string path = copy("mp3");
    {
        TagLib::MPEG::File f(path.c_str(), false);
        f.APETag(true)->addValue("TITLE", "ape title");
        addText(*f.ID3v2Tag(true), "TIT2", "v2 title");
        addText(*f.ID3v2Tag(true), "TPE1", "v2 artist");
        auto* v1 = f.ID3v1Tag(true);
        v1->setTitle("v1 title");
        v1->setArtist("v1 artist");
        v1->setAlbum("v1 album");
        v1->setGenre("Rock");
        saveMpeg(f, TagLib::MPEG::File::AllTags);
    }
    EXPECT_EQ(read(path, "%TITL|%ARTI|%ALBM|%GNRE"), "ape title|v2 artist|v1 album|Rock");
}

// A TrueAudio file's APEv2 tag is read, ahead of its ID3v2 and ID3v1 tags as on every format that carries
// APE tags: each field comes from the first of them that has it, wherever the ID3v1 tag sits behind it.
TEST_F(TagFileTest, TtaApeTagComesBeforeId3v2AndId3v1) {
    const std::string path = copyFixture("ape_tagged.tta");
    EXPECT_EQ(read(path, "%TITL|%ARTI"), "Night Train|The Sleepers");
    {
        TagLib::TrueAudio::File f(path.c_str(), false);
        addText(*f.ID3v2Tag(true), "TIT2", "v2 title");
        addText(*f.ID3v2Tag(true), "TALB", "v2 album");
        f.ID3v1Tag(true)->setArtist("v1 artist");
        f.ID3v1Tag(true)->setGenre("Rock");
        ASSERT_TRUE(f.save());
    }
    EXPECT_EQ(read(path, "%TITL|%ARTI|%ALBM|%GNRE"), "Night Train|The Sleepers|v2 album|Rock");
}

// Vorbis comments come before a FLAC file's ID3v2 tag; an empty comment does not hide the ID3v2 value.
TEST_F(TagFileTest, FlacVorbisCommentsComeBeforeId3v2) {
    const std::string path = copy("flac");
    {
        TagLib::FLAC::File f(path.c_str(), false);
        f.xiphComment(true)->addField("TITLE", "vorbis title");
        f.xiphComment(true)->addField("ARTIST", "");
        addText(*f.ID3v2Tag(true), "TIT2", "v2 title");
        addText(*f.ID3v2Tag(true), "TPE1", "v2 artist");
        ASSERT_TRUE(f.save());
    }
    EXPECT_EQ(read(path, "%TITL|%ARTI"), "vorbis title|v2 artist");
}

// A WAV file's ID3v2 chunk comes before its RIFF INFO list.
TEST_F(TagFileTest, WavId3v2ComesBeforeRiffInfo) {
    const std::string path = copy("wav");
    {
        TagLib::RIFF::WAV::File f(path.c_str(), false);
        addText(*f.ID3v2Tag(), "TIT2", "v2 title");
        f.InfoTag()->setFieldText("INAM", "info title");
        f.InfoTag()->setFieldText("IART", "info artist");
        ASSERT_TRUE(f.save(TagLib::RIFF::WAV::File::AllTags));
    }
    EXPECT_EQ(read(path, "%TITL|%ARTI"), "v2 title|info artist");
}

// ---- ID3v2 rules -----------------------------------------------------------------------------------

// TCON is resolved by the ID3v1 table and the (RX)/(CR)/(( conventions, TRCK is kept as stored, in both
// ID3v2.3 and ID3v2.4 tags.
TEST_F(TagFileTest, Id3v2GenreAndTrackRules) {
    const struct {
        const char* tcon;
        const char* genre;
    } genres[] = {
        {"(17)", "Rock"},           {"(4)Eurodisco", "Disco/Eurodisco"},
        {"(RX)", "Remix"},          {"(CR)", "Cover"},
        {"((text", "(text"},        {"17", "17"},
        {"Synthwave", "Synthwave"}, {"(17)(RX)", "Rock/Remix"},
        {"(191)", "Psybient"},      {"(255)", ""},
        {"(foo) bar", "(foo) bar"},
    };
    const char* tracks[] = {"3/12", "07", "3"};
    for (const int version : {3, 4}) {
        for (std::size_t i = 0; i < std::size(genres); ++i) {
            if (version == 3 && std::string_view(genres[i].tcon) == "17") {
                continue; // TagLib's ID3v2.3 writer stores a bare number as "(17)"
            }
            SCOPED_TRACE(std::string("ID3v2.") + std::to_string(version) + " TCON " + genres[i].tcon);
            const std::string path = copy("mp3");
            const char* track = tracks[i % std::size(tracks)];
            {
                TagLib::MPEG::File f(path.c_str(), false);
                addText(*f.ID3v2Tag(true), "TCON", genres[i].tcon);
                addText(*f.ID3v2Tag(true), "TRCK", track);
                saveMpeg(f, TagLib::MPEG::File::ID3v2, version);
            }
            EXPECT_EQ(read(path, "%GNRE|%TRCK"), std::string(genres[i].genre) + "|" + track);
        }
    }
}

// The year is TYER in an ID3v2.3 tag and the full TDRC timestamp in an ID3v2.4 tag.
TEST_F(TagFileTest, Id3v2YearFollowsTheTagVersion) {
    for (const auto& [version, expected] : {std::pair{3, "2004"}, std::pair{4, "2004-05-01"}}) {
        SCOPED_TRACE(version);
        const std::string path = copy("mp3");
        {
            TagLib::MPEG::File f(path.c_str(), false);
            addText(*f.ID3v2Tag(true), "TDRC", "2004-05-01"); // written as TYER (+TDAT) for v2.3
            saveMpeg(f, TagLib::MPEG::File::ID3v2, version);
        }
        EXPECT_EQ(read(path, "%YEAR"), expected);
    }
}

// A comment with a description reads "description text", carriage returns removed; without one, the text.
TEST_F(TagFileTest, Id3v2CommentJoinsDescriptionAndDropsCarriageReturns) {
    for (const auto& [description, expected] :
         {std::pair{"desc", "desc line1\nline2"}, std::pair{"", "line1\nline2"}}) {
        SCOPED_TRACE(description);
        const std::string path = copy("mp3");
        {
            TagLib::MPEG::File f(path.c_str(), false);
            auto* comm = new TagLib::ID3v2::CommentsFrame();
            comm->setDescription(description);
            comm->setText("line1\r\nline2");
            f.ID3v2Tag(true)->addFrame(comm);
            saveMpeg(f, TagLib::MPEG::File::ID3v2);
        }
        EXPECT_EQ(read(path, "%CMNT"), expected);
    }
}

// ---- ID3v1 rules -----------------------------------------------------------------------------------

// ID3v1 genre numbers go through the 192-entry table (unset or beyond it gives nothing); the v1.1 track
// byte reads as a decimal number, and the 28-character comment is trimmed.
TEST_F(TagFileTest, Id3v1GenreTableTrackAndComment) {
    const struct {
        unsigned genre;
        unsigned track;
        const char* expected;
    } cases[] = {
        {0, 1, "Blues|1|short"},          {17, 7, "Rock|7|short"}, {80, 12, "Folk|12|short"},
        {191, 255, "Psybient|255|short"}, {192, 3, "|3|short"},    {255, 0, "||short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const std::string path = copy("mp3");
        {
            TagLib::MPEG::File f(path.c_str(), false);
            f.ID3v1Tag(true)->setGenreNumber(c.genre);
            f.ID3v1Tag(true)->setTrack(c.track);
            f.ID3v1Tag(true)->setComment("short   ");
            f.ID3v1Tag(true)->setYear(1999);
            saveMpeg(f, TagLib::MPEG::File::ID3v1);
        }
        EXPECT_EQ(read(path, "%GNRE|%TRCK|%CMNT"), c.expected);
        EXPECT_EQ(read(path, "%YEAR"), "1999");
    }
}

// An ID3v1.0 tag (no zero byte before the last comment byte) has a 30-character comment and no track.
TEST_F(TagFileTest, Id3v1WithoutTrackByteKeepsTheFullComment) {
    const std::string path = copy("mp3");
    {
        TagLib::MPEG::File f(path.c_str(), false);
        f.ID3v1Tag(true)->setComment("abcdefghijklmnopqrstuvwxyz01");
        f.ID3v1Tag(true)->setTrack(9);
        saveMpeg(f, TagLib::MPEG::File::ID3v1);
    }
    // The v1.1 layout ends the comment with 0, track; make those two bytes text.
    patch(path, std::string("xyz01\0\x09", 7), "xyz01AB");
    EXPECT_EQ(read(path, "%CMNT|%TRCK"), "abcdefghijklmnopqrstuvwxyz01AB|");
}

// ---- 8-bit text ------------------------------------------------------------------------------------

// 8-bit text that is valid UTF-8 is read as UTF-8; anything else as Windows-1252, no byte dropped.
TEST_F(TagFileTest, EightBitTextIsUtf8OrWindows1252) {
    const struct {
        std::string_view bytes;
        std::string_view expected;
    } cases[] = {
        {"Caf\xE9", "Café"},
        {"Caf\xC3\xA9", "Café"},
        {"\x80 \x93x\x94 \x85", "€ “x” …"},
        {"\x81\x9F\xFF", "\xC2\x81Ÿÿ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const std::string v2 = copy("mp3");
        const std::string v1 = copy("mp3");
        {
            TagLib::MPEG::File f(v2.c_str(), false);
            addText(*f.ID3v2Tag(true), "TIT2", rawLatin1(c.bytes));
            saveMpeg(f, TagLib::MPEG::File::ID3v2);
            TagLib::MPEG::File g(v1.c_str(), false);
            g.ID3v1Tag(true)->setArtist(rawLatin1(c.bytes));
            g.ID3v1Tag(true)->setComment(rawLatin1(c.bytes)); // no track: the 30-byte comment layout
            saveMpeg(g, TagLib::MPEG::File::ID3v1);
        }
        EXPECT_EQ(read(v2, "%TITL"), c.expected) << "ID3v2";
        EXPECT_EQ(read(v1, "%ARTI|%CMNT"), std::string(c.expected) + "|" + std::string(c.expected))
            << "ID3v1";
    }
}

// RIFF INFO text in Windows-1252 is converted like the other 8-bit tags.
TEST_F(TagFileTest, RiffInfoWindows1252Text) {
    const std::string path = copy("wav");
    {
        TagLib::RIFF::WAV::File f(path.c_str(), false);
        f.InfoTag()->setFieldText("INAM", "Cafe Ole");
        ASSERT_TRUE(f.save(TagLib::RIFF::WAV::File::Info));
    }
    patch(path, "Cafe Ole", "Caf\xE9 Ol\xE9");
    EXPECT_EQ(read(path, "%TITL"), "Café Olé");
}

// ---- a module's own title and artist ---------------------------------------------------------------

// A module's own title and artist fill only what the file's tags leave empty.
TEST_F(TagFileTest, MusicTagsFillWhatTagsLeaveEmpty) {
    const MusicTags music{"Module title", "Module artist"};
    const std::string tagged = copy("mp3");
    {
        TagLib::MPEG::File f(tagged.c_str(), false);
        addText(*f.ID3v2Tag(true), "TIT2", "Tag title");
        saveMpeg(f, TagLib::MPEG::File::ID3v2);
    }
    EXPECT_EQ(read(tagged, "%TITL|%ARTI", &music), "Tag title|Module artist");
    EXPECT_EQ(read(copy("mp3"), "%TITL|%ARTI", &music), "Module title|Module artist");
    const std::string unknownType = write("song.xyz", "not a format TagLib knows");
    EXPECT_EQ(read(unknownType, "%TITL|%ARTI", &music), "Module title|Module artist");
}

// ---- paths that are not readable files -------------------------------------------------------------

// A missing path, a directory or a FIFO gives empty fields at once, never blocking on the FIFO.
TEST_F(TagFileTest, NonRegularPathsGiveEmptyFieldsPromptly) {
    const std::string fifo = (dir_ / "pipe.mp3").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string directory = (dir_ / "folder.mp3").string();
    fs::create_directory(directory);
    const MusicTags music{"Module title", "Module artist"};
    for (const std::string& path : {(dir_ / "missing.mp3").string(), directory, fifo, std::string()}) {
        SCOPED_TRACE(path);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(read(path, kAllFields, &music), "||||||||||||");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
}

// ---- damaged files ---------------------------------------------------------------------------------

// Garbage, truncated files and absurd tag sizes are read without a crash (the sanitizers watch memory).
TEST_F(TagFileTest, DamagedFilesDoNotCrash) {
    std::string garbage;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 1664525u + 1013904223u;
        garbage += static_cast<char>(seed >> 24);
    }
    const std::string hugeId3 = std::string("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10) + "TIT2" + garbage;
    const std::string hugeApe =
        garbage + "APETAGEX" + std::string("\xD0\x07\0\0\xFF\xFF\xFF\x7F", 8) + garbage;
    for (const char* extension : {"mp3", "ogg", "opus", "spx", "flac", "m4a", "wma", "wav", "wv", "tta"}) {
        SCOPED_TRACE(extension);
        EXPECT_EQ(read(write(std::string("garbage.") + extension, garbage), "%TITL"), "");
        read(write(std::string("id3.") + extension, hugeId3));
        read(write(std::string("ape.") + extension, hugeApe));
        // The first half of a tagged file: the tag or the stream is cut short.
        const std::string tagged = copy(extension);
        {
            TagLib::FileRef ref(tagged.c_str(), false);
            ref.tag()->setTitle("A title long enough to matter");
            ref.tag()->setComment(String(std::string(3000, 'c')));
            ref.save();
        }
        fs::resize_file(tagged, fs::file_size(tagged) / 2);
        read(tagged);
    }
    // A TrueAudio file whose APE footer claims more bytes, or more items, than the file holds.
    const std::string hugeSize("\xFF\xFF\xFF\x7F\x01\0\0\0", 8); // tag size, item count
    const std::string manyItems("\x40\0\0\0\xFF\xFF\xFF\x7F", 8);
    for (const std::string& sizeAndCount : {hugeSize, manyItems}) {
        const std::string tta = copy("tta");
        std::ofstream(tta, std::ios::binary | std::ios::app)
            << "APETAGEX" << std::string("\xD0\x07\0\0", 4) << sizeAndCount << std::string("\0\0\0\xA0", 4)
            << std::string(8, '\0');
        EXPECT_EQ(read(tta, "%TITL"), "");
    }
}

} // namespace
} // namespace orvu::engine
