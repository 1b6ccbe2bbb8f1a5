// Purpose: the main window's life cycle: creation (engine, settings, skin, default playlist, add-ons),
// the show step (command line, visualization window, start-up action), close and destruction.
#include "core/atomic_file.h"
#include "core/path_bytes.h"
#include "core/player_random.h"
#include "core/settings_keys.h"
#include "core/window_placement.h"
#include "engine/engine.h"
#include "shell/error_box.h"
#include "shell/main_window.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"
#include "skin/skin_manager.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <chrono>

namespace orvu {
namespace {

constexpr std::uint32_t outputRate = 44100;
constexpr std::uint32_t bufferMilliseconds = 1000;
const QString settingsFileName = QStringLiteral("ORVU.ini");
const QString defaultPlaylistName = QStringLiteral("Default.orvl");

// The format add-ons, loaded in this order when present.
constexpr const char* addOnFiles[] = {
    "bass_aac.so", "bass_ac3.so", "bass_adx.so", "bass_aix.so", "bass_alac.so",
    "bass_ape.so", "bass_mpc.so", "bass_ofr.so", "bass_spx.so", "bass_tta.so",
    "bassflac.so", "bassmidi.so", "bassopus.so", "basswv.so",   "basswma.so",
};

// An installed copy keeps its settings and add-ons apart from AppDir; a portable one has them there.
QString settingsDirOf(const StartupContext& context) {
    return context.settingsDir.isEmpty() ? context.appDir : context.settingsDir;
}

QString addOnDirOf(const StartupContext& context) {
    return context.addOnDir.isEmpty() ? context.appDir : context.addOnDir;
}

QSize screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

// Converts a decimal (or 0x hexadecimal) text to an integer or raises the conversion error.
int toInteger(const QString& text) {
    const std::optional<int> value = parseIniInteger(text);
    if (!value)
        throw PlayerError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return *value;
}

} // namespace

bool TForm1::FormCreate() {
    trycn1->setIcon(windowIcon().isNull() ? QApplication::style()->standardIcon(QStyle::SP_MediaPlay)
                                          : windowIcon());
    // Shown whether or not a tray is there now: a tray that appears later (a panel restarted, a
    // desktop logged in after the player) then gets the icon.
    trycn1->show();
    for (QToolButton* button : {btn11, btn12, btn13, btn14, btn15, btn16})
        button->move(button->x() + 3, button->y() + 3);

    if ((Bass.version() >> 16) != 0x0204) {
        showMessageBox(QStringLiteral("An incorrect version of BASS.DLL was loaded"), QMessageBox::Critical);
        return false;
    }
    if (!Bass.init(engine::kDeviceDefault, outputRate, 0)) {
        showMessageBox(QStringLiteral("Can't initialize device"), QMessageBox::NoIcon);
        return false;
    }
    Bass.start();
    Bass.setConfig(engine::kConfigBuffer, bufferMilliseconds);

    QToolTip::setFont(QFont(QStringLiteral("Tahoma"), 8));
    QPalette hints = QToolTip::palette();
    hints.setColor(QPalette::ToolTipBase, Qt::white);
    QToolTip::setPalette(hints);

    // Shuffle and Random differ from run to run.
    seedPlayerRandom(static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                                std::chrono::system_clock::now().time_since_epoch().count()));
    state.AppDir = context_.appDir;
    state.Settings = std::make_unique<SettingsFile>(settingsDirOf(context_) + settingsFileName);
    // A write that a kill cut short leaves its temporary file beside the real one.
    removeStaleTemporaries(state.Settings->path());
    removeStaleTemporaries(settingsDirOf(context_) + defaultPlaylistName);
    readSettings();
    // A skin index that is not a skin keeps the current skin; start-up goes on.
    runGuarded([this] { cbb2Change(); });
    loadDefaultPlaylist();
    setAcceptDrops(true);
    loadAddOns();
    return true;
}

