// Purpose: playing a track through the real handlers: loading and tags, the transport, the status timer,
// the level meters, the equalizer and the effects window, all on the real engine.
#include "audio/effects_window.h"
#include "engine/decoder.h"
#include "engine/engine.h"
#include "skin/gauge.h"
#include "skin/link_label.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"
#include "support/player_fixture.h"
#include "support/signal.h"
#include "support/wav_writer.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <thread>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::PlayerFixture;
using orvu::test::WavSpec;
using orvu::test::writeWav;

namespace {

QString fixture(const char* name) {
    return QString::fromStdString(orvu::test::fixturePath(name));
}

// A started player whose output is held still, so positions and states are exactly what the handlers set.
class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        w = &player.start();
        w->Bass.stop();
    }

    QString copyFixture(const char* name, const QString& as) {
        const QString target = player.appFile(as);
        QFile::copy(fixture(name), target);
        return target;
    }
    QString silence(const QString& name, double seconds) {
        const QString path = player.appFile(name);
        writeWav(path, WavSpec{.seconds = seconds});
        return path;
    }
    void load(const QString& path) {
        w->AddPlaylistEntry(path);
        w->lst1->setItemIndex(w->lst1->count() - 1);
        w->lst1DblClick();
    }
    void seekSeconds(double seconds) {
        w->Bass.channelSetPosition(
            w->session.Channel,
            static_cast<std::uint64_t>(w->Bass.channelSeconds2Bytes(w->session.Channel, seconds)),
            engine::kPosByte);
    }

    PlayerFixture player;
    TForm1* w = nullptr;
};

// A load fills every label, the artist link and the tag bar from the file's tags.
TEST_F(PlaybackTest, LoadFillsTheLabelsFromTheTags) {
    const QString path = copyFixture("sine1k.mp3", u"tagged.mp3"_s);
    {
        TagLib::FileRef file(QFile::encodeName(path).constData());
        ASSERT_FALSE(file.isNull());
        file.tag()->setTitle(TagLib::String("Title & <b>", TagLib::String::UTF8));
        file.tag()->setArtist("Some Artist");
        file.tag()->setAlbum("An Album");
        file.tag()->setGenre("Rock");
        file.tag()->setYear(2004);
        file.tag()->setTrack(3);
        file.tag()->setComment("Nice");
        ASSERT_TRUE(file.save());
    }
    load(path);
    EXPECT_EQ(w->lbl1->text(), u"tagged.mp3"_s);
    EXPECT_EQ(w->lbl3->text(), u"00:02"_s);
    EXPECT_EQ(w->scrlbr1->maximum(), 2);
    EXPECT_EQ(w->sg1->maxValue(), 2);
    EXPECT_EQ(w->lbl16->text(), u"Track : 3"_s);
    EXPECT_EQ(w->lbl17->text(), u"Title : Title & <b>"_s);
    EXPECT_EQ(w->lbl17->textFormat(), Qt::PlainText);
    EXPECT_EQ(w->lbl18->text(), u"Artist : Some Artist"_s);
    EXPECT_EQ(w->lbl19->text(), u"Album : An Album"_s);
    EXPECT_EQ(w->lbl20->text(), u"Genre : Rock"_s);
    EXPECT_EQ(w->lbl21->text(), u"Year : 2004"_s);
    EXPECT_EQ(w->lbl27->text(), u"File : tagged.mp3"_s);
    EXPECT_EQ(w->lbl24->text(), u"Comment : Nice"_s);
    EXPECT_EQ(w->lbl23->text(), u"Sample Rate : 44100 Hz (Stereo)"_s);
    EXPECT_TRUE(w->lbl28->url().endsWith(u"/search?q=Some Artist"_s));
    EXPECT_EQ(w->lbl31->text(),
              u".:: File : tagged.mp3 | Track : 3 | Title : Title & <b> | Artist : Some Artist | "
              u"Album : An Album | Genre : Rock | Year : 2004 | Sample Rate : 44100 Hz (Stereo) | "
              u"Comment : Nice |  ::.."_s);
    EXPECT_EQ(w->state.CurrentFile, path);
    EXPECT_EQ(w->state.ChannelInfo.freq, 44100u);
}

