// Purpose: TForm2, the About window: the product's name, version, contact and licence, shown over a
// disabled main window.
#include "shell/about_window.h"

#include "shell/error_box.h"
#include "shell/input_wiring.h"
#include "shell/window_art.h"
#include "skin/label.h"
#include "skin/link_label.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGraphicsDropShadowEffect>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>

namespace orvu {
namespace {

QFont pixelFont(const QString& family, int pixels, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* makeLabel(QWidget* parent, QPoint at, const QString& caption, const QFont& font) {
    auto* label = new Label(caption, parent);
    label->setFont(font);
    label->move(at);
    label->adjustSize();
    return label;
}

const QColor linkBlue(0, 0, 255);

// Underlined blue, bold under the pointer.
LinkLabel* makeLink(QWidget* parent, QPoint at, const char* caption, const char* target) {
    auto* link = new LinkLabel(parent);
    link->setText(QString::fromLatin1(caption));
    link->setUrl(QString::fromLatin1(target));
    link->move(at);
    QFont normal = parent->font();
    normal.setUnderline(true);
    QFont hover = normal;
    hover.setBold(true);
    styleLink(link, linkBlue, normal, hover);
    return link;
}

struct AboutLink {
    const char* caption;
    const char* target;
};

// The project's pages, under the reserved .example domain until the project has a home of its own.
constexpr AboutLink aboutLinkTable[] = {
    {"ORVU Home Page", "https://orvu.example.org/"},
    {"Release Notes", "https://orvu.example.org/releases/"},
    {"Report a Problem", "https://orvu.example.org/issues/"},
};

const char* const licenceText =
    "ORVU END-USER LICENCE\n"
    "\n"
    "Please read this licence before you use ORVU (\"the Software\"). By installing, copying or "
    "using the Software you agree to its terms.\n"
    "\n"
    "1. Grant. You may install and use the Software on any number of computers, for private and "
    "for commercial purposes, free of charge.\n"
    "\n"
    "2. Copies. You may copy and hand on the Software, unchanged and complete with this licence, "
    "free of charge. You may not sell it or bundle it with software that is sold.\n"
    "\n"
    "3. Your files. The Software plays, lists and, when you ask it to, deletes or copies files on "
    "your computer. You alone are responsible for the files you play and for having the right to "
    "play them.\n"
    "\n"
    "4. Web links. The Software can open web pages of third parties in your browser. Their "
    "content and their terms are those of their owners, not of the authors of the Software.\n"
    "\n"
    "5. No warranty. The Software is provided \"as is\", without warranty of any kind, express or "
    "implied, including but not limited to the warranties of merchantability, fitness for a "
    "particular purpose and non-infringement.\n"
    "\n"
    "6. Limitation of liability. In no event shall the authors be liable for any claim, damages or "
    "other liability, whether in an action of contract, tort or otherwise, arising from, out of or "
    "in connection with the Software or its use.\n"
    "\n"
    "7. Components. The Software uses libraries of other authors (Qt, FFmpeg, libopenmpt, "
    "FluidSynth, TagLib, SDL, libsamplerate), each under its own licence.\n";

} // namespace

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("About ORVU"));
    setFixedSize(designClientWidth, designClientHeight);
    setFont(pixelFont(QStringLiteral("Tahoma"), 11));
    createControls();
    wireClicks<TForm2>(this, {{btn1, &TForm2::btn1Click}});
}