void TForm1::readSettings() {
    const SettingsFile& settings = *state.Settings;
    state.SkinIndex = readTextSetting(settings, Setting::SkinName);
    const QSize screen = screenSize();
    const QSize design = designSize + designFrame;
    const int left =
        readIntegerSetting(settings, Setting::MainWindowLeft, centredOrigin(screen.width(), design.width()));
    const int top =
        readIntegerSetting(settings, Setting::MainWindowTop, centredOrigin(screen.height(), design.height()));
    move(left, top);
    for (int band = 0; band < 10; ++band)
        bandSliders[static_cast<std::size_t>(band)]->setValue(
            readIntegerSetting(settings, bandSetting(band)));
    state.PresetIndex = readIntegerSetting(settings, Setting::EqualizerPreset);
    state.AutoEq = readBoolSetting(settings, Setting::EqualizerAutoeq);
    scrlbr2->setPosition(readIntegerSetting(settings, Setting::VolumeLevel));
    state.VisMode = readTextSetting(settings, Setting::VisualizationName);
    sknmngr1->setHueOffset(readIntegerSetting(settings, Setting::SkinHue));
    sknmngr1->setSaturation(readIntegerSetting(settings, Setting::SkinSat));
    sknmngr1->setMenuOpacity(readIntegerSetting(settings, Setting::SkinMenuOpacity));
    sknmngr1->setExtendedBorders(readBoolSetting(settings, Setting::SkinBordersShadows));
    sknmngr1->setBlendOnMoving(readBoolSetting(settings, Setting::SkinBlendMove));
    sknmngr1->setMinimizing(readBoolSetting(settings, Setting::SkinMinimizeAnim));
    state.OnOpenAction = readTextSetting(settings, Setting::OnOpenStart);
    state.PlayerMode = readTextSetting(settings, Setting::PlayerModeMode);
    ApplyPlayerMode(state.PlayerMode);
    setTagBarInterval(readIntegerSetting(settings, Setting::TagbarSpeed));
}

void TForm1::cbb2Change() {
    const int index = toInteger(state.SkinIndex);
    if (index < 0 || index >= SkinManager::skinCount)
        throwListIndexError(index);
    sknmngr1->setSkinName(SkinManager::internalSkinNames()[static_cast<std::size_t>(index)]);
}

void TForm1::loadDefaultPlaylist() {
    const QString path = settingsDirOf(context_) + defaultPlaylistName;
    if (!QFileInfo::exists(path))
        return;
    try {
        ReadPlaylistFile(path);
    } catch (const PlayerError& error) {
        // The playlist starts empty and the file is left alone at close, so nothing in it is lost.
        defaultPlaylistUnreadable_ = true;
        showErrorBox(error.message());
    }
}

void TForm1::loadAddOns() {
    for (const char* name : addOnFiles) {
        const QString relative = QStringLiteral("plugins/") + QLatin1String(name);
        if (QFileInfo(relative).isFile())
            Bass.pluginLoad(QFile::encodeName(relative).toStdString(), 0);
        else if (QFileInfo(addOnDirOf(context_) + relative).isFile())
            Bass.pluginLoad(QFile::encodeName(addOnDirOf(context_) + relative).toStdString(), 0);
    }
}

void TForm1::FormShow() {
    if (!state.Settings)
        return; // shown without the creation step (a test of the bare window)
    // A termination request may close the player while a step waits on a message box: the steps after
    // it do not run.
    runCommandLine();
    if (closed_)
        return;
    restoreVisualizationWindow();
    if (state.OnOpenAction == u"Open")
        Button1Click();
    else if (state.OnOpenAction == u"Play")
        btn1Click();
}

void TForm1::runCommandLine() {
    const QStringList& arguments = context_.arguments;
    // The arguments are byte paths (pathFromBytes), which QFileInfo cannot reach when not UTF-8.
    if (arguments.isEmpty() || !isRegularFile(arguments.first()))
        return;
    if (arguments.first().endsWith(u".orvl")) {
        ReadPlaylistFile(arguments.first());
        btn1Click();
        return;
    }
    for (const QString& argument : arguments)
        AddPlaylistEntry(argument);
    lst1->setItemIndex(lst1->count() - static_cast<int>(arguments.size()));
    lst1DblClick();
}