// Without tags the labels hold their bare prefixes and the link searches for the path; a six-channel file
// keeps the sample-rate line; a file shorter than half a second gets a range of 0 and "00:00".
TEST_F(PlaybackTest, UntaggedSixChannelAndShortFiles) {
    const QString plain = copyFixture("sine1k.wav", u"plain.wav"_s);
    load(plain);
    EXPECT_EQ(w->lbl31->text(),
              u".:: File : plain.wav | Track :  | Title :  | Artist :  | Album :  | Genre :  | "
              u"Year :  | Sample Rate : 44100 Hz (Stereo) | Comment :  |  ::.."_s);
    EXPECT_TRUE(w->lbl28->url().endsWith(u"/search?q="_s + plain + u" Artist"_s));

    load(fixture("six_channels.wav"));
    EXPECT_EQ(w->lbl23->text(), u"Sample Rate : 44100 Hz (Stereo)"_s);
    EXPECT_EQ(w->state.ChannelInfo.chans, 6u);

    load(fixture("short.wav"));
    EXPECT_EQ(w->scrlbr1->maximum(), 0);
    EXPECT_EQ(w->lbl3->text(), u"00:00"_s);
}

// A file that cannot be played shows the box, frees the channel and leaves the previous track's labels.
TEST_F(PlaybackTest, FailedLoadShowsTheBoxAndKeepsTheLabels) {
    load(fixture("sine1k.wav"));
    const QString tagBar = w->lbl31->text();
    load(player.appFile(u"missing.mp3"_s));
    ASSERT_EQ(player.messages.boxes.size(), 1);
    EXPECT_EQ(
        player.messages.boxes[0].text,
        u"ORVU Cannot Play this File. \r 1.1 File does not exist. \r 1.2 Unsupported format.\r 1.3 Missing "
        u"Audio Codecs for this Format.\r\rPlease Submit this File Format to ORVU Author."_s);
    EXPECT_EQ(player.messages.boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(w->lbl1->text(), u"missing.mp3"_s);
    EXPECT_EQ(w->lbl31->text(), tagBar);
    EXPECT_EQ(w->lbl3->text(), u"00:02"_s);
    EXPECT_EQ(w->Bass.channelIsActive(w->session.Channel), engine::kActiveStopped);
    w->tmr1Timer();
    EXPECT_EQ(w->lbl1->text(), u"missing.mp3 | Stopped.( 0% )"_s);
}

struct TransportCase {
    const char* what;
    int entries;
    int selected;
    void (*action)(TForm1&);
    int selectedAfter;
    bool loads;
};

// Play, Next, Previous and Random select and load as the transport rules say, at the edges too.
TEST_F(PlaybackTest, TransportSelectsAndLoads) {
    const TransportCase cases[] = {
        {"play, nothing selected", 3, -1, [](TForm1& f) { f.btn1Click(); }, 0, true},
        {"play, empty playlist", 0, -1, [](TForm1& f) { f.btn1Click(); }, -1, false},
        {"play, second selected", 3, 1, [](TForm1& f) { f.btn1Click(); }, 1, true},
        {"next on the last", 3, 2, [](TForm1& f) { f.btn9Click(); }, 0, true},
        {"next, nothing selected", 3, -1, [](TForm1& f) { f.btn9Click(); }, 0, true},
        {"next with one entry", 1, 0, [](TForm1& f) { f.btn9Click(); }, 0, true},
        {"previous on the first", 3, 0, [](TForm1& f) { f.btn8Click(); }, 2, true},
        {"previous, nothing selected", 3, -1, [](TForm1& f) { f.btn8Click(); }, -1, false},
        {"random with one entry", 1, -1, [](TForm1& f) { f.btn26Click(); }, 0, true},
        {"random, empty playlist", 0, -1, [](TForm1& f) { f.btn26Click(); }, -1, false},
    };
    QStringList files;
    for (int i = 0; i < 3; ++i)
        files.append(silence(u"%1.wav"_s.arg(i), 1.0));
    for (const TransportCase& c : cases) {
        w->playlist.clear();
        for (int i = 0; i < c.entries; ++i)
            w->AddPlaylistEntry(files[i]);
        w->lst1->setItemIndex(c.selected);
        w->state.CurrentFile.clear();
        c.action(*w);
        EXPECT_EQ(w->lst1->itemIndex(), c.selectedAfter) << c.what;
        EXPECT_EQ(!w->state.CurrentFile.isEmpty(), c.loads) << c.what;
        if (c.loads) {
            EXPECT_EQ(w->state.CurrentFile, files[c.selectedAfter]) << c.what;
        }
    }
}

// Pause, Stop and Play keep to the engine's states: a paused track resumes, a stopped one reloads.
TEST_F(PlaybackTest, PauseStopAndPlay) {
    load(fixture("sine1k.wav"));
    const engine::Handle first = w->session.Channel;
    w->btn2Click();
    EXPECT_EQ(w->Bass.channelIsActive(first), engine::kActivePaused);
    w->btn2Click(); // pausing a paused track changes nothing
    EXPECT_EQ(w->Bass.channelIsActive(first), engine::kActivePaused);
    w->btn1Click();
    EXPECT_EQ(w->session.Channel, first); // resumed, not reloaded
    EXPECT_EQ(w->Bass.channelIsActive(first), engine::kActivePlaying);
    w->btn3Click();
    EXPECT_EQ(w->Bass.channelIsActive(first), engine::kActiveStopped);
    EXPECT_EQ(w->Bass.channelGetPosition(first, engine::kPosByte), 0);
    w->btn2Click();
    EXPECT_EQ(w->Bass.channelIsActive(first), engine::kActiveStopped);
    w->btn1Click();
    EXPECT_NE(w->session.Channel, first); // loaded afresh
}

// Five-second steps go from the seek bar's position; targets before the start or past the end are refused.
TEST_F(PlaybackTest, RewindAndForwardFiveSeconds) {
    load(silence(u"long.wav"_s, 20.0));
    const auto position = [&] {
        return w->Bass.channelBytes2Seconds(w->session.Channel,
                                            w->Bass.channelGetPosition(w->session.Channel, engine::kPosByte));
    };
    w->scrlbr1->setPosition(10);
    w->btn7Click();
    EXPECT_DOUBLE_EQ(position(), 15.0);
    w->scrlbr1->setPosition(3);
    w->btn6Click(); // -2 s: refused
    EXPECT_DOUBLE_EQ(position(), 15.0);
    w->scrlbr1->setPosition(17);
    w->btn7Click(); // 22 s: past the end, refused
    EXPECT_DOUBLE_EQ(position(), 15.0);
    w->scrlbr1->setPosition(8);
    w->btn6Click();
    EXPECT_DOUBLE_EQ(position(), 3.0);
}

// The seek happens when the scroll ends; on a stopped channel the status timer waits for it.
TEST_F(PlaybackTest, SeekBarSeeksAtTheEndOfTheScroll) {
    load(silence(u"long.wav"_s, 20.0));
    w->scrlbr1->setPosition(12);
    w->scrlbr1Scroll(ScrollBar::Track);
    EXPECT_EQ(w->Bass.channelGetPosition(w->session.Channel, engine::kPosByte), 0);
    w->scrlbr1Scroll(ScrollBar::EndScroll);
    EXPECT_EQ(w->Bass.channelGetPosition(w->session.Channel, engine::kPosByte),
              w->Bass.channelSeconds2Bytes(w->session.Channel, 12.0));
    w->btn3Click();
    w->scrlbr1Scroll(ScrollBar::Track);
    EXPECT_FALSE(w->tmr1->isActive());
    w->scrlbr1Scroll(ScrollBar::EndScroll);
    EXPECT_TRUE(w->tmr1->isActive());
    w->lbl2->setText(u"00:05"_s);
    w->scrlbr1->setPosition(5);
    EXPECT_EQ(w->scrlbr1->toolTip(), u"00:05/00:20"_s);
}

// Space on the focused seek bar runs Play once: a stopped player loads the entry once, a paused
// track resumes where it stood instead of being loaded again. The bar's arrows step 5 seconds and its
// track 1 second.
TEST_F(PlaybackTest, SeekBarKeysAndSteps) {
    const QString file = silence(u"a.wav"_s, 20.0);
    w->AddPlaylistEntry(file);
    QApplication::setActiveWindow(w);
    w->scrlbr1->setFocus();
    QTest::keyClick(w->scrlbr1, Qt::Key_Space);
    EXPECT_EQ(w->state.CurrentFile, file);
    const engine::Handle loaded = w->session.Channel;
    w->btn2Click();
    seekSeconds(7.0);
    QTest::keyClick(w->scrlbr1, Qt::Key_Space);
    EXPECT_EQ(w->session.Channel, loaded);
    EXPECT_EQ(w->Bass.channelIsActive(loaded), engine::kActivePlaying);
    EXPECT_NEAR(w->Bass.channelBytes2Seconds(loaded, w->Bass.channelGetPosition(loaded, engine::kPosByte)),
                7.0, 0.01);
    EXPECT_EQ(w->scrlbr1->singleStep(), 5);
    EXPECT_EQ(w->scrlbr1->pageStep(), 1);
}

// The status line shows the name, the state and the percent: "Song.mp3 | Playing...( 42% )".
TEST_F(PlaybackTest, StatusLineShowsNameStateAndPercent) {
    EXPECT_EQ(w->lbl1->text(), u"No Audio Loaded."_s);
    w->tmr1Timer();
    EXPECT_EQ(w->lbl1->text(), u"No Audio Loaded."_s);
    EXPECT_EQ(w->lbl2->text(), u"00:00"_s);
    EXPECT_EQ(w->lbl15->text(), u"PL : 0/0"_s);
    EXPECT_TRUE(w->lbl22->text().startsWith(u"CPU : "_s));
    EXPECT_TRUE(w->lbl22->text().endsWith(u'%'));

    load(silence(u"Song.mp3"_s, 100.0));
    seekSeconds(42.0);
    w->tmr1Timer();
    EXPECT_EQ(w->lbl1->text(), u"Song.mp3 | Playing...( 42% )"_s);
    EXPECT_EQ(w->lbl2->text(), u"00:42"_s);
    EXPECT_EQ(w->scrlbr1->position(), 42);
    EXPECT_EQ(w->lbl15->text(), u"PL : 1/1"_s);
    w->btn2Click();
    w->tmr1Timer();
    EXPECT_EQ(w->lbl1->text(), u"Song.mp3 | Paused.( 42% )"_s);
    w->sg1MouseMove();
    EXPECT_EQ(w->sg1->toolTip(), w->scrlbr1->toolTip() + u" (42%)"_s);
}

// A decoder that delivers nothing until it is released: the channel plays but stalls.
class HeldDecoder final : public engine::Decoder {
public:
    explicit HeldDecoder(std::shared_ptr<std::atomic<bool>> released)
        : released_(std::move(released)) {}
    int sampleRate() const override { return 44100; }
    int channels() const override { return 2; }
    std::uint32_t ctype() const override { return engine::kCtypeStreamWavPcm; }
    std::int64_t lengthFrames() const override { return 44100 * 100; }
    std::size_t read(float*, std::size_t) override {
        while (!released_->load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 0;
    }
    bool seek(std::int64_t) override { return true; }

private:
    std::shared_ptr<std::atomic<bool>> released_; // shared: the decode thread may outlive the test body
};

// A stalled channel shows no state word: "Song.mp3 | ( 0% )".
TEST_F(PlaybackTest, StatusLineOfAStalledChannel) {
    const auto released = std::make_shared<std::atomic<bool>>(false);
    w->Bass.start();
    w->session.Channel =
        w->Bass.streamCreateDecoder(std::make_unique<HeldDecoder>(released), engine::kSampleLoop, "Song.mp3");
    w->state.CurrentFile = u"/music/Song.mp3"_s;
    w->state.CurrentName = u"Song.mp3"_s;
    w->Bass.channelPlay(w->session.Channel, false);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return w->Bass.channelIsActive(w->session.Channel) == engine::kActiveStalled; }));
    w->tmr1Timer();
    EXPECT_EQ(w->lbl1->text(), u"Song.mp3 | ( 0% )"_s);
    *released = true;
    w->Bass.streamFree(w->session.Channel);
}

