// Purpose: TForm7, the web links window: links to music sites and a search box that builds search links.
#include "shell/web_links_window.h"

#include "shell/error_box.h"
#include "shell/input_wiring.h"
#include "shell/window_art.h"
#include "skin/label.h"
#include "skin/link_label.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace orvu {
namespace {

QFont linkFont() {
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setPixelSize(13);
    return font;
}

const QColor linkBlue(0, 0, 255);

LinkLabel* makeLink(QWidget* parent, QPoint at, const QString& caption, const QString& target) {
    auto* link = new LinkLabel(parent);
    link->setText(caption);
    link->setUrl(target);
    link->move(at);
    link->adjustSize();
    QFont hover = linkFont();
    hover.setUnderline(true);
    styleLink(link, linkBlue, linkFont(), hover);
    return link;
}

QLabel* makeLabel(QWidget* parent, QPoint at, const QString& caption) {
    auto* label = new Label(caption, parent);
    label->setFont(linkFont());
    label->move(at);
    label->adjustSize();
    return label;
}

// A row of the search tab: its heading, then its links by SearchLink, separated by "/".
struct SearchRow {
    const char* heading;
    std::array<const char*, 3> captions; // nullptr past the row's last link
};

constexpr SearchRow searchRows[] = {
    {"Common Search : ", {"Google", "Yahoo", "Ask"}},
    {"Search Song :", {"MP3", "Lyrics", nullptr}},
    {"Search Sinhala Song :", {"MP3", "Lyrics", nullptr}},
};

} // namespace

TForm7::TForm7(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Dodu DU3 Vavo"));
    setFixedSize(designClientWidth, designClientHeight);

    pgc1 = new QTabWidget(this);
    pgc1->setGeometry(8, 8, 529, 281);
    pgc1->addTab(createSiteTab(englishSiteLinks, englishLinks, QColor(30, 30, 30), QColor(200, 60, 40)),
                 QStringLiteral("English"));
    pgc1->addTab(createSiteTab(sinhalaSiteLinks, sinhalaLinks, QColor(120, 20, 20), QColor(240, 180, 40)),
                 QStringLiteral("Sinhala"));
    pgc1->addTab(createSearchTab(), QStringLiteral("MP3 Search Engine"));
    pgc1->setCurrentIndex(2); // hiding keeps the tab the user chose for the next showing

    btn1 = new QPushButton(QStringLiteral("&Close"), this);
    btn1->setGeometry(designClientWidth - 8 - 75, designClientHeight - 8 - 25, 75, 25);

    wireClicks<TForm7>(this, {{btn1, &TForm7::btn1Click}});
    connect(edt1, &QLineEdit::textChanged, this, guarded([this] { edt1Change(); }));
}

QWidget* TForm7::createSiteTab(const SiteLinks& links, std::array<LinkLabel*, siteLinkCount>& labels,
                               const QColor& top, const QColor& bottom) {
    auto* page = new QWidget;
    for (std::size_t i = 0; i < siteLinkCount; ++i)
        labels[i] = makeLink(page, {24, 48 + 24 * static_cast<int>(i)}, QString::fromLatin1(links[i].caption),
                             QString::fromLatin1(links[i].target));
    auto* picture = new QLabel(page);
    picture->setGeometry(160, 16, 353, 225);
    picture->setPixmap(drawnPicture({353, 225}, top, bottom, QStringLiteral("Music on the Web")));
    return page;
}

QWidget* TForm7::createSearchTab() {
    auto* page = new QWidget;
    makeLabel(page, {24, 24}, QStringLiteral("Song Artist and Title :"));
    edt1 = new QLineEdit(page);
    edt1->setGeometry(24, 48, 481, 24);
    edt1->setFont(linkFont());

    std::size_t link = 0;
    int top = 96;
    for (const SearchRow& row : searchRows) {
        QLabel* heading = makeLabel(page, {24, top}, QString::fromLatin1(row.heading));
        int left = std::max(heading->x() + heading->width() + 8, 184);
        for (std::size_t i = 0; i < row.captions.size() && row.captions[i]; ++i) {
            if (i > 0) {
                QLabel* slash = makeLabel(page, {left, top}, QStringLiteral("/"));
                left = slash->x() + slash->width() + 6;
            }
            LinkLabel* label = makeLink(page, {left, top}, QString::fromLatin1(row.captions[i]), {});
            searchLinks[link++] = label;
            left = label->x() + label->width() + 6;
        }
        top += 32;
    }
    return page;
}

void TForm7::edt1Change() {
    const SearchTargets targets = searchTargets(edt1->text());
    for (std::size_t i = 0; i < searchLinkCount; ++i)
        searchLinks[i]->setUrl(targets[i]);
}

void TForm7::btn1Click() {
    close();
}

} // namespace orvu