void TForm1::restoreVisualizationWindow() {
    const SettingsFile& settings = *state.Settings;
    state.vis1Checked = readBoolSetting(settings, Setting::VisualizationShow);
    vis1->setChecked(state.vis1Checked);
    if (!Form3)
        return;
    // Placed before it shows: a window moved while hidden is placed by its frame's top-left, the
    // point the close saves, so a run that leaves it alone leaves its position alone. Moved after it
    // shows, the client area would land there and the window would creep up by its title bar.
    Form3->resize(readIntegerSetting(settings, Setting::VisWindowWidth) - designFrame.width(),
                  readIntegerSetting(settings, Setting::VisWindowHeight) - designFrame.height());
    const QSize screen = screenSize();
    const QSize outer = Form3->size() + designFrame;
    const int left =
        readIntegerSetting(settings, Setting::VisWindowLeft, centredOrigin(screen.width(), outer.width()));
    const int top =
        readIntegerSetting(settings, Setting::VisWindowTop, centredOrigin(screen.height(), outer.height()));
    Form3->move(left, top);
    if (state.vis1Checked)
        Form3->show();
}

void TForm1::FormClose() {
    trycn1->hide();
    if (!state.Settings)
        return; // the creation step never ran: nothing was read, so nothing is written
    // Each file is replaced whole or not at all; a failure is reported and the close goes on.
    runGuarded([this] { writeSettings(); });
    if (!defaultPlaylistUnreadable_)
        runGuarded([this] { WritePlaylistFile(settingsDirOf(context_) + defaultPlaylistName); });
}

void TForm1::writeSettings() {
    if (!state.Settings)
        return;
    std::vector<SettingValue> values;
    values.push_back(textSettingValue(Setting::SkinName, state.SkinIndex));
    values.push_back(integerSettingValue(Setting::MainWindowLeft, x()));
    values.push_back(integerSettingValue(Setting::MainWindowTop, y()));
    for (int band = 0; band < 10; ++band)
        values.push_back(
            integerSettingValue(bandSetting(band), bandSliders[static_cast<std::size_t>(band)]->value()));
    values.push_back(integerSettingValue(Setting::EqualizerPreset, state.PresetIndex));
    values.push_back(boolSettingValue(Setting::EqualizerAutoeq, state.AutoEq));
    values.push_back(integerSettingValue(Setting::VolumeLevel, scrlbr2->position()));
    values.push_back(textSettingValue(Setting::VisualizationName, state.VisMode));
    values.push_back(boolSettingValue(Setting::VisualizationShow, state.vis1Checked));
    const QRect vis = Form3 ? QRect(Form3->pos(), Form3->size() + designFrame) : QRect(0, 0, 700, 480);
    values.push_back(integerSettingValue(Setting::VisWindowLeft, vis.x()));
    values.push_back(integerSettingValue(Setting::VisWindowTop, vis.y()));
    values.push_back(integerSettingValue(Setting::VisWindowHeight, vis.height()));
    values.push_back(integerSettingValue(Setting::VisWindowWidth, vis.width()));
    values.push_back(integerSettingValue(Setting::SkinHue, sknmngr1->hueOffset()));
    values.push_back(integerSettingValue(Setting::SkinSat, sknmngr1->saturation()));
    values.push_back(integerSettingValue(Setting::SkinMenuOpacity, sknmngr1->menuOpacity()));
    values.push_back(boolSettingValue(Setting::SkinBordersShadows, sknmngr1->extendedBorders()));
    values.push_back(boolSettingValue(Setting::SkinBlendMove, sknmngr1->blendOnMoving()));
    values.push_back(boolSettingValue(Setting::SkinMinimizeAnim, sknmngr1->minimizing()));
    values.push_back(textSettingValue(Setting::OnOpenStart, state.OnOpenAction));
    values.push_back(textSettingValue(Setting::PlayerModeMode, state.PlayerMode));
    values.push_back(integerSettingValue(Setting::TagbarSpeed, tagBarInterval_));
    state.Settings->writeValues(values);
}

void TForm1::FormDestroy() {
    Bass.stop();
    session.release();
    Bass.free();
    trycn1->hide();
}

} // namespace orvu