// The track that plays, sampled every few milliseconds with the output running, until `count` tracks
// have played or ten seconds pass; each with the time it started, relative to the first.
struct PlayedTrack {
    QString file;
    double startSeconds;
};
QList<PlayedTrack> playedTracks(TForm1& w, qsizetype count) {
    QElapsedTimer clock;
    clock.start();
    QList<PlayedTrack> played{{w.state.CurrentFile, 0.0}};
    engine::Handle channel = w.session.Channel;
    while (played.size() < count && clock.elapsed() < 10000) {
        QTest::qWait(5);
        if (w.session.Channel != channel) {
            channel = w.session.Channel;
            played.append({w.state.CurrentFile, static_cast<double>(clock.elapsed()) / 1000.0});
        }
    }
    return played;
}

// Once a track's end has been heard, the end-of-track step plays the entry after it, the entry the user
// selected meanwhile, or the first after the last. Every track plays to its end once, however short.
TEST_F(PlaybackTest, EndOfTrackPlaysEachTrackOnceToItsEnd) {
    const QString a = silence(u"a.wav"_s, 1.0);
    const QString b = silence(u"b.wav"_s, 0.3);
    const QString c = silence(u"c.wav"_s, 0.5);
    for (const QString& file : {a, b, c})
        w->AddPlaylistEntry(file);
    w->lst1->setItemIndex(0);
    w->lst1DblClick();
    w->Bass.start();
    const QList<PlayedTrack> played = playedTracks(*w, 4);
    ASSERT_EQ(played.size(), 4);
    const QStringList order = {a, b, c, a};
    const double lengths[] = {1.0, 0.3, 0.5};
    for (qsizetype i = 0; i < 4; ++i) {
        EXPECT_EQ(played[i].file, order[i]) << i;
        if (i > 0) { // not before the previous track was heard to its end
            EXPECT_GE(played[i].startSeconds - played[i - 1].startSeconds, lengths[i - 1] - 0.05) << i;
        }
    }
    EXPECT_EQ(w->lst1->itemIndex(), 0);

    w->lst1->setItemIndex(2); // the user picks an entry while a plays
    const QList<PlayedTrack> picked = playedTracks(*w, 2);
    ASSERT_EQ(picked.size(), 2);
    EXPECT_EQ(picked[1].file, c);
}

