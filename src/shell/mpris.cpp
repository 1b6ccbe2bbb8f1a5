// Purpose: the player on the desktop's media bus (MPRIS over D-Bus): media keys, desktop widgets and
// command-line controllers play, pause, seek and set the volume through the player's own handlers, and
// see what plays.
#include "shell/mpris.h"

#include "core/display_name.h"
#include "core/path_bytes.h"
#include "engine/engine.h"
#include "shell/error_box.h"
#include "shell/main_window.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QUrl>

#include <cmath>
#include <unistd.h>

namespace orvu {
namespace {

constexpr int pollMilliseconds = 250;
// A position further than this from where playing on would have taken it was moved: a seek.
constexpr qlonglong jumpMicroseconds = 1'500'000;
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString noTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

// The types the add-files filter offers, as a file manager names them.
QStringList supportedMimeTypes() {
    return {
        QStringLiteral("audio/mpeg"),        QStringLiteral("audio/mp2"),
        QStringLiteral("audio/ogg"),         QStringLiteral("audio/x-vorbis+ogg"),
        QStringLiteral("audio/x-opus+ogg"),  QStringLiteral("audio/x-flac+ogg"),
        QStringLiteral("audio/x-speex+ogg"), QStringLiteral("audio/x-speex"),
        QStringLiteral("audio/x-wav"),       QStringLiteral("audio/x-aiff"),
        QStringLiteral("audio/x-aifc"),      QStringLiteral("audio/mp4"),
        QStringLiteral("audio/x-m4b"),       QStringLiteral("audio/x-m4r"),
        QStringLiteral("audio/aac"),         QStringLiteral("audio/flac"),
        QStringLiteral("audio/midi"),        QStringLiteral("audio/x-ape"),
        QStringLiteral("audio/x-musepack"),  QStringLiteral("audio/x-tta"),
        QStringLiteral("audio/x-ms-wma"),    QStringLiteral("audio/x-wavpack"),
        QStringLiteral("audio/ac3"),         QStringLiteral("audio/x-mo3"),
        QStringLiteral("audio/x-xm"),        QStringLiteral("audio/x-mod"),
        QStringLiteral("audio/x-s3m"),       QStringLiteral("audio/x-it"),
        QStringLiteral("video/mp4"),         QStringLiteral("video/3gpp"),
        QStringLiteral("video/x-ms-wmv"),
    };
}

// A file URL of the name's own bytes, so a name that is not UTF-8 survives.
QString fileUrl(const QString& path) {
    return QStringLiteral("file://") + QString::fromLatin1(pathToBytes(path).toPercentEncoding("/"));
}

} // namespace

// org.mpris.MediaPlayer2: the application itself.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

public:
    MprisRootAdaptor(QObject* object, MprisService& service)
        : QDBusAbstractAdaptor(object)
        , service_(service) {}
    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("ORVU"); }
    QString desktopEntry() const { return QStringLiteral("orvu"); }
    QStringList supportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList supportedMimeTypes() const { return orvu::supportedMimeTypes(); }

public Q_SLOTS:
    void Raise() { service_.raise(); }
    void Quit() { service_.quit(); }

private:
    MprisService& service_;
};

// org.mpris.MediaPlayer2.Player: the transport, the volume and what plays.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canControl)
    Q_PROPERTY(bool CanGoPrevious READ canControl)
    Q_PROPERTY(bool CanPlay READ canControl)
    Q_PROPERTY(bool CanPause READ canControl)
    Q_PROPERTY(bool CanSeek READ canControl)
    Q_PROPERTY(bool CanControl READ canControl)

public:
    MprisPlayerAdaptor(QObject* object, MprisService& service)
        : QDBusAbstractAdaptor(object)
        , service_(service) {
        connect(&service, &MprisService::seeked, this, &MprisPlayerAdaptor::Seeked);
    }
    QString playbackStatus() const { return service_.playbackStatus(); }
    double rate() const { return 1.0; } // the player has no playback rate of its own to offer
    void setRate(double) {}
    QVariantMap metadata() const { return service_.metadata(); }
    double volume() const { return service_.volume(); }
    void setVolume(double volume) { service_.setVolume(volume); }
    qlonglong position() const { return service_.position(); }
    bool canControl() const { return true; }

public Q_SLOTS:
    void Next() { service_.next(); }
    void Previous() { service_.previous(); }
    void Pause() { service_.pause(); }
    void PlayPause() { service_.playPause(); }
    void Stop() { service_.stop(); }
    void Play() { service_.play(); }
    void Seek(qlonglong offset) { service_.seek(offset); }
    void SetPosition(const QDBusObjectPath& track, qlonglong position) {
        service_.setPosition(track, position);
    }
    void OpenUri(const QString& uri) { service_.openUri(uri); }

