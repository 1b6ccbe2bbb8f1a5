// Purpose: one player per user: a later start hands its files to the running player over a local
// socket, and the running player takes them as files dropped on its playlist.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

namespace orvu {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class HandOver {
        Delivered, // the running player has the files
        NoPlayer,  // nobody listens: this process becomes the player
        Failed,    // a player answered the connection but never confirmed the files
    };

    // One player per settings directory: the players that would share ORVU.ini and Default.orvl. An
    // installed player has one per user; each portable copy is a player of its own. The socket lies in
    // $XDG_RUNTIME_DIR (a directory only its user can enter), or in the temporary directory with the
    // user's id in its name where the session has no runtime directory.
    static QString socketPathFor(const QString& settingsDir);

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Sends the files (relative names made absolute against this process's directory, which the
    // running player does not share) to a player listening on the socket.
    HandOver handOver(const QStringList& files, int timeoutMilliseconds = 5000) const;
    // Starts listening for later starts. A socket left by a player that crashed answers no connection
    // and is replaced; false when another player listens there or the socket cannot be made.
    bool listen();
    bool isListening() const { return server_.isListening(); }

Q_SIGNALS:
    // A later start's files (maybe none: it only asked for the player), in its order.
    void filesReceived(const QStringList& files);

private:
    void accept();

    QString socketPath_;
    QLocalServer server_;
};

} // namespace orvu