// A one-entry playlist plays its track again, prepared before the end so the engine joins the two
// passes; a file whose header promises more than it holds ends where its audio ends and moves on once.
TEST_F(PlaybackTest, EndOfTrackLoopsOneEntryAndEndsTruncatedFilesOnce) {
    const QString only = silence(u"only.wav"_s, 0.5);
    w->AddPlaylistEntry(only);
    w->lst1->setItemIndex(0);
    w->lst1DblClick();
    w->Bass.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->session.nextPath() == only; }, 2000));
    const QList<PlayedTrack> again = playedTracks(*w, 2);
    ASSERT_EQ(again.size(), 2);
    EXPECT_EQ(again[1].file, only);

    // The MP3's header counts two seconds of frames; the file holds the first half of them.
    const QString truncated = player.appFile(u"truncated.mp3"_s);
    {
        QFile source(fixture("sine1k.mp3"));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = source.readAll();
        QFile cut(truncated);
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(bytes.left(bytes.size() / 2));
    }
    const QString after = silence(u"after.wav"_s, 5.0);
    w->sbtbtn3Click(); // clear
    w->AddPlaylistEntry(truncated);
    w->AddPlaylistEntry(after);
    w->lst1->setItemIndex(0);
    w->lst1DblClick();
    EXPECT_EQ(w->lbl3->text(), u"00:02"_s);
    const QList<PlayedTrack> played = playedTracks(*w, 2);
    ASSERT_EQ(played.size(), 2);
    EXPECT_EQ(played[1].file, after);
    EXPECT_GE(played[1].startSeconds, 0.9);
    EXPECT_LT(played[1].startSeconds, 1.9); // not held to the promised length
}

