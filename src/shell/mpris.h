// Purpose: the player on the desktop's media bus (MPRIS over D-Bus): media keys, desktop widgets and
// command-line controllers play, pause, seek and set the volume through the player's own handlers, and
// see what plays.
#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

#include <cstdint>

namespace orvu {

class TForm1;

// Everything the bus asks runs on the UI thread, as the player's handlers do. What the bus sees is
// compared with the player a few times a second and on every call from the bus, and the changes go
// out as PropertiesChanged (and Seeked for a jump of the position), whoever caused them: a button,
// a key, the end of a track or the bus itself.
class MprisService : public QObject {
    Q_OBJECT

public:
    static constexpr const char* objectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* baseServiceName = "org.mpris.MediaPlayer2.orvu";

    // Registers the player as org.mpris.MediaPlayer2.orvu, or as ...orvu.instance<pid> when another
    // player has that name. A bus that is not connected leaves the service unregistered and idle.
    MprisService(TForm1& player, QDBusConnection bus);
    ~MprisService() override;

    bool isRegistered() const { return registered_; }
    QString serviceName() const { return serviceName_; }

    // What the bus reads.
    QString playbackStatus() const; // "Playing", "Paused" or "Stopped"
    QVariantMap metadata();
    double volume() const;      // 0.0 .. 1.0, the volume slider's 0 .. 100
    qlonglong position() const; // microseconds

    // What the bus asks, each through the handlers of the buttons and sliders that do it.
    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void seek(qlonglong offset);
    void setPosition(const QDBusObjectPath& track, qlonglong position);
    void setVolume(double volume);
    void openUri(const QString& uri);
    void raise();
    void quit();

    // Compares the player with what the bus saw last and sends the changes.
    void refresh();

Q_SIGNALS:
    void seeked(qlonglong position); // the Player interface's Seeked signal

private:
    struct Track {
        std::uint32_t channel = 0;
        QString file;
        bool operator==(const Track&) const = default;
    };
    Track currentTrack() const;
    QDBusObjectPath trackId() const;
    qlonglong lengthMicroseconds() const;
    void seekToMicroseconds(qlonglong position);
    // Runs a request from the bus inside the player's error guard, then sends what it changed.
    template <typename Handler>
    void request(Handler&& handler);

    TForm1& player_;
    QDBusConnection bus_;
    QString serviceName_;
    bool registered_ = false;
    QTimer poll_;
    QElapsedTimer sincePoll_;

    // What the bus saw last.
    QString sentStatus_;
    QVariantMap sentMetadata_;
    double sentVolume_ = -1;
    qlonglong sentPosition_ = 0;
    Track track_;
    quint64 trackNumber_ = 0; // a new number for each track loaded, so a replayed file is a new track
    QVariantMap trackMetadata_;
};

} // namespace orvu