void TForm2::createControls() {
    auto* banner = new QLabel(this);
    banner->setGeometry((designClientWidth - 473) / 2, 8, 473, 129);
    banner->setPixmap(drawnPicture({473, 129}, QColor(46, 84, 140), QColor(160, 205, 235)));

    // The product heading over the banner's lower part: the name in red, the rest in black.
    const QFont headingFont = pixelFont(QStringLiteral("Trebuchet MS"), 16, true);
    QLabel* name = makeLabel(this, {24, 104}, QStringLiteral("Halvex"), headingFont);
    QPalette red = name->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    name->setPalette(red);
    const int gap = QFontMetrics(headingFont).horizontalAdvance(u' ');
    makeLabel(this, {name->x() + name->width() + gap, 104}, QStringLiteral("MP3 Audio Player"), headingFont);

    pgc1 = new QTabWidget(this);
    pgc1->setGeometry((designClientWidth - 473) / 2, 144, 473, 201);
    pgc1->addTab(createAboutTab(), QStringLiteral("About"));
    pgc1->addTab(createContactTab(), QStringLiteral("Contact"));
    pgc1->addTab(createLicenseTab(), QStringLiteral("License"));
    pgc1->setCurrentIndex(0);

    makeLabel(this, {8, 358}, QStringLiteral("ORVU, an audio player for the Linux desktop."), font());
    btn1 = new QPushButton(QStringLiteral("&OK"), this);
    btn1->setGeometry(designClientWidth - 8 - 75, 352, 75, 25);
    btn1->setDefault(true);
}

QWidget* TForm2::createAboutTab() {
    auto* page = new QWidget;
    auto* picture = new QLabel(page);
    picture->setGeometry(8, 8, 129, 129);
    picture->setPixmap(
        drawnPicture({129, 129}, QColor(20, 20, 60), QColor(0, 150, 170), QStringLiteral("ORVU")));

    lbl1 = makeLabel(page, {152, 8}, QStringLiteral("Halvex MP3 Audio Player"),
                     pixelFont(QStringLiteral("Trebuchet MS"), 15, true));
    auto* glow = new QGraphicsDropShadowEffect(lbl1);
    glow->setColor(QColor(0, 255, 255, 200)); // aqua
    glow->setOffset(0, 0);
    glow->setBlurRadius(10);
    lbl1->setGraphicsEffect(glow);

    makeLabel(page, {152, 36}, QStringLiteral("Version 1.1 Stable/Production Release."), page->font());
    int top = 60;
    for (std::size_t i = 0; i < aboutLinks.size(); ++i, top += 18)
        aboutLinks[i] = makeLink(page, {152, top}, aboutLinkTable[i].caption, aboutLinkTable[i].target);
    makeLabel(page, {152, 124}, QStringLiteral("Plays MP3, Ogg, WAV, AIFF, tracker modules and more."),
              page->font());
    makeLabel(page, {152, 142}, QStringLiteral("Ten-band equalizer, presets, reverb and echo."),
              page->font());
    return page;
}

QWidget* TForm2::createContactTab() {
    auto* page = new QWidget;
    auto* picture = new QLabel(page);
    picture->setGeometry(8, 8, 121, 161);
    picture->setScaledContents(true);
    picture->setPixmap(drawnPicture({160, 200}, QColor(90, 40, 110), QColor(230, 150, 60)));

    makeLabel(page, {152, 16}, QStringLiteral("Questions, ideas and problem reports are welcome."),
              page->font());
    makeLabel(page, {152, 40}, QStringLiteral("Web :"), page->font());
    contactLink = makeLink(page, {190, 40}, "orvu.example.org/contact", "https://orvu.example.org/contact/");
    makeLabel(page, {152, 58}, QStringLiteral("Mail : orvu@example.org"), page->font());
    makeLabel(page, {152, 82}, QStringLiteral("Please name the version and the desktop you use."),
              page->font());
    return page;
}

QWidget* TForm2::createLicenseTab() {
    auto* page = new QWidget;
    mmo1 = new QPlainTextEdit(page);
    mmo1->setGeometry(4, 4, 461, 167);
    mmo1->setReadOnly(true);
    mmo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmo1->setPlainText(QString::fromLatin1(licenceText));
    return page;
}

void TForm2::FormShow() {
    Q_EMIT openChanged(true);
}

void TForm2::FormClose() {
    Q_EMIT openChanged(false);
}

void TForm2::btn1Click() {
    close();
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        runGuarded([this] { FormShow(); });
}

void TForm2::closeEvent(QCloseEvent* event) {
    runGuarded([this] { FormClose(); });
    event->accept(); // the window hides and is kept for the next showing
}

} // namespace orvu