Q_SIGNALS:
    void Seeked(qlonglong position);

private:
    MprisService& service_;
};

MprisService::MprisService(TForm1& player, QDBusConnection bus)
    : player_(player)
    , bus_(std::move(bus)) {
    if (!bus_.isConnected())
        return;
    new MprisRootAdaptor(this, *this);
    new MprisPlayerAdaptor(this, *this);
    if (!bus_.registerObject(QString::fromLatin1(objectPath), this, QDBusConnection::ExportAdaptors))
        return;
    serviceName_ = QString::fromLatin1(baseServiceName);
    if (!bus_.registerService(serviceName_)) {
        serviceName_ += QStringLiteral(".instance%1").arg(::getpid());
        if (!bus_.registerService(serviceName_)) {
            bus_.unregisterObject(QString::fromLatin1(objectPath));
            serviceName_.clear();
            return;
        }
    }
    registered_ = true;
    sentStatus_ = playbackStatus();
    sentMetadata_ = metadata();
    sentVolume_ = volume();
    sentPosition_ = position();
    sincePoll_.start();
    poll_.setInterval(pollMilliseconds);
    connect(&poll_, &QTimer::timeout, this, &MprisService::refresh);
    poll_.start();
}

MprisService::~MprisService() {
    if (!registered_)
        return;
    bus_.unregisterService(serviceName_);
    bus_.unregisterObject(QString::fromLatin1(objectPath));
}

QString MprisService::playbackStatus() const {
    switch (player_.Bass.channelIsActive(player_.session.Channel)) {
    case engine::kActivePlaying:
    case engine::kActiveStalled: // waiting for data, still playing as far as the user is concerned
        return QStringLiteral("Playing");
    case engine::kActivePaused:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

MprisService::Track MprisService::currentTrack() const {
    const engine::Handle channel = player_.session.Channel;
    // A channel that is gone (a failed load released it) is no track, whatever handle it kept.
    if (player_.state.CurrentFile.isEmpty() || player_.Bass.channelGetLength(channel, engine::kPosByte) < 0)
        return {};
    return {channel, player_.state.CurrentFile};
}

qlonglong MprisService::lengthMicroseconds() const {
    const engine::Handle channel = player_.session.Channel;
    const std::int64_t bytes = player_.Bass.channelGetLength(channel, engine::kPosByte);
    if (bytes < 0)
        return 0;
    return std::llround(player_.Bass.channelBytes2Seconds(channel, bytes) * 1e6);
}

QDBusObjectPath MprisService::trackId() const {
    if (track_ == Track{})
        return QDBusObjectPath(noTrack);
    return QDBusObjectPath(QStringLiteral("/org/orvu/track/%1").arg(trackNumber_));
}

QVariantMap MprisService::metadata() {
    const Track track = currentTrack();
    if (track == track_ && !trackMetadata_.isEmpty())
        return trackMetadata_;
    // The tags are read once per track: a new channel or a new file is a new track.
    track_ = track;
    trackMetadata_.clear();
    if (track == Track{}) {
        trackMetadata_.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId()));
        return trackMetadata_;
    }
    ++trackNumber_;
    const auto tag = [this](const char* format) {
        return QString::fromStdString(player_.Bass.tagsRead(player_.session.Channel, format)).trimmed();
    };
    const QString title = tag("%TITL");
    const QString artist = tag("%ARTI");
    const QString album = tag("%ALBM");
    trackMetadata_.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId()));
    trackMetadata_.insert(QStringLiteral("mpris:length"), lengthMicroseconds());
    trackMetadata_.insert(QStringLiteral("xesam:url"), fileUrl(track.file));
    // Without a title tag the file's own name is what the player shows, and what a widget should.
    trackMetadata_.insert(QStringLiteral("xesam:title"), title.isEmpty() ? displayName(track.file) : title);
    if (!artist.isEmpty())
        trackMetadata_.insert(QStringLiteral("xesam:artist"), QStringList{artist});
    if (!album.isEmpty())
        trackMetadata_.insert(QStringLiteral("xesam:album"), album);
    return trackMetadata_;
}

double MprisService::volume() const {
    return player_.scrlbr2->position() / 100.0;
}

