// Purpose: the About and web links windows: their captions, tabs and links, the links' hover fonts, and
// the search links built from the typed text as typed.
#include "core/web_links.h"
#include "shell/about_window.h"
#include "shell/web_links_window.h"
#include "skin/link_label.h"

#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <algorithm>

using namespace orvu;
using namespace Qt::StringLiterals;

namespace {

// Records the addresses handed to the browser instead of opening them.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    UrlRecorder() {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~UrlRecorder() override {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

QStringList tabTitles(const QTabWidget* tabs) {
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i)
        titles.append(tabs->tabText(i));
    return titles;
}

QStringList labelTexts(const QWidget* page) {
    QStringList texts;
    for (const QLabel* label : page->findChildren<QLabel*>())
        texts.append(label->text());
    return texts;
}

// Types `text` into the focused edit box: key by key when it is ASCII, else in one key event, as an
// input method hands over what it composed.
void typeText(QWidget* edit, const QString& text) {
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        QTest::keyClicks(edit, text);
    else
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, text, Qt::NoModifier);
}

// A link shows the hand and its hover font while the pointer is over it, its normal font after.
void expectHover(LinkLabel* link, bool boldOnHover) {
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    const QFont normal = link->font();
    QEnterEvent enter({2, 2}, {2, 2}, link->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(link, &enter);
    if (boldOnHover)
        EXPECT_TRUE(link->font().bold() && !normal.bold());
    else
        EXPECT_TRUE(link->font().underline() && !normal.underline());
    EXPECT_GE(link->width(), QFontMetrics(link->font()).horizontalAdvance(link->text()));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(link, &leave);
    EXPECT_EQ(link->font(), normal);
}

// The About window: its caption and size, three tabs with About in front, the version line, links to
// web pages that open on a press, a read-only licence, and "&OK" closing it.
TEST(AboutWindow, ShowsItsTabsAndLinksAndClosesWithOk) {
    UrlRecorder recorder;
    TForm2 about;
    QSignalSpy open(&about, &TForm2::openChanged);
    about.show();
    EXPECT_EQ(about.windowTitle(), u"About ORVU"_s);
    EXPECT_EQ(about.size(), QSize(488, 385));
    EXPECT_TRUE(about.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(tabTitles(about.pgc1), (QStringList{u"About"_s, u"Contact"_s, u"License"_s}));
    EXPECT_EQ(about.pgc1->currentIndex(), 0);
    EXPECT_TRUE(labelTexts(&about).contains(u"Halvex"_s));
    EXPECT_TRUE(labelTexts(&about).contains(u"MP3 Audio Player"_s));
    EXPECT_TRUE(labelTexts(about.pgc1->widget(0)).contains(u"Version 1.1 Stable/Production Release."_s));
    EXPECT_NE(about.lbl1->graphicsEffect(), nullptr); // the title's glow
    EXPECT_TRUE(about.mmo1->isReadOnly());
    EXPECT_EQ(about.mmo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(about.mmo1->toPlainText().isEmpty());

    for (LinkLabel* link :
         {about.aboutLinks[0], about.aboutLinks[1], about.aboutLinks[2], about.contactLink}) {
        SCOPED_TRACE(link->text().toStdString());
        EXPECT_TRUE(link->font().underline());
        expectHover(link, true);
        recorder.opened.clear();
        QTest::mousePress(link, Qt::LeftButton, {}, {2, 2});
        ASSERT_EQ(recorder.opened.size(), 1);
        EXPECT_EQ(recorder.opened[0].scheme(), u"https"_s);
    }

    QTest::mouseClick(about.btn1, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    ASSERT_EQ(open.size(), 2);
    EXPECT_EQ(open[0][0].toBool(), true);
    EXPECT_EQ(open[1][0].toBool(), false);
}

// The web links window: caption and size, three tabs with the search tab in front, seven links on each
// site tab at their places, and "&Close" closing it with the text kept for the next showing.
TEST(WebLinksWindow, ShowsItsTabsAndSiteLinks) {
    UrlRecorder recorder;
    TForm7 links;
    links.show();
    EXPECT_EQ(links.windowTitle(), u"Dodu DU3 Vavo"_s);
    EXPECT_EQ(links.size(), QSize(545, 331));
    EXPECT_EQ(tabTitles(links.pgc1), (QStringList{u"English"_s, u"Sinhala"_s, u"MP3 Search Engine"_s}));
    EXPECT_EQ(links.pgc1->currentIndex(), 2);
    EXPECT_EQ(links.edt1->width(), 481);
    const QStringList search = labelTexts(links.pgc1->widget(2));
    for (const QString& text : {u"Song Artist and Title :"_s, u"Common Search : "_s, u"Search Song :"_s,
                                u"Search Sinhala Song :"_s, u"Google"_s, u"Yahoo"_s, u"Ask"_s, u"/"_s})
        EXPECT_TRUE(search.contains(text)) << text.toStdString();

    const std::pair<const std::array<LinkLabel*, siteLinkCount>&, const SiteLinks&> tabs[] = {
        {links.englishLinks, englishSiteLinks},
        {links.sinhalaLinks, sinhalaSiteLinks},
    };
    for (const auto& [labels, table] : tabs) {
        for (std::size_t i = 0; i < siteLinkCount; ++i) {
            SCOPED_TRACE(table[i].caption);
            EXPECT_EQ(labels[i]->pos(), QPoint(24, 48 + 24 * static_cast<int>(i)));
            EXPECT_EQ(labels[i]->font().pixelSize(), 13);
            recorder.opened.clear();
            QTest::mousePress(labels[i], Qt::LeftButton, {}, {2, 2});
            ASSERT_EQ(recorder.opened.size(), 1);
            EXPECT_EQ(recorder.opened[0], QUrl(QString::fromLatin1(table[i].target)));
        }
    }
    EXPECT_EQ(links.englishLinks[5]->text(), u"TOP 100"_s);
    expectHover(links.englishLinks[0], false);
    // The song searches go to the sites of the English tab's second and the Sinhala tab's first link.
    const SearchTargets targets = searchTargets(u"x"_s);
    EXPECT_TRUE(targets[std::size_t(SearchLink::SongMp3)].startsWith(
        QUrl(QString::fromLatin1(englishSiteLinks[1].target)).toString(QUrl::RemovePath)));
    EXPECT_TRUE(targets[std::size_t(SearchLink::SinhalaMp3)].startsWith(
        QString::fromLatin1(sinhalaSiteLinks[0].target) + u"search.php?"_s));

    links.pgc1->setCurrentIndex(2);
    links.edt1->setFocus();
    QTest::keyClicks(links.edt1, u"kept"_s);
    QTest::mouseClick(links.btn1, Qt::LeftButton);
    EXPECT_FALSE(links.isVisible());
    links.show();
    EXPECT_EQ(links.edt1->text(), u"kept"_s);
    EXPECT_FALSE(links.searchLinks[0]->url().isEmpty());
}

struct SearchCase {
    const char* label;
    QString typed;
    QString google; // the "Google" link's target
    // What the browser is handed for the "Google" link: its query and fragment, decoded.
    QString query;
    QString fragment;
};

// Every change of the typed text sets the seven targets, the text going into the address as typed;
// emptying the text empties them all, and the links then open nothing.
TEST(WebLinksWindow, SearchLinksCarryTheTextAsTyped) {
    const SearchCase cases[] = {
        {"letter",
         u"a"_s,
         u"https://www.google.com/search?q=a mp3 free download"_s,
         u"q=a mp3 free download"_s,
         {}},
        {"ampersand",
         u"rock & roll"_s,
         u"https://www.google.com/search?q=rock & roll mp3 free download"_s,
         u"q=rock & roll mp3 free download"_s,
         {}},
        {"hash", u"AC/DC #1"_s, u"https://www.google.com/search?q=AC/DC #1 mp3 free download"_s,
         u"q=AC/DC "_s, u"1 mp3 free download"_s},
        {"non-ASCII",
         u"Ränneböck ශ්‍රී"_s,
         u"https://www.google.com/search?q=Ränneböck ශ්‍රී mp3 free download"_s,
         u"q=Ränneböck ශ්‍රී mp3 free download"_s,
         {}},
    };
    UrlRecorder recorder;
    TForm7 links;
    links.show();
    for (const SearchCase& search : cases) {
        SCOPED_TRACE(search.label);
        links.edt1->clear();
        links.edt1->setFocus();
        typeText(links.edt1, search.typed);
        const auto target = [&](SearchLink link) { return links.searchLinks[std::size_t(link)]->url(); };
        EXPECT_EQ(target(SearchLink::Google), search.google);
        EXPECT_EQ(target(SearchLink::Yahoo),
                  u"https://search.yahoo.com/search?p="_s + search.typed + u" mp3 free download"_s);
        EXPECT_EQ(target(SearchLink::Ask),
                  u"https://www.ask.com/web?q="_s + search.typed + u" mp3 free download"_s);
        EXPECT_TRUE(target(SearchLink::SongMp3).endsWith(u"/search.php?q="_s + search.typed));
        EXPECT_TRUE(target(SearchLink::SongLyrics).endsWith(u"/search?search="_s + search.typed));
        EXPECT_TRUE(target(SearchLink::SinhalaMp3)
                        .endsWith(u"/free-sinhala-mp3/search.php?searchmp3="_s + search.typed));
        EXPECT_EQ(target(SearchLink::SinhalaLyrics),
                  u"https://www.google.com/search?q="_s + search.typed + u" Lyrics&tbm=isch"_s);

        recorder.opened.clear();
        QTest::mousePress(links.searchLinks[std::size_t(SearchLink::Google)], Qt::LeftButton, {}, {2, 2});
        ASSERT_EQ(recorder.opened.size(), 1);
        EXPECT_EQ(recorder.opened[0].host(), u"www.google.com"_s);
        EXPECT_EQ(recorder.opened[0].query(QUrl::FullyDecoded), search.query);
        EXPECT_EQ(recorder.opened[0].fragment(QUrl::FullyDecoded), search.fragment);
    }

    // The Sinhala lyrics search hands the browser a second parameter, tbm=isch.
    recorder.opened.clear();
    QTest::mousePress(links.searchLinks[std::size_t(SearchLink::SinhalaLyrics)], Qt::LeftButton, {}, {2, 2});
    ASSERT_EQ(recorder.opened.size(), 1);
    const QUrlQuery query(recorder.opened[0]);
    EXPECT_EQ(query.queryItemValue(u"q"_s, QUrl::FullyDecoded), cases[3].typed + u" Lyrics"_s);
    EXPECT_EQ(query.queryItemValue(u"tbm"_s), u"isch"_s);

    links.edt1->selectAll();
    QTest::keyClick(links.edt1, Qt::Key_Backspace);
    recorder.opened.clear();
    for (LinkLabel* link : links.searchLinks) {
        EXPECT_TRUE(link->url().isEmpty());
        QTest::mousePress(link, Qt::LeftButton, {}, {2, 2});
    }
    EXPECT_TRUE(recorder.opened.isEmpty());
}

} // namespace

#include "web_links_test.moc"