// The level gauges take the spectrum's float bit patterns as integers, clamped to their ranges.
TEST_F(PlaybackTest, LevelMetersTakeFloatBitPatterns) {
    const QString tone = player.appFile(u"bin2.wav"_s);
    writeWav(tone, WavSpec{.seconds = 3.0, .rate = 44100, .frequency = 2 * 44100.0 / 256});
    w->Bass.start();
    load(tone);
    std::array<float, 128> spectrum{};
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            w->Bass.channelGetData(w->session.Channel, spectrum.data(), engine::kDataFft256);
            return spectrum[2] > 0.01f; // the tone of element 2 (about 345 Hz) is heard
        },
        5000));
    w->Bass.stop(); // hold the heard signal still
    w->Bass.channelGetData(w->session.Channel, spectrum.data(), engine::kDataFft256);
    w->tmr3Timer();
    const auto expected = [&](std::size_t element, const Gauge* gauge) {
        return std::clamp(std::bit_cast<std::int32_t>(spectrum[element]), gauge->minValue(),
                          gauge->maxValue());
    };
    EXPECT_EQ(w->sg2->progress(), expected(2, w->sg2));
    EXPECT_EQ(w->sg3->progress(), expected(28, w->sg3));
    EXPECT_EQ(w->sg4->progress(), expected(53, w->sg4));
    EXPECT_EQ(w->sg5->progress(), expected(67, w->sg5));
    EXPECT_GT(w->sg2->progress(), w->sg2->minValue());

    const int before = w->sg2->progress();
    w->btn2Click(); // paused: the gauges keep their values, and the meter timer rests
    w->tmr3Timer();
    EXPECT_EQ(w->sg2->progress(), before);
    EXPECT_FALSE(w->tmr3->isActive());
    w->btn1Click(); // resumed: the meters run again
    EXPECT_TRUE(w->tmr3->isActive());
}

