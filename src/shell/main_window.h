// Purpose: TForm1, the main window and hub of the player: it owns the player state, the playlist and the
// controls that hold state. Its handlers are defined in the folder of the subsystem they belong to.
#pragma once

#include "core/playback_session.h"
#include "core/playlist.h"
#include "core/settings_file.h"
#include "core/string_list.h"
#include "engine/engine_types.h"

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class QToolButton;

namespace orvu {

namespace engine {
class Engine;
}
class Gauge;
class LinkLabel;
class ListBox;
class Panel;
class ScrollBar;
class SkinManager;
class SystemActions;
class TitleBar;
class WindowFrame;
class TForm2;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
struct PlaylistUiState;

// The state the player's windows share, owned by the main window. Every field starts zeroed:
// start-up fills it from the settings file.
struct PlayerState {
    QString AppDir; // the executable's directory (share/orvu/ for an installed copy), ending in '/'
    std::unique_ptr<SettingsFile> Settings; // "ORVU.ini" in AppDir, or in the user's settings directory
    std::int32_t PresetIndex = 0;           // selected equalizer preset, 0 "Flat" .. 12 "Other"
    QString VisMode;                        // visualization style: "eli", "spe", "spa", "dop", "ran"
    bool vis1Checked = false;               // the mark of vis1: the visualization window is open
    QString SkinIndex;                      // decimal index 0..9 of the current skin
    QString OnOpenAction;                   // start-up action: "Nothing", "Play", "Open"
    QString PlayerMode;                     // "Normal", "Simple", "Medium"
    bool AutoEq = false;                    // load the preset named by each track's genre
    QString CurrentFile;                    // full path of the track last loaded
    QString CurrentName;                    // its display name, cut for the status line
    engine::ChannelInfo ChannelInfo{};      // facts about the current channel
    std::int32_t TagDragX = 0;              // where a drag of the tag bar text began
    bool TagDragging = false;               // a drag of the tag bar text is in progress
};

// What the process was started with: the application directory and the command-line arguments, and
// where an installed copy keeps its settings and add-ons (empty: in appDir, as a portable copy does).
struct StartupContext {
    QString appDir;           // ends in '/'
    QStringList arguments;    // without the program name
    QString settingsDir = {}; // ORVU.ini and Default.orvl; ends in '/'
    QString addOnDir = {};    // holds plugins/; ends in '/'
};

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // The design's client area, which holds the controls inside the skin's title bar and border.
    static constexpr int designClientWidth = 824;
    static constexpr int designClientHeight = 472;
    // The window's outer size at design: the client area in the skin's frame (8 across, 34 down).
    static constexpr QSize designSize{832, 506};
    // What the window system adds around a window: nothing, since the skin draws the title bar and
    // border inside it. Player modes and the settings give outer sizes, which are the windows' sizes.
    static constexpr QSize designFrame{0, 0};

    TForm1(engine::Engine& engine, StartupContext context, QWidget* parent = nullptr);
    ~TForm1() override;

    PlayerState state;
    PlaybackSession session; // the engine, the current channel, the equalizer and the effects
    engine::Engine& Bass;    // the session's engine

    // Each subsystem below lists its controls with its handlers; the handlers are defined in the
    // subsystem's folder, and its input table (wire...Input) connects the two.

    // ---- Application shell: life cycle (shell/startup.cpp) ----
    SkinManager* sknmngr1 = nullptr;
    WindowFrame* frame = nullptr; // the skin's title bar and border around the client area
    TitleBar* stlbr1 = nullptr;   // the title bar: the "ORVU" menu button, minimize and close
    QSystemTrayIcon* trycn1 = nullptr;
    QAction* vis1 = nullptr; // "Visualization", checked while the visualization window shows (menus)
    // The creation step; false when the engine cannot be used (the process must end).
    bool FormCreate();
    // True once the close step ran: a close during the show step (a termination request while a
    // start-up box is open) must end the process without entering the message loop.
    bool closed() const { return closed_; }
    void FormShow();
    void FormClose();
    void FormDestroy();
    void cbb2Change(); // applies SkinIndex to the skin engine
    // Windows created after this one that start-up touches (the visualization window); closing it by
    // its own means clears vis1's mark (shell/menus.cpp).
    void setVisualizationWindow(QWidget* window);

    // ---- Application shell: panels, modes, tag bar, label hints, wheel (shell/) ----
    Panel* spnl3 = nullptr; // the playlist panel
    QToolButton *btn14 = nullptr, *btn15 = nullptr, *btn16 = nullptr;
    Panel* spnl1 = nullptr; // the information panel
    QToolButton *btn11 = nullptr, *btn12 = nullptr, *btn13 = nullptr;
    QWidget* spnl4 = nullptr; // the tag bar strip
    QLabel* lbl31 = nullptr;  // the tag label
    QTimer* tmr2 = nullptr;   // tag bar, Tagbar/Speed ms
    void ApplyPlayerMode(const QString& mode);
    void tmr2Timer();
    void lbl31MouseDown(int x);
    void lbl31MouseMove(int x);
    void lbl31MouseUp();
    void btn11Click();
    void btn12Click();
    void btn13Click();
    void btn14Click();
    void btn15Click();
    void btn16Click();
    void labelMouseEnter(QLabel* label);
    void FormMouseWheelUp();
    void FormMouseWheelDown();
    int tagBarInterval() const { return tagBarInterval_; }
    void setTagBarInterval(int milliseconds);

