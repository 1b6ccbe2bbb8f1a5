// Purpose: the skins restyle every open window when switched, differ from one another, and follow the
// tint and the menu opacity.
#include "audio/effects_window.h"
#include "audio/presets_window.h"
#include "options/options_dialog.h"
#include "shell/about_window.h"
#include "shell/web_links_window.h"
#include "skin/scroll_bar.h"
#include "skin/skin_manager.h"
#include "skin/skin_style.h"
#include "skin/skins.h"
#include "skin/title_bar.h"
#include "skin/window_effects.h"
#include "support/player_fixture.h"
#include "visualization/visualization_window.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGraphicsEffect>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvu;
using namespace orvu::test;

namespace {

// Warnings and errors Qt reports while a test runs.
class WarningRecorder {
public:
    WarningRecorder() {
        messages().clear();
        previous_ =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type != QtDebugMsg && type != QtInfoMsg)
                    messages().append(text);
            });
    }
    ~WarningRecorder() { qInstallMessageHandler(previous_); }
    static QStringList& messages() {
        static QStringList list;
        return list;
    }

private:
    QtMessageHandler previous_;
};

QImage render(QWidget& widget, qreal ratio = 1.0) {
    QPixmap picture(widget.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    widget.render(&picture);
    return picture.toImage();
}

void selectSkin(SkinManager& skin, int index) {
    skin.setSkinName(SkinManager::internalSkinNames()[static_cast<std::size_t>(index)]);
}

// Every window of the player, built and wired as the application does, open at once.
struct AllWindows {
    AllWindows() {
        w = &player.build();
        visualization = std::make_unique<TForm3>(w->state, [] { return VisLevels{}; });
        w->setVisualizationWindow(visualization.get());
        options = std::make_unique<TForm4>(w->state, *w->sknmngr1, mainWindowActions(*w));
        w->setOptionsWindow(options.get());
        presets = std::make_unique<TForm5>(w->state, w->bandSliders);
        w->setPresetsWindow(presets.get());
        about = std::make_unique<TForm2>();
        w->setAboutWindow(about.get());
        links = std::make_unique<TForm7>();
        w->setWebLinksWindow(links.get());
        if (w->FormCreate())
            w->show();
        for (QWidget* window :
             std::initializer_list<QWidget*>{player.effects.get(), presets.get(), options.get(),
                                             visualization.get(), about.get(), links.get()})
            window->show();
        QApplication::processEvents();
    }
    ~AllWindows() {
        for (QWidget* window : std::initializer_list<QWidget*>{about.get(), links.get(), options.get(),
                                                               presets.get(), visualization.get()})
            window->hide();
        player.close();
    }

    PlayerFixture player;
    TForm1* w = nullptr;
    std::unique_ptr<TForm3> visualization;
    std::unique_ptr<TForm4> options;
    std::unique_ptr<TForm5> presets;
    std::unique_ptr<TForm2> about;
    std::unique_ptr<TForm7> links;
};

// Switching through the ten skins with every window open restyles each of them at once: in every window
// a control changes its pixels at every switch and the window takes the skin's colours, the time display
// takes the skin's digits, no two skins draw the main window alike, and Qt reports nothing. The renders
// of the main window are kept under the build tree at device pixel ratios 1 and 2 for review.
TEST(Skins, SwitchingRestylesEveryOpenWindowAndEverySkinLooksItsOwn) {
    AllWindows all;
    TForm1& w = *all.w;
    struct Window {
        const char* name;
        QWidget* window;
        QWidget* control;           // a control of the window whose look the skin sets
        bool skinBackground = true; // false: the window keeps a background of its own
    };
    const Window windows[] = {
        {"main", &w, w.btn1},
        {"main's seek bar", &w, w.scrlbr1},
        {"effects", all.player.effects.get(), all.player.effects->btn1},
        {"presets", all.presets.get(), all.presets->btn1},
        {"options", all.options.get(), all.options->btn2},
        {"visualization", all.visualization.get(), all.visualization->menuButton,
         false}, // black beneath the picture
        {"about", all.about.get(), all.about->btn1},
        {"web links", all.links.get(), all.links->btn1},
    };
    for (const Window& window : windows) {
        ASSERT_TRUE(window.window->isVisible()) << window.name;
        ASSERT_TRUE(window.control->isVisibleTo(window.window)) << window.name;
    }
    const QString shots = QStringLiteral(ORVU_SKIN_SHOT_DIR);
    QDir().mkpath(shots);

    WarningRecorder warnings;
    QList<QImage> mainWindows;
    QList<QImage> doubled;
    QList<QImage> lastControls;
    // The windows whose captions take the skin's typeface where they fit; their own is the
    // application's.
    QWidget* const typefaced[] = {all.player.effects.get(), all.presets.get(), all.options.get()};
    const QString ownFamily = QApplication::font().family();
    std::array<int, std::size(typefaced)> wearing{};
    for (const Window& window : windows)
        lastControls.append(render(*window.control));
    for (int index = 0; index < SkinManager::skinCount; ++index) {
        selectSkin(*w.sknmngr1, index);
        QApplication::processEvents();
        const Skin& skin = skins()[static_cast<std::size_t>(index)];
        SCOPED_TRACE(skin.caption);
        for (std::size_t row = 0; row < std::size(windows); ++row) {
            const QImage control = render(*windows[row].control);
            EXPECT_NE(control, lastControls[static_cast<int>(row)]) << windows[row].name;
            lastControls[static_cast<int>(row)] = control;
            if (windows[row].skinBackground) {
                EXPECT_EQ(windows[row].window->palette().color(QPalette::Window),
                          QColor::fromRgba(skin.window))
                    << windows[row].name;
            }
        }
        for (std::size_t row = 0; row < std::size(typefaced); ++row) {
            const QString family = typefaced[row]->font().family();
            EXPECT_TRUE(family == QString::fromLatin1(skin.font) || family == ownFamily)
                << typefaced[row]->windowTitle().toStdString() << ": " << family.toStdString();
            wearing[row] += family == QString::fromLatin1(skin.font);
        }
        // The time display wears the skin's own digits, still fitting its design width.
        for (const QLabel* time : {w.lbl2, w.lbl4, w.lbl3}) {
            EXPECT_EQ(time->palette().color(QPalette::WindowText), QColor::fromRgba(skin.timeText));
            EXPECT_EQ(time->graphicsEffect() != nullptr, skin.timeGlowRadius > 0);
        }
        EXPECT_LE(QFontMetrics(w.lbl2->font()).horizontalAdvance(QStringLiteral("00:00")), 97);
        const QImage window = render(w);
        for (int other = 0; other < mainWindows.size(); ++other)
            EXPECT_NE(window, mainWindows[other])
                << "looks like " << skins()[static_cast<std::size_t>(other)].caption;
        mainWindows.append(window);
        const QImage twice = render(w, 2.0);
        EXPECT_EQ(twice.size(), window.size() * 2);
        for (int other = 0; other < doubled.size(); ++other)
            EXPECT_NE(twice, doubled[other])
                << "at ratio 2 looks like " << skins()[static_cast<std::size_t>(other)].caption;
        doubled.append(twice);
        const QString name =
            QString::number(index) + u'-' + QString::fromLatin1(skin.caption).replace(u' ', u'_');
        window.save(shots + u'/' + name + QStringLiteral("@1x.png"));
        twice.save(shots + u'/' + name + QStringLiteral("@2x.png"));
    }
    for (std::size_t row = 0; row < std::size(typefaced); ++row)
        EXPECT_GT(wearing[row], 0) << typefaced[row]->windowTitle().toStdString();
    EXPECT_EQ(WarningRecorder::messages(), QStringList());
}

// A window marked for the skin's typeface wears it, each control at its own size, where every caption
// keeps its room, and keeps its own font under a typeface that would cut a caption its own font had room
// for; each skin starts again from the window's own font, and a control that names a typeface of its
// own is left to it.
TEST(SkinTypeface, AWindowTakesTheTypefaceOnlyWhereEveryCaptionFits) {
    SkinManager skin;
    QFont own(QStringLiteral("DejaVu Sans"));
    own.setPixelSize(12);
    const QString caption = QStringLiteral("Reverb Time :");
    const int ownWidth = QFontMetrics(own).horizontalAdvance(caption);

    QWidget roomy;
    roomy.setFont(own);
    auto* wide = new QLabel(caption, &roomy);
    wide->setGeometry(0, 0, ownWidth * 3, 40);
    auto* named = new QLabel(caption, &roomy); // far too small, in a typeface of its own
    named->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
    named->setGeometry(0, 50, 4, 4);
    QWidget tight;
    tight.setFont(own);
    auto* exact = new QLabel(caption, &tight); // exactly as wide as the window's own font needs
    exact->setGeometry(0, 0, ownWidth, 40);
    for (QWidget* window : {&roomy, &tight}) {
        SkinStyle::takeSkinTypeface(window);
        window->show();
    }

    struct Case {
        int skin;
        bool tightTakesIt;
    };
    const Case cases[] = {
        {2, true},  // a narrower face
        {9, false}, // monospaced: wider
        {3, false}, // a serif face: wider
        {5, true},  // the window's own face
    };
    for (const Case& c : cases) {
        const Skin& look = skins()[static_cast<std::size_t>(c.skin)];
        SCOPED_TRACE(look.caption);
        selectSkin(skin, c.skin);
        QApplication::processEvents();
        EXPECT_EQ(roomy.font().family(), QString::fromLatin1(look.font));
        EXPECT_EQ(wide->font().pixelSize(), 12);
        EXPECT_EQ(named->font().family(), QStringLiteral("DejaVu Sans Mono"));
        EXPECT_EQ(exact->font().family(), c.tightTakesIt ? QString::fromLatin1(look.font) : own.family());
        EXPECT_EQ(exact->font().pixelSize(), 12);
        EXPECT_LE(QFontMetrics(exact->font()).horizontalAdvance(caption), ownWidth);
    }
}

// A tint turns every colour of the skin by the hue offset (a full turn over 256 steps) and saturates it
// toward full colour; greys have no hue and stay as they are.
TEST(Skins, TintRotatesHueAndSaturatesColours) {
    struct Case {
        QColor in;
        int hue;
        int saturation;
        int hueOut;
        int saturationOut;
    };
    const Case cases[] = {
        {QColor::fromHsv(0, 200, 200), 0, 0, 0, 200},
        {QColor::fromHsv(0, 200, 200), 128, 0, 180, 200},
        {QColor::fromHsv(300, 200, 200), 128, 0, 120, 200},
        {QColor::fromHsv(10, 100, 200), 64, 255, 100, 255},
        {QColor::fromHsv(10, 100, 200), 0, 51, 10, 131},
    };
    for (const Case& c : cases) {
        const QColor out = tintColor(c.in, c.hue, c.saturation).toHsv();
        EXPECT_NEAR(out.hsvHue(), c.hueOut, 1) << c.in.name().toStdString() << " " << c.hue;
        EXPECT_NEAR(out.hsvSaturation(), c.saturationOut, 1)
            << c.in.name().toStdString() << " " << c.saturation;
    }
    const QColor grey(128, 128, 128);
    EXPECT_EQ(tintColor(grey, 100, 255), grey);
}

// Tinting the running skin re-colours the windows: the face of the play button turns by the hue offset.
TEST(Skins, HueOffsetRotatesARenderedButtonFace) {
    PlayerFixture player;
    TForm1& w = player.start();
    selectSkin(*w.sknmngr1, 7); // flat faces of one colour
    QApplication::processEvents();
    const auto facePixel = [&w] {
        const QImage button = render(*w.btn1);
        return button.pixelColor(3, button.height() / 2).toHsv();
    };
    const QColor before = facePixel();
    ASSERT_GT(before.hsvSaturation(), 100) << before.name().toStdString();
    w.sknmngr1->setHueOffset(64); // a quarter turn
    QApplication::processEvents();
    const QColor after = facePixel();
    EXPECT_NEAR(after.hsvHue(), (before.hsvHue() + 90) % 360, 3);
    EXPECT_NEAR(after.value(), before.value(), 3);
}

// Button pictures are drawn in the skin's button text colour, so a glyph stays visible on dark and light
// faces alike.
TEST(Skins, ButtonPicturesTakeTheSkinsInk) {
    PlayerFixture player;
    TForm1& w = player.start();
    QPushButton* button = nullptr;
    for (QPushButton* candidate : w.frame->client()->findChildren<QPushButton*>())
        if (candidate->isEnabled() && !candidate->icon().isNull() && candidate->isVisibleTo(&w)) {
            button = candidate;
            break;
        }
    ASSERT_NE(button, nullptr);
    for (const int index : {0, 7, 9}) {
        selectSkin(*w.sknmngr1, index);
        QApplication::processEvents();
        const QColor ink = QColor::fromRgba(skins()[static_cast<std::size_t>(index)].buttonText);
        for (const qreal ratio : {1.0, 2.0}) {
            const QImage picture = render(*button, ratio);
            int inked = 0;
            const QRect iconArea(QPoint(0, 0), button->iconSize() * ratio);
            const QRect centred = iconArea.translated(picture.rect().center() - iconArea.center());
            for (int y = centred.top(); y <= centred.bottom(); ++y)
                for (int x = centred.left(); x <= centred.right(); ++x) {
                    const QColor c = picture.pixelColor(x, y);
                    if (std::abs(c.red() - ink.red()) + std::abs(c.green() - ink.green()) +
                            std::abs(c.blue() - ink.blue()) <
                        12)
                        ++inked;
                }
            EXPECT_GT(inked, 4 * ratio * ratio)
                << skins()[static_cast<std::size_t>(index)].caption << " at " << ratio;
        }
    }
}

// A window fades in from nothing when it shows and, with blend on moving, turns translucent while it is
// moved and opaque again once it rests.
TEST(WindowEffects, FadeInAndBlendWhileMoving) {
    QWidget window;
    window.resize(120, 80);
    WindowEffects::attach(&window, true);
    window.show();
    EXPECT_LT(window.windowOpacity(), 0.5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.windowOpacity() == 1.0; }, 5000));
    window.move(window.pos() + QPoint(15, 9));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return std::abs(window.windowOpacity() - WindowEffects::movingOpacity / 255.0) < 0.01; },
        5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.windowOpacity() == 1.0; }, 5000));
}