// After a load the engine holds the bands' centres, 18 semitones and the sliders' gains; slider moves
// reach it, and only a user's move makes the preset "Other".
TEST_F(PlaybackTest, EqualizerBandsReachTheEngine) {
    w->trckbr2->setPosition(0); // 1K at the top before any track
    EXPECT_EQ(w->trckbr2->toolTip(), u"15"_s);
    load(fixture("sine1k.wav"));
    const float centres[10] = {100,  200,  400,   600,   1000,
                               3000, 6000, 12000, 14000, 14700}; // 16K capped at rate/3
    for (std::size_t band = 0; band < 10; ++band) {
        engine::ParamEqParameters p{};
        ASSERT_TRUE(w->Bass.fxGetParameters(w->session.EqFx[band], &p)) << band;
        EXPECT_FLOAT_EQ(p.fCenter, centres[band]) << band;
        EXPECT_FLOAT_EQ(p.fBandwidth, 18.0f) << band;
        EXPECT_FLOAT_EQ(p.fGain, band == 4 ? 15.0f : 0.0f) << band;
    }
    w->TrackBar1->setPosition(30);
    engine::ParamEqParameters p{};
    w->Bass.fxGetParameters(w->session.EqFx[0], &p);
    EXPECT_FLOAT_EQ(p.fGain, -15.0f);
    EXPECT_EQ(w->TrackBar1->toolTip(), u"-15"_s);
    EXPECT_EQ(w->state.PresetIndex, 0);
    w->trckbr7->triggerAction(QAbstractSlider::SliderSingleStepAdd); // as the user's arrow click
    EXPECT_EQ(w->state.PresetIndex, 12);
    w->Bass.fxGetParameters(w->session.EqFx[9], &p);
    EXPECT_FLOAT_EQ(p.fGain, -1.0f);
}