    // ---- Playback: loading, transport, status, tags, level meters (playback/) ----
    QLabel* lbl1 = nullptr;       // the status line
    ScrollBar* scrlbr1 = nullptr; // the seek bar
    QPushButton *btn1 = nullptr, *btn2 = nullptr, *btn3 = nullptr, *btn6 = nullptr, *btn7 = nullptr,
                *btn8 = nullptr, *btn9 = nullptr, *btn26 = nullptr;
    ScrollBar* scrlbr2 = nullptr;                             // the volume
    QLabel *lbl2 = nullptr, *lbl4 = nullptr, *lbl3 = nullptr; // position / length
    Gauge* sg1 = nullptr;
    QLabel *lbl27 = nullptr, *lbl18 = nullptr, *lbl17 = nullptr, *lbl16 = nullptr, *lbl19 = nullptr,
           *lbl20 = nullptr, *lbl21 = nullptr, *lbl23 = nullptr, *lbl24 = nullptr;
    LinkLabel* lbl28 = nullptr;
    QLabel *lbl15 = nullptr, *lbl22 = nullptr;                            // playlist position, CPU
    Gauge *sg2 = nullptr, *sg5 = nullptr, *sg3 = nullptr, *sg4 = nullptr; // level meters
    QTimer* tmr1 = nullptr;                                               // status, 100 ms
    QTimer* tmr3 = nullptr; // level meters, 1 ms by design: 10 ms, the fastest a window timer ticks
    void lst1DblClick();    // load the selected entry
    void btn1Click();       // play
    void btn2Click();       // pause
    void btn3Click();       // stop
    void btn6Click();       // rewind 5 seconds
    void btn7Click();       // forward 5 seconds
    void btn8Click();       // previous
    void btn9Click();       // next
    void btn26Click();      // random track
    void scrlbr1Scroll(int code);
    void scrlbr1Change(); // the seek bar's hint
    void scrlbr1KeyDown(int key);
    void scrlbr2Change(); // volume
    void tmr1Timer();     // status
    void tmr3Timer();     // level meters
    void sg1MouseMove();

    // ---- Equalizer and effects (audio/) ----
    ScrollBar *TrackBar1 = nullptr, *trckbr1 = nullptr, *TrackBar2 = nullptr, *TrackBar3 = nullptr,
              *trckbr2 = nullptr, *trckbr4 = nullptr, *trckbr3 = nullptr, *trckbr5 = nullptr,
              *trckbr6 = nullptr, *trckbr7 = nullptr;
    std::array<ScrollBar*, 10> bandSliders{}; // the ten above, Band1..Band10
    std::array<QLabel*, 10> bandLabels{};
    QPushButton *btn17 = nullptr, *btn18 = nullptr; // effects window, presets window
    void bandChange(int band);                      // the gain handler of every band slider (Band1 = 0)
    void bandScroll(int band);                      // a band slider moved by the user
    void btn17Click();                              // open the effects window
    void btn18Click();                              // open the preset window
    void setEffectsWindow(TForm6* window);
    void setPresetsWindow(TForm5* window);
    // The genre auto-preset, the last step of a load that reached its volume step: with AutoEq on, the
    // preset named by the current channel's genre tag is loaded. An error in its preset file is shown
    // in the error box, and the track and the steps after the load go on.
    void ApplyGenrePreset(); // audio/genre_preset.cpp

    // ---- Playlist (playlist/) ----
    Playlist playlist; // the entries' paths and names, shown by lst1
    ListBox* lst1 = nullptr;
    StringList lst4; // scratch lines of the HTML export
    QPushButton *Button1 = nullptr, *btn4 = nullptr, *btn5 = nullptr, *btn10 = nullptr, *sbtbtn1 = nullptr,
                *sbtbtn2 = nullptr, *sbtbtn3 = nullptr, *btn20 = nullptr, *btn21 = nullptr, *btn22 = nullptr;
    QAction* ListMode1 = nullptr; // "List Mode", checked while list mode is on
    void AddPlaylistEntry(const QString& path);
    // Replaces the playlist with a playlist file's entries; on a read error the playlist is kept.
    void ReadPlaylistFile(const QString& fileName);
    void WritePlaylistFile(const QString& fileName) const;
    void Button1Click();    // add files
    void btn10Click();      // remove the selected entry
    void sbtbtn1Click();    // move up
    void sbtbtn2Click();    // move down
    void sbtbtn3Click();    // clear
    void Duplicate1Click(); // duplicate the selected entry
    void Reverse1Click();   // reverse the order
    void Shuffle1Click();   // shuffle
    void ListMode1Click();  // list mode on or off
    void lst1MouseMove();   // the name list's hint
    // A key pressed while the name list has the focus; true when the key was taken.
    bool lst1KeyDown(int key, Qt::KeyboardModifiers modifiers);
    bool playlistKey(const QKeyEvent* key);       // lst1KeyDown for a key event, inside the error guard
    void btn4Click();                             // load a playlist file
    void btn5Click();                             // save the playlist to a file
    void WMDropFiles(const QStringList& dropped); // files dropped on the window
    void btn21Click();                            // delete the selected file from disk
    void AnotherLocation1Click();                 // copy the selected file to another location
    void btn22Click();                            // export the playlist as HTML
    void wirePlaylistInput();                     // wires the playlist's controls and keys

