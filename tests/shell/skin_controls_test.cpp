// Purpose: the skinned controls behave as the handlers rely on: scroll bars, gauges, link labels, list boxes.
#include "core/playlist.h"
#include "skin/gauge.h"
#include "skin/link_label.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"

#include <QDesktopServices>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace orvu;
using namespace Qt::StringLiterals;

namespace {

// A position set by the program clamps and reports a change only when it really changes; it never
// counts as a scroll.
TEST(ScrollBar, ProgramPositionClampsAndChangesOnlyOnRealChange) {
    ScrollBar bar(Qt::Horizontal);
    bar.setRange(0, 100);
    QSignalSpy changed(&bar, &ScrollBar::changed);
    QSignalSpy scrolled(&bar, &ScrollBar::scrolled);
    bar.setPosition(50);
    bar.setPosition(50);
    bar.setPosition(250);
    bar.setPosition(-4);
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(bar.position(), 0);
    EXPECT_EQ(scrolled.count(), 0);
}

// The user's scrolling reports each step and then the end of the scroll, with the position.
TEST(ScrollBar, UserScrollReportsStepsThenEndScroll) {
    ScrollBar bar(Qt::Horizontal);
    bar.setRange(0, 100);
    bar.setSingleStep(5);
    bar.resize(200, 17);
    bar.show();
    QSignalSpy scrolled(&bar, &ScrollBar::scrolled);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.width() - 4, bar.height() / 2)); // the right arrow
    ASSERT_GE(scrolled.count(), 2);
    EXPECT_EQ(scrolled.at(0).at(0).toInt(), ScrollBar::LineDown);
    EXPECT_EQ(scrolled.last().at(0).toInt(), ScrollBar::EndScroll);
    EXPECT_EQ(scrolled.last().at(1).toInt(), 5);
}

// The arrow keys move a bar towards the arrow: left and up towards the minimum, right and down towards
// the maximum (Qt's scroll bars reverse the horizontal keys by default).
TEST(ScrollBar, ArrowKeysMoveTowardsTheArrow) {
    struct Case {
        Qt::Orientation orientation;
        Qt::Key key;
        int expected;
    };
    for (const Case& c : {Case{Qt::Horizontal, Qt::Key_Left, 45}, Case{Qt::Horizontal, Qt::Key_Right, 55},
                          Case{Qt::Vertical, Qt::Key_Up, 45}, Case{Qt::Vertical, Qt::Key_Down, 55}}) {
        ScrollBar bar(c.orientation);
        bar.setRange(0, 100);
        bar.setSingleStep(5);
        bar.setPosition(50);
        bar.show();
        QSignalSpy scrolled(&bar, &ScrollBar::scrolled);
        QTest::keyClick(&bar, c.key);
        EXPECT_EQ(bar.position(), c.expected) << c.key;
        ASSERT_FALSE(scrolled.isEmpty());
        EXPECT_EQ(scrolled.at(0).at(0).toInt(), c.expected < 50 ? ScrollBar::LineUp : ScrollBar::LineDown);
    }
}

// A gauge clamps its progress into its range and gives its truncated percent.
TEST(Gauge, ClampsAndGivesPercent) {
    Gauge gauge(Qt::Horizontal);
    gauge.setMaxValue(3);
    gauge.setProgress(2);
    EXPECT_EQ(gauge.percentDone(), 66);
    gauge.setProgress(7);
    EXPECT_EQ(gauge.progress(), 3);
    gauge.setProgress(-1);
    EXPECT_EQ(gauge.progress(), 0);
    gauge.setMaxValue(0);
    EXPECT_EQ(gauge.percentDone(), 0);
}

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

// A link label opens its address when pressed, but only web addresses.
TEST(LinkLabel, OpensOnlyWebAddressesOnPress) {
    UrlRecorder recorder;
    for (const char* scheme : {"http", "https", "file", "ftp"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &recorder, "open");
    LinkLabel label;
    label.resize(100, 18);
    const std::pair<QString, bool> cases[] = {
        {u"http://www.example.com/search?q=Some Artist"_s, true},
        {u"https://www.example.com/search?q=x"_s, true},
        {u"file:///etc/passwd"_s, false},
        {u"ftp://example.com/x"_s, false},
        {u"/etc/passwd"_s, false},
        {u""_s, false},
    };
    for (const auto& [url, opens] : cases) {
        recorder.opened.clear();
        label.setUrl(url);
        QTest::mousePress(&label, Qt::RightButton);
        QTest::mousePress(&label, Qt::MiddleButton);
        QTest::mousePress(&label, Qt::LeftButton);
        EXPECT_EQ(recorder.opened.size(), opens ? 1 : 0) << url.toStdString(); // the left button alone
    }
    for (const char* scheme : {"http", "https", "file", "ftp"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

// The list box's selection is the item index; -1 and indices outside the list select nothing; an
// exchange of two entries of its model carries the selection along.
TEST(ListBox, SelectionIsTheItemIndex) {
    Playlist entries;
    ListBox list;
    list.setModel(&entries);
    QObject::connect(&entries, &Playlist::exchanged, &list, &ListBox::followExchange);
    entries.assign({u"a"_s, u"/x/b"_s, u"c"_s});
    EXPECT_EQ(list.itemIndex(), -1);
    list.setItemIndex(2);
    EXPECT_EQ(list.itemIndex(), 2);
    list.setItemIndex(3);
    EXPECT_EQ(list.itemIndex(), -1);
    list.setItemIndex(1);
    list.setItemIndex(-1);
    EXPECT_EQ(list.itemIndex(), -1);
    EXPECT_EQ(list.itemText(1), u"b"_s);
    EXPECT_EQ(list.itemText(9), QString());
    list.setItemIndex(0);
    entries.exchange(0, 2);
    EXPECT_EQ(list.itemIndex(), 2);
    EXPECT_EQ(list.itemText(2), u"a"_s);
    entries.exchange(1, 2);
    EXPECT_EQ(list.itemIndex(), 1);
}

} // namespace

#include "skin_controls_test.moc"