// The effects window's formulas reach the engine, its reset buttons send their sequences, and its
// settings carry over to the next track.
TEST_F(PlaybackTest, EffectsWindowDrivesTheEngine) {
    TForm6& fx = *player.effects;
    load(fixture("sine1k.wav"));
    const auto reverb = [&] {
        engine::ReverbParameters r{};
        w->Bass.fxGetParameters(w->session.ReverbFx, &r);
        return r;
    };
    const auto attribute = [&](std::uint32_t which) {
        float value = -999.0f;
        w->Bass.channelGetAttribute(w->session.Channel, which, &value);
        return value;
    };
    for (const auto& [position, mix] : {std::pair{20, -96.0f}, {30, -12.0f}, {39, -0.012f}, {40, 0.0f}}) {
        fx.scrlbr3->setPosition(position);
        EXPECT_FLOAT_EQ(reverb().fReverbMix, mix) << position;
    }
    fx.scrlbr6->setPosition(3000000);
    EXPECT_FLOAT_EQ(reverb().fReverbTime, 3000.0f);
    fx.scrlbr6->setPosition(1);
    EXPECT_FLOAT_EQ(reverb().fReverbTime, 0.001f);
    fx.scrlbr1->setPosition(-100);
    EXPECT_FLOAT_EQ(attribute(engine::kAttribPan), -1.0f);
    fx.scrlbr1->setPosition(50);
    EXPECT_FLOAT_EQ(attribute(engine::kAttribPan), 0.5f);
    fx.scrlbr2->setPosition(441);
    EXPECT_FLOAT_EQ(attribute(engine::kAttribFreq), 44100.0f);
    fx.scrlbr2->setPosition(1);
    EXPECT_FLOAT_EQ(attribute(engine::kAttribFreq), 100.0f);

    QSignalSpy echoMix(fx.scrlbr4, &ScrollBar::changed);
    fx.btn4Click(); // from 0: 100, then 0
    EXPECT_EQ(echoMix.count(), 2);
    engine::EchoParameters echo{};
    w->Bass.fxGetParameters(w->session.EchoFx, &echo);
    EXPECT_FLOAT_EQ(echo.fWetDryMix, 0.0f);
    fx.btn5Click();
    EXPECT_EQ(fx.scrlbr3->position(), 20);
    EXPECT_EQ(fx.scrlbr6->position(), 1);
    fx.scrlbr4->setPosition(40);
    fx.scrlbr5->setPosition(30);

    load(fixture("sine1k.opus")); // a 48 kHz file: the next channel gets the same settings
    EXPECT_FLOAT_EQ(attribute(engine::kAttribPan), 0.5f);
    EXPECT_FLOAT_EQ(attribute(engine::kAttribFreq), 100.0f);
    w->Bass.fxGetParameters(w->session.EchoFx, &echo);
    EXPECT_FLOAT_EQ(echo.fWetDryMix, 40.0f);
    EXPECT_FLOAT_EQ(echo.fFeedback, 30.0f);
    fx.btn3Click();
    EXPECT_FLOAT_EQ(attribute(engine::kAttribFreq), 48000.0f); // the file's own rate
    fx.btn2Click();
    EXPECT_FLOAT_EQ(attribute(engine::kAttribPan), 0.0f);

    fx.show();
    EXPECT_FALSE(w->isEnabled());
    fx.btn1Click();
    EXPECT_TRUE(w->isEnabled());
}

} // namespace