    // ---- Menus, tray icon, system actions and the other windows (shell/menus.cpp) ----
    // The main menu opens from a right-click on the window, either panel or the tray icon; its
    // shortcuts act while any control of the window has the focus. The playlist menu opens from a
    // right-click on lst1; its single-key shortcuts act only while lst1 has the focus.
    QMenu* pm1 = nullptr;
    QMenu* pm2 = nullptr;
    QAction* LockCDDoor1 = nullptr; // "Lock CD Door": checked by a lock request, not read back
    QPushButton *btn23 = nullptr, *btn19 = nullptr, *btn24 = nullptr, *btn27 = nullptr, *btn25 = nullptr;
    void btn25Click();       // open the Options dialog (options/)
    void Options1Click();    // open the Options dialog
    void About1Click();      // open the About window
    void btn24Click();       // open the web links window
    void btn19Click();       // show the visualization window, leaving vis1's mark alone
    void vis1Click();        // show or close the visualization window; the mark follows
    void OffMonitor1Click(); // the display to its low-power state
    void ScreenSaver1Click();
    void btn23Click();       // open or close the CD door
    void LockCDDoor1Click(); // lock or unlock the CD door
    void trycn1Click();      // the play/pause toggle
    void trycn1DblClick();   // hide or show the main window
    void trycn1Context();    // the main menu at the pointer, the player brought to the front first
    void setOptionsWindow(TForm4* window);
    void setAboutWindow(TForm2* window);
    void setWebLinksWindow(TForm7* window);
    // The platform's system actions; tests put a fake desktop and CD drive here.
    void setSystemActions(std::unique_ptr<SystemActions> actions);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override; // playlist/
    void dropEvent(QDropEvent* event) override;           // playlist/
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void windowWheel(QWheelEvent* event); // never marks the event handled
    void seekToSeconds(double seconds);   // not clamped: the engine refuses what lies outside the track
    enum class LoadResult { Loaded, Failed };
    LoadResult loadEntry(int index);
    // The end-of-track step: once the current track's end has been heard, the entry it chooses plays.
    void endOfTrack();
    // The entry the end-of-track step would play now, without touching the selection; -1 for none.
    int entryAfterCurrent() const;
    // Near the end of the current track, the entry to follow it is opened so the engine joins the two
    // without a gap; a prepared entry that is no longer the one to follow is dropped.
    void prepareFollowingEntry();
    bool endingTrack_ = false; // the end-of-track step is loading: a prepared channel may be adopted
    QString unplayableNext_;   // a following entry that failed to open, not tried again each tick
    bool applyLength();        // false when the length cannot be known: the file cannot be played
    QString readTag(const char* format) const;
    void showTags();
    void createControls();
    void createTopStrip();
    void createPlaylistPanel();
    void createInformationPanel();
    void createTimers();
    void wireShellInput();
    void wirePlaybackInput();
    void createMenus();   // after the playlist's wiring, which makes ListMode1
    void wireMenuInput(); // menus, shortcuts, tool buttons and the tray icon
    void readSettings();
    void loadDefaultPlaylist();
    void loadAddOns();
    void runCommandLine();
    void restoreVisualizationWindow();
    void writeSettings();
    QPushButton* makeButton(QWidget* parent, const QRect& geometry, const QString& hint, QIcon icon);
    QToolButton* makePanelButton(Panel* panel, int left, const QString& hint, int command);
    QLabel* makeLabel(QWidget* parent, const QRect& geometry, const QString& caption, const QFont& font);
    // Shows a secondary window centred over this one; one already showing stays where it is and only
    // comes to the front.
    void showCentred(QWidget* window);

    StartupContext context_;
    std::unique_ptr<PlaylistUiState> playlistUi_; // defined and used by playlist/
    TForm2* Form2 = nullptr;
    QWidget* Form3 = nullptr;
    TForm4* Form4 = nullptr;
    TForm5* Form5 = nullptr;
    TForm6* Form6 = nullptr;
    TForm7* Form7 = nullptr;
    std::unique_ptr<SystemActions> system_;
    bool shown_ = false; // the show step runs once per process
    bool closed_ = false;
    bool defaultPlaylistUnreadable_ = false; // never overwrite a playlist we could not read
    int tagBarInterval_ = 100;
};

} // namespace orvu
