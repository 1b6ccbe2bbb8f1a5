// Purpose: TForm1, the main window: its controls at their design places, captions, hints and fonts,
// and the wiring of their events to the handlers.
#include "shell/main_window.h"

#include "core/timer_pace.h"
#include "engine/engine.h"
#include "playlist/playlist_ui_state.h"
#include "shell/error_box.h"
#include "shell/input_wiring.h"
#include "shell/player_icon.h"
#include "shell/system_actions.h"
#include "skin/gauge.h"
#include "skin/label.h"
#include "skin/link_label.h"
#include "skin/list_box.h"
#include "skin/panel.h"
#include "skin/scroll_bar.h"
#include "skin/skin_manager.h"
#include "skin/skin_style.h"
#include "skin/title_bar.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

namespace orvu {
namespace {

QFont pixelFont(const QString& family, int pixels, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The font at the largest pixel size (up to its own) at which `sample` fits in `width` pixels: where the
// family is missing, the fallback may be wider, and the time must not be cut.
QFont fittedFont(QFont font, const QString& sample, int width) {
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(sample) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

QIcon standardIcon(QStyle::StandardPixmap pixmap) {
    return QApplication::style()->standardIcon(pixmap);
}

// A name cut at 50 characters (currentName adds "... "), the longest state word and percent.
const QString longestStatusLine = QStringLiteral("the_longest_name_a_track_can_show_in_the_status_li... "
                                                 " | Playing...( 100% )");

const QString initialTagBarText = QStringLiteral(".:: Halvex MP3 Audio Player | No Audio Loaded ::..");

struct BandColumn {
    ScrollBar* TForm1::*slider;
    const char* name;
    const char* caption;
    const char* labelName;
};

// The ten equalizer bands, left to right (Band1 .. Band10), with the labels under them.
constexpr BandColumn bandColumns[10] = {
    {&TForm1::TrackBar1, "TrackBar1", "100", "lbl5"}, {&TForm1::trckbr1, "trckbr1", "200", "lbl6"},
    {&TForm1::TrackBar2, "TrackBar2", "400", "lbl7"}, {&TForm1::TrackBar3, "TrackBar3", "600", "lbl8"},
    {&TForm1::trckbr2, "trckbr2", "1K", "lbl9"},      {&TForm1::trckbr4, "trckbr4", "3K", "lbl10"},
    {&TForm1::trckbr3, "trckbr3", "6K", "lbl14"},     {&TForm1::trckbr5, "trckbr5", "12K", "lbl13"},
    {&TForm1::trckbr6, "trckbr6", "14K", "lbl12"},    {&TForm1::trckbr7, "trckbr7", "16K", "lbl11"},
};

} // namespace

TForm1::TForm1(engine::Engine& engine, StartupContext context, QWidget* parent)
    : QWidget(parent)
    , session(engine)
    , Bass(engine)
    , context_(std::move(context))
    , playlistUi_(std::make_unique<PlaylistUiState>())
    , system_(std::make_unique<PlatformSystemActions>(engine)) {
    setWindowTitle(QStringLiteral("ORVU"));
    setWindowIcon(playerIcon()); // the tray icon shows it too
    setObjectName(QStringLiteral("Form1"));
    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // The skin draws the title bar and the border; the controls stand in the client area inside them.
    frame = new WindowFrame(this, WindowFrame::Sizing::Fixed, QStringLiteral("ORVU"),
                            QStringLiteral("Main Menu"));
    stlbr1 = frame->titleBar();
    setFixedSize(designSize);
    sknmngr1 = new SkinManager(this);
    createControls();
    createTimers();
    wireShellInput();
    wirePlaybackInput();
    wirePlaylistInput();
    createMenus();
    stlbr1->setMenu(pm1);
    wireMenuInput();
}

// The menus have no parent (see createMenus); their items belong to the window.
TForm1::~TForm1() {
    delete pm1;
    delete pm2;
}

QPushButton* TForm1::makeButton(QWidget* parent, const QRect& geometry, const QString& hint, QIcon icon) {
    auto* button = new QPushButton(parent);
    button->setGeometry(geometry);
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QToolButton* TForm1::makePanelButton(Panel* panel, int left, const QString& hint, int command) {
    auto* button = new QToolButton(panel);
    button->setGeometry(left, 0, 9, 9); // moved 3 pixels down and right by the creation step
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setIconSize({9, 9});
    button->setIcon(Panel::commandIcon(command, button->palette(), devicePixelRatioF()));
    return button;
}

QLabel* TForm1::makeLabel(QWidget* parent, const QRect& geometry, const QString& caption, const QFont& font) {
    auto* label = new Label(caption, parent); // file names and tags are never markup
    label->setGeometry(geometry);
    label->setFont(font);
    label->setWordWrap(false);
    return label;
}

void TForm1::showCentred(QWidget* window) {
    if (!window)
        return;
    if (!window->isVisible()) {
        window->move(geometry().center() - window->rect().center());
        window->show();
    }
    window->raise();
    window->activateWindow();
}

void TForm1::createControls() {
    createTopStrip();
    createPlaylistPanel();
    createInformationPanel();

    trycn1 = new QSystemTrayIcon(this);
    trycn1->setToolTip(QStringLiteral("ORVU"));
}

void TForm1::createTopStrip() {
    // The status line fits a name cut at 50 characters with the longest state and percent, in the font
    // the system really gives for the design's one.
    QWidget* client = frame->client();
    lbl1 = makeLabel(client, {8, 8, 489, 18}, QStringLiteral("No Audio Loaded."),
                     fittedFont(pixelFont(QStringLiteral("Trebuchet MS"), 13), longestStatusLine, 489));
    scrlbr1 = new ScrollBar(Qt::Horizontal, client);
    scrlbr1->setGeometry(8, 32, 489, 17);
    scrlbr1->setRange(0, 100);
    scrlbr1->setSingleStep(5);
    scrlbr1->setPageStep(1);
    scrlbr1->setFocusPolicy(Qt::StrongFocus); // it takes the keyboard: Space plays
    scrlbr1->setCursor(Qt::PointingHandCursor);

    btn1 = makeButton(client, {8, 56, 65, 25}, QStringLiteral("Play."), standardIcon(QStyle::SP_MediaPlay));
    btn2 =
        makeButton(client, {72, 56, 41, 25}, QStringLiteral("Pause."), standardIcon(QStyle::SP_MediaPause));
    btn3 = makeButton(client, {112, 56, 41, 25}, QStringLiteral("Stop."), standardIcon(QStyle::SP_MediaStop));
    btn6 = makeButton(client, {160, 56, 41, 25}, QStringLiteral("Rewind 5 Sec."),
                      standardIcon(QStyle::SP_MediaSeekBackward));
    btn7 = makeButton(client, {200, 56, 41, 25}, QStringLiteral("Forward 5 Sec."),
                      standardIcon(QStyle::SP_MediaSeekForward));
    btn8 = makeButton(client, {248, 56, 41, 25}, QStringLiteral("Previous Track."),
                      standardIcon(QStyle::SP_MediaSkipBackward));
    btn9 = makeButton(client, {288, 56, 41, 25}, QStringLiteral("Next Track."),
                      standardIcon(QStyle::SP_MediaSkipForward));
    btn26 = makeButton(client, {336, 56, 41, 25}, QStringLiteral("Play Random Track.."),
                       standardIcon(QStyle::SP_BrowserReload));

    scrlbr2 = new ScrollBar(Qt::Horizontal, client);
    scrlbr2->setGeometry(392, 56, 105, 17);
    scrlbr2->setRange(0, 100);
    scrlbr2->setSingleStep(5);
    scrlbr2->setToolTip(QStringLiteral("Volume : "));
}

void TForm1::createPlaylistPanel() {
    spnl3 = new Panel(frame->client());
    spnl3->setObjectName(QStringLiteral("spnl3"));
    spnl3->setNormalGeometry({8, 96, 489, 369});
    btn14 = makePanelButton(spnl3, 0, QStringLiteral("Maximize"), Panel::commandMaximize);
    btn15 = makePanelButton(spnl3, 8, QStringLiteral("Restore"), Panel::commandRestore);
    btn16 = makePanelButton(spnl3, 16, QStringLiteral("Minimize"), Panel::commandMinimize);

    lst1 = new ListBox(spnl3);
    lst1->setObjectName(QStringLiteral("lst1"));
    lst1->setModel(&playlist);
    connect(&playlist, &Playlist::exchanged, lst1, &ListBox::followExchange);
    lst1->setGeometry(16, 16, 457, 289);
    lst1->setFont(pixelFont(QStringLiteral("Trebuchet MS"), 13));

    const QFont buttonFont = font();
    Button1 = makeButton(spnl3, {16, 312, 33, 25}, QStringLiteral("Add Files to Playlist..."),
                         standardIcon(QStyle::SP_FileIcon));
    btn4 = makeButton(spnl3, {48, 312, 33, 25}, QStringLiteral("Load Playlist..."),
                      standardIcon(QStyle::SP_DialogOpenButton));
    btn5 = makeButton(spnl3, {80, 312, 33, 25}, QStringLiteral("Save Playlist..."),
                      standardIcon(QStyle::SP_DialogSaveButton));
    btn10 = makeButton(spnl3, {120, 312, 33, 25}, QStringLiteral("Delete Selected (X)"),
                       standardIcon(QStyle::SP_DialogDiscardButton));
    sbtbtn1 = makeButton(spnl3, {152, 312, 33, 25}, QStringLiteral("Move Up (U)"),
                         standardIcon(QStyle::SP_ArrowUp));
    sbtbtn2 = makeButton(spnl3, {184, 312, 33, 25}, QStringLiteral("Move Down (D)"),
                         standardIcon(QStyle::SP_ArrowDown));
    sbtbtn3 = makeButton(spnl3, {216, 312, 33, 25}, QStringLiteral("Clear Playlist (A)"),
                         standardIcon(QStyle::SP_DialogResetButton));
    btn20 = makeButton(spnl3, {256, 312, 33, 25}, QStringLiteral("Shuffle (S)"),
                       standardIcon(QStyle::SP_BrowserReload));
    btn21 = makeButton(spnl3, {288, 312, 33, 25}, QStringLiteral("Delete Selected from Disk"),
                       standardIcon(QStyle::SP_TrashIcon));
    btn22 = makeButton(spnl3, {328, 312, 33, 25}, QStringLiteral("Generate HTML Playlist"),
                       standardIcon(QStyle::SP_FileDialogDetailedView));

    // Sized for the longest texts the status timer writes ("PL : 99999/99999", "CPU : 100.00%").
    lbl15 = makeLabel(spnl3, {376, 320, 105, 16}, QStringLiteral("PL : 0/0"),
                      pixelFont(QStringLiteral("Trebuchet MS"), 11));
    lbl15->setToolTip(QStringLiteral("Playlist Status"));
    lbl22 =
        makeLabel(spnl3, {19, 344, 150, 14}, QStringLiteral("CPU"), pixelFont(QStringLiteral("Tahoma"), 9));
    lbl22->setToolTip(QStringLiteral("CPU Usage For Decoding."));
}

void TForm1::createInformationPanel() {
    spnl1 = new Panel(frame->client());
    spnl1->setObjectName(QStringLiteral("spnl1"));
    spnl1->setNormalGeometry({504, 8, 313, 457});
    btn11 = makePanelButton(spnl1, 0, QStringLiteral("Maximize"), Panel::commandMaximize);
    btn12 = makePanelButton(spnl1, 8, QStringLiteral("Restore"), Panel::commandRestore);
    btn13 = makePanelButton(spnl1, 16, QStringLiteral("Minimize"), Panel::commandMinimize);

    const QFont timeFont =
        fittedFont(pixelFont(QStringLiteral("Trebuchet MS"), 35, true), QStringLiteral("00:00"), 97);
    lbl2 = makeLabel(spnl1, {51, 16, 97, 43}, QStringLiteral("00:00"), timeFont);
    lbl2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbl4 = makeLabel(spnl1, {146, 16, 16, 43}, QStringLiteral("/"), timeFont);
    lbl3 = makeLabel(spnl1, {162, 16, 97, 43}, QStringLiteral("00:00"), timeFont);
    for (QLabel* label : {lbl2, lbl4, lbl3})
        SkinStyle::markTimeDisplay(label, 97);

    sg1 = new Gauge(Qt::Horizontal, spnl1);
    sg1->setGeometry(16, 64, 281, 9);

    const QFont tagFont = pixelFont(QStringLiteral("Trebuchet MS"), 13);
    QFont boldTagFont = tagFont;
    boldTagFont.setBold(true);
    lbl27 = makeLabel(spnl1, {16, 88, 265, 18}, QStringLiteral("File : "), boldTagFont);
    lbl18 = makeLabel(spnl1, {16, 112, 281, 18}, QStringLiteral("Artist : "), tagFont);
    lbl28 = new LinkLabel(spnl1);
    lbl28->setGeometry(16, 112, 281, 18);
    QPalette linkPalette = lbl28->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(2, 124, 196));
    lbl28->setPalette(linkPalette);
    lbl17 = makeLabel(spnl1, {16, 128, 281, 18}, QStringLiteral("Title : "), tagFont);
    lbl16 = makeLabel(spnl1, {16, 144, 281, 18}, QStringLiteral("Track : "), tagFont);
    lbl19 = makeLabel(spnl1, {16, 160, 281, 18}, QStringLiteral("Album : "), tagFont);
    lbl20 = makeLabel(spnl1, {16, 176, 281, 18}, QStringLiteral("Genre : "), tagFont);
    lbl21 = makeLabel(spnl1, {16, 192, 281, 18}, QStringLiteral("Year : "), tagFont);
    lbl23 = makeLabel(spnl1, {16, 208, 281, 18}, QStringLiteral("Sample Rate : "), tagFont);
    lbl24 = makeLabel(spnl1, {16, 224, 281, 18}, QStringLiteral("Comment : "), tagFont);
    lbl28->raise();

    const QFont bandFont = pixelFont(QStringLiteral("Tahoma"), 9);
    for (int band = 0; band < 10; ++band) {
        auto* slider = new ScrollBar(Qt::Vertical, spnl1);
        slider->setObjectName(QString::fromLatin1(bandColumns[band].name));
        slider->setRange(0, 30);
        slider->setSingleStep(1);
        slider->setPageStep(1);
        slider->setPosition(15);
        slider->setGeometry(16 + 24 * band, 264, 17, 97);
        this->*bandColumns[band].slider = slider;
        bandSliders[static_cast<std::size_t>(band)] = slider;
        QLabel*& label = bandLabels[static_cast<std::size_t>(band)];
        label = makeLabel(spnl1, {16 + 24 * band, 364, 24, 12},
                          QString::fromLatin1(bandColumns[band].caption), bandFont);
        label->setObjectName(QString::fromLatin1(bandColumns[band].labelName));
    }

    // The level meters take float bit patterns read as integers (see tmr3Timer).
    sg2 = new Gauge(Qt::Vertical, spnl1);
    sg2->setGeometry(272, 264, 9, 161);
    sg5 = new Gauge(Qt::Vertical, spnl1);
    sg5->setGeometry(280, 264, 9, 161);
    sg3 = new Gauge(Qt::Vertical, spnl1);
    sg3->hide();
    sg4 = new Gauge(Qt::Vertical, spnl1);
    sg4->hide();
    for (Gauge* meter : {sg2, sg3, sg4})
        meter->setRange(980000000, 1080000000);
    sg5->setRange(980000000, 1050000000);

    btn23 = makeButton(spnl1, {16, 400, 33, 25}, QStringLiteral("Open/Close CD Door"),
                       standardIcon(QStyle::SP_DriveCDIcon));
    btn17 = makeButton(spnl1, {56, 400, 33, 25}, QString(), standardIcon(QStyle::SP_MediaVolume));
    btn18 = makeButton(spnl1, {88, 400, 33, 25}, QStringLiteral("EQ Presets"),
                       standardIcon(QStyle::SP_FileDialogListView));
    btn19 = makeButton(spnl1, {120, 400, 33, 25}, QStringLiteral("Visualization"),
                       standardIcon(QStyle::SP_ComputerIcon));
    btn24 = makeButton(spnl1, {152, 400, 33, 25}, QStringLiteral("Dodu DU3 Vavo"),
                       standardIcon(QStyle::SP_DriveNetIcon));
    btn27 = makeButton(spnl1, {192, 400, 33, 25}, QStringLiteral("Screen Saver"),
                       standardIcon(QStyle::SP_DesktopIcon));
    btn25 = makeButton(spnl1, {224, 400, 33, 25}, QStringLiteral("Options"),
                       standardIcon(QStyle::SP_FileDialogInfoView));

    spnl4 = new QWidget(spnl1); // clips the tag label
    spnl4->setGeometry(16, 432, 281, 17);
    lbl31 =
        makeLabel(spnl4, {224, 0, 10, 17}, initialTagBarText, pixelFont(QStringLiteral("Trebuchet MS"), 11));
    QPalette tagPalette = lbl31->palette();
    tagPalette.setColor(QPalette::WindowText, QColor(61, 61, 61));
    lbl31->setPalette(tagPalette);
    lbl31->adjustSize();
}

void TForm1::createTimers() {
    tmr1 = new QTimer(this);
    tmr1->setInterval(100);
    tmr2 = new QTimer(this);
    tmr2->setInterval(100);
    tmr3 = new QTimer(this);
    tmr3->setInterval(windowTimerInterval(1));
    tmr1->start();
    tmr3->start();
}

void TForm1::wireShellInput() {
    wireClicks<TForm1>(this, {
                                 {btn11, &TForm1::btn11Click},
                                 {btn12, &TForm1::btn12Click},
                                 {btn13, &TForm1::btn13Click},
                                 {btn14, &TForm1::btn14Click},
                                 {btn15, &TForm1::btn15Click},
                                 {btn16, &TForm1::btn16Click},
                                 {btn25, &TForm1::btn25Click},
                             });
    wireTimers<TForm1>(this, {{tmr2, &TForm1::tmr2Timer}});
    const auto x = [](QEvent* event) { return static_cast<QMouseEvent*>(event)->position().toPoint().x(); };
    wireEvents({
        {lbl31, QEvent::MouseButtonPress, [this, x](QEvent* e) { return lbl31MouseDown(x(e)), true; }},
        {lbl31, QEvent::MouseMove, [this, x](QEvent* e) { return lbl31MouseMove(x(e)), true; }},
        {lbl31, QEvent::MouseButtonRelease, [this](QEvent*) { return lbl31MouseUp(), true; }},
    });
    // These labels show their whole text as the tool-tip when the pointer enters them.
    for (QLabel* label :
         {lbl1, lbl16, lbl17, lbl19, lbl20, lbl21, lbl23, lbl24, lbl27, static_cast<QLabel*>(lbl28)})
        wireEvents(
            {{label, QEvent::Enter, [this, label](QEvent*) { return labelMouseEnter(label), false; }}});
    // The wheel over the window moves the volume, and only that: the sliders (volume, seek bar, bands)
    // leave their positions to it. The list keeps scrolling by the wheel and passes it here first; the
    // wheel over any other control reaches wheelEvent.
    const auto toWindow = [this](QEvent* e) { return windowWheel(static_cast<QWheelEvent*>(e)), true; };
    for (QObject* control : findChildren<ScrollBar*>())
        wireEvents({{control, QEvent::Wheel, toWindow}});
    wireEvents({{lst1->viewport(), QEvent::Wheel,
                 [this](QEvent* e) { return windowWheel(static_cast<QWheelEvent*>(e)), false; }}});
}

void TForm1::setTagBarInterval(int milliseconds) {
    tagBarInterval_ = milliseconds;
    // An interval of 0 or less never fires, as a disabled timer.
    if (milliseconds > 0) {
        tmr2->setInterval(windowTimerInterval(milliseconds));
        if (!state.TagDragging)
            tmr2->start();
    } else {
        tmr2->stop();
    }
}

void TForm1::wheelEvent(QWheelEvent* event) {
    windowWheel(event);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!std::exchange(shown_, true))
        runGuarded([this] { FormShow(); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (std::exchange(closed_, true)) {
        event->accept();
        return;
    }
    runGuarded([this] { FormClose(); });
    event->accept();
    // Closing the main window ends the application, whatever else is open. A message box still open
    // (a termination request while one waits) is dismissed, so the handler that opened it returns.
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible() && dialog->isModal())
            dialog->done(QDialog::Rejected);
    QApplication::quit();
}

} // namespace orvu