qlonglong MprisService::position() const {
    const engine::Handle channel = player_.session.Channel;
    const std::int64_t bytes = player_.Bass.channelGetPosition(channel, engine::kPosByte);
    if (bytes < 0)
        return 0;
    return std::llround(player_.Bass.channelBytes2Seconds(channel, bytes) * 1e6);
}

template <typename Handler>
void MprisService::request(Handler&& handler) {
    if (player_.closed())
        return;
    runGuarded(std::forward<Handler>(handler));
    refresh();
}

// Play and Pause change nothing in the state they ask for: the play button would restart a playing
// track from its start, and the pause button would resume a paused one.
void MprisService::play() {
    request([this] {
        if (playbackStatus() != u"Playing")
            player_.btn1Click();
    });
}

void MprisService::pause() {
    request([this] {
        if (playbackStatus() == u"Playing")
            player_.btn2Click();
    });
}

void MprisService::playPause() {
    request([this] {
        if (playbackStatus() == u"Playing")
            player_.btn2Click();
        else
            player_.btn1Click();
    });
}

void MprisService::stop() {
    request([this] { player_.btn3Click(); });
}

void MprisService::next() {
    request([this] { player_.btn9Click(); });
}

void MprisService::previous() {
    request([this] { player_.btn8Click(); });
}

// The seek bar's own step: moved to the target second, then let go.
void MprisService::seekToMicroseconds(qlonglong position) {
    player_.scrlbr1->setPosition(static_cast<int>(std::llround(static_cast<double>(position) / 1e6)));
    player_.scrlbr1Scroll(ScrollBar::EndScroll);
    sentPosition_ = this->position();
    sincePoll_.restart();
    Q_EMIT seeked(sentPosition_);
}

void MprisService::seek(qlonglong offset) {
    request([this, offset] {
        if (currentTrack() == Track{})
            return;
        const qlonglong target = std::max<qlonglong>(0, position() + offset);
        // Past the end is the next track, as the interface asks of a seek.
        if (target > lengthMicroseconds())
            player_.btn9Click();
        else
            seekToMicroseconds(target);
    });
}

void MprisService::setPosition(const QDBusObjectPath& track, qlonglong position) {
    request([&] {
        metadata(); // the track id is that of the track playing now
        if (track_ == Track{} || track != trackId() || position < 0 || position > lengthMicroseconds())
            return;
        seekToMicroseconds(position);
    });
}

void MprisService::setVolume(double volume) {
    request([this, volume] {
        const double clamped = std::isfinite(volume) ? std::clamp(volume, 0.0, 1.0) : 0.0;
        player_.scrlbr2->setPosition(static_cast<int>(std::lround(clamped * 100)));
    });
}

// A file opened from the bus is a file dropped on the playlist.
void MprisService::openUri(const QString& uri) {
    const QUrl url(uri);
    if (!url.isLocalFile())
        return;
    request([&] { player_.WMDropFiles({pathFromUrl(url)}); });
}

void MprisService::raise() {
    request([this] {
        player_.setWindowState(player_.windowState() & ~Qt::WindowMinimized);
        player_.show();
        player_.raise();
        player_.activateWindow();
    });
}

void MprisService::quit() {
    request([this] { player_.close(); });
}

void MprisService::refresh() {
    if (!registered_)
        return;
    QVariantMap changed;
    const QString status = playbackStatus();
    if (status != sentStatus_)
        changed.insert(QStringLiteral("PlaybackStatus"), sentStatus_ = status);
    const QVariantMap data = metadata();
    const bool newTrack = data != sentMetadata_;
    if (newTrack)
        changed.insert(QStringLiteral("Metadata"), sentMetadata_ = data);
    const double level = volume();
    if (level != sentVolume_)
        changed.insert(QStringLiteral("Volume"), sentVolume_ = level);
    if (!changed.isEmpty()) {
        QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(objectPath),
                                                         QStringLiteral("org.freedesktop.DBus.Properties"),
                                                         QStringLiteral("PropertiesChanged"));
        signal << playerInterface << changed << QStringList();
        bus_.send(signal);
    }

    // Position is not announced as it changes (it changes all the time); a jump within a track is,
    // as Seeked. Playing moves it on by the time since the last look.
    const qlonglong now = position();
    const qlonglong elapsed = sincePoll_.restart() * 1000;
    const qlonglong expected = sentPosition_ + (status == u"Playing" ? elapsed : 0);
    sentPosition_ = now;
    if (!newTrack && std::abs(now - expected) > jumpMicroseconds)
        Q_EMIT seeked(now);
}

} // namespace orvu

#include "mpris.moc"
