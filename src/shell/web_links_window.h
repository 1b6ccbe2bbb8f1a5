// Purpose: TForm7, the web links window: links to music sites and a search box that builds search links.
#pragma once

#include "core/web_links.h"

#include <QWidget>

#include <array>

class QLineEdit;
class QPushButton;
class QTabWidget;

namespace orvu {

class LinkLabel;

class TForm7 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 545;
    static constexpr int designClientHeight = 331;

    explicit TForm7(QWidget* parent = nullptr);

    QTabWidget* pgc1 = nullptr; // "English", "Sinhala", "MP3 Search Engine"
    std::array<LinkLabel*, siteLinkCount> englishLinks{};
    std::array<LinkLabel*, siteLinkCount> sinhalaLinks{};
    QLineEdit* edt1 = nullptr;                             // the search text
    std::array<LinkLabel*, searchLinkCount> searchLinks{}; // in SearchLink's order
    QPushButton* btn1 = nullptr;                           // "&Close"

    void edt1Change(); // every change of the search text sets the seven search targets
    void btn1Click();

private:
    QWidget* createSiteTab(const SiteLinks& links, std::array<LinkLabel*, siteLinkCount>& labels,
                           const QColor& top, const QColor& bottom);
    QWidget* createSearchTab();
};

} // namespace orvu
