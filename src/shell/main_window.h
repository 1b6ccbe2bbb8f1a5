// Purpose: TForm1, the main window and hub of the player: it owns the player state and the playlist.
#pragma once

#include "engine/engine_types.h"
#include "playlist/string_list.h"
#include "shell/settings_file.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class QListWidget;

namespace orvu {

// The state the player's windows share, owned by the main window. Every field starts zeroed:
// start-up fills it from the settings file.
struct PlayerState {
    QString AppDir;                         // the executable's directory, ending in '/'
    engine::Handle Channel = 0;             // current stream or music; keeps a freed handle
    std::unique_ptr<SettingsFile> Settings; // "ORVU.ini" in AppDir
    std::int32_t PresetIndex = 0;           // selected equalizer preset, 0 "Flat" .. 12 "Other"
    QString VisMode;                        // visualization style: "eli", "spe", "spa", "dop", "ran"
    QString SkinIndex;                      // decimal index 0..9 of the current skin
    QString OnOpenAction;                   // start-up action: "Nothing", "Play", "Open"
    QString PlayerMode;                     // "Normal", "Simple", "Medium"
    bool AutoEq = false;                    // load the preset named by each track's genre
    std::array<engine::Handle, 10> EqFx{};  // one equalizer effect per band, Band1..Band10
    engine::ParamEqParameters EqParams{};   // the one record shared by the ten bands
    QString CurrentFile;                    // full path of the track last loaded
    QString CurrentName;                    // its display name, cut for the status line
    engine::ChannelInfo ChannelInfo{};      // facts about the current channel
    std::int32_t TagDragX = 0;              // where a drag of the tag bar text began
    bool TagDragging = false;               // a drag of the tag bar text is in progress
};

class TForm1 : public QWidget {
    Q_OBJECT

public:
    static constexpr int designClientWidth = 824;
    static constexpr int designClientHeight = 472;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    PlayerState state;

    // Playlist: the name list lst1 (shown) and the path list lst3 (hidden), always index-aligned.
    QListWidget* lst1 = nullptr;
    StringList lst3;

    void AddPlaylistEntry(const QString& path);
    // Replaces the playlist with a playlist file's entries; on a read error the playlist is kept.
    void ReadPlaylistFile(const QString& fileName);
    void WritePlaylistFile(const QString& fileName) const;

private:
    void createControls();
};

} // namespace orvu