// The title bar's menu button carries its caption, hint and size and opens its menu under itself; the
// close button closes the window, and there is no maximize button.
TEST(TitleBar, MenuButtonOpensItsMenuAndCloseCloses) {
    struct Case {
        QString text;
        QString hint;
        QSize size;
    };
    const Case cases[] = {
        {QStringLiteral("ORVU"), QStringLiteral("Main Menu"), QSize()},
        {QStringLiteral("Visualization"), QStringLiteral("Visualization Menu"), QSize(114, 23)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
        window.resize(400, 200);
        QMenu menu;
        menu.addAction(QStringLiteral("item"));
        auto* bar = new TitleBar(&window, c.text, c.hint, &menu, c.size);
        bar->setGeometry(0, 0, 400, TitleBar::barHeight);
        window.show();
        EXPECT_EQ(bar->menuButton()->text(), c.text);
        EXPECT_EQ(bar->menuButton()->toolTip(), c.hint);
        if (c.size.isValid()) {
            EXPECT_EQ(bar->menuButton()->size(), c.size);
        }
        EXPECT_GT(bar->minimizeButton()->x(), bar->menuButton()->geometry().right() + 16);
        QTest::mouseClick(bar->menuButton(), Qt::LeftButton);
        EXPECT_TRUE(menu.isVisible());
        EXPECT_LE(std::abs(menu.pos().y() -
                           bar->menuButton()->mapToGlobal(QPoint(0, bar->menuButton()->height())).y()),
                  1);
        menu.hide();
        for (const QPushButton* button : bar->findChildren<QPushButton*>())
            EXPECT_NE(button->toolTip(), QStringLiteral("Maximize"));
        QTest::mouseClick(bar->closeButton(), Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
    }
}

// The frame makes the window frameless and lays out the title bar across the top and the client area
// inside a 4-pixel border, following the window's size; presses on the border resize from the edges
// they lie on, and a fixed frame draws the same with or without extended borders only by its colours.
TEST(WindowFrame, LaysOutBarAndClientAndFindsTheEdges) {
    QWidget window;
    auto* frame = new WindowFrame(&window, WindowFrame::Sizing::Resizable, QStringLiteral("Menu"),
                                  QStringLiteral("Hint"));
    window.resize(300, 200);
    window.show();
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(frame->titleBar()->geometry(), QRect(0, 0, 300, TitleBar::barHeight));
    EXPECT_EQ(frame->client()->geometry(), QRect(4, 30, 292, 166));
    window.resize(400, 250);
    EXPECT_EQ(frame->client()->geometry(), QRect(4, 30, 392, 216));

    const QSize size(400, 250);
    const std::pair<QPoint, Qt::Edges> cases[] = {
        {{0, 0}, Qt::LeftEdge | Qt::TopEdge},
        {{399, 249}, Qt::RightEdge | Qt::BottomEdge},
        {{200, 248}, Qt::BottomEdge},
        {{2, 100}, Qt::LeftEdge},
        {{396, 100}, Qt::RightEdge},
        {{4, 100}, {}},
        {{200, 245}, {}},
    };
    for (const auto& [point, edges] : cases)
        EXPECT_EQ(WindowFrame::edgesAt(size, point), edges) << point.x() << "," << point.y();
}

// Extended borders change how the skin draws a frame: the same window renders differently with them on
// and off.
TEST(WindowFrame, ExtendedBordersChangeTheBorder) {
    SkinManager skin;
    selectSkin(skin, 4);
    QWidget window;
    new WindowFrame(&window, WindowFrame::Sizing::Fixed, QStringLiteral("Menu"), QStringLiteral("Hint"));
    window.resize(200, 120);
    const QImage extended = render(window);
    skin.setExtendedBorders(false);
    const QImage plain = render(window);
    EXPECT_NE(extended, plain);
    // The client area's middle is the window's own background either way.
    EXPECT_EQ(extended.pixelColor(100, 80), plain.pixelColor(100, 80));
}

// A dialog that keeps the platform's frame wears the skin's bevelled rim and shadow just inside it
// while extended borders are on, and its plain face without them; its face and controls are the same
// either way.
TEST(WindowFrame, DialogsKeepingThePlatformFrameWearTheRimWithExtendedBorders) {
    SkinManager skin;
    selectSkin(skin, 4);
    QWidget dialog(nullptr, Qt::Dialog);
    dialog.resize(200, 120);
    auto* button = new QPushButton(QStringLiteral("OK"), &dialog);
    button->setGeometry(60, 40, 80, 25);
    dialog.show();
    QApplication::processEvents();
    const QImage rimmed = render(dialog);
    skin.setExtendedBorders(false);
    QApplication::processEvents();
    const QImage plain = render(dialog);
    const QColor face = QColor::fromRgba(skins()[4].window);
    for (const QPoint edge :
         {QPoint(0, 60), QPoint(1, 60), QPoint(100, 3), QPoint(199, 60), QPoint(100, 118)}) {
        EXPECT_EQ(plain.pixelColor(edge), face) << edge.x() << "," << edge.y();
        EXPECT_NE(rimmed.pixelColor(edge), face) << edge.x() << "," << edge.y();
    }
    EXPECT_EQ(rimmed.pixelColor(100, 8), face);
    EXPECT_EQ(rimmed.copy(button->geometry()), plain.copy(button->geometry()));
}

// Where windows are composited, a window hidden by the program leaves its picture behind, fading out
// over the fade time, and a minimized one a picture that shrinks away; where they are not, nothing is
// left.
TEST(WindowEffects, FadeOutAndMinimizeLeaveAFadingPictureOnlyWhenComposited) {
    const auto ghosts = [] {
        int count = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == u"orvu-window-ghost" && top->isVisible())
                ++count;
        return count;
    };
    for (const bool composited : {false, true}) {
        SCOPED_TRACE(composited ? "composited" : "not composited");
        WindowEffects::overrideCompositing(composited);
        QWidget window;
        window.resize(120, 80);
        WindowEffects::attach(&window, false, true);
        window.show();
        window.hide();
        EXPECT_EQ(ghosts(), composited ? 1 : 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return ghosts() == 0; }, 5000));
        window.show();
        window.setWindowState(Qt::WindowMinimized);
        QApplication::processEvents();
        if (window.isMinimized()) {
            EXPECT_EQ(ghosts(), composited ? 1 : 0);
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return ghosts() == 0; }, 5000));
    }
    WindowEffects::overrideCompositing(std::nullopt);
}

// The menu opacity reaches the pop-up menus, and ending the skin object gives back the look the
// application had.
TEST(Skins, MenuOpacityAppliesToPopUpsAndTheLookIsGivenBack) {
    const QString styleBefore = QApplication::style()->name();
    const QColor windowBefore = QApplication::palette().color(QPalette::Window);
    {
        SkinManager skin;
        QMenu menu;
        menu.addAction(QStringLiteral("item"));
        selectSkin(skin, 5);
        skin.setMenuOpacity(128);
        menu.popup(QPoint(10, 10));
        QApplication::processEvents();
        EXPECT_NEAR(menu.windowOpacity(), 128 / 255.0, 0.01);
        menu.hide();
        EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor::fromRgba(skins()[5].window));
    }
    EXPECT_EQ(QApplication::style()->name(), styleBefore);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), windowBefore);
}

} // namespace
