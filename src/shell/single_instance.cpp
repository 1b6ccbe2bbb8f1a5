// Purpose: one player per user: a later start hands its files to the running player over a local
// socket, and the running player takes them as files dropped on its playlist.
//
// The message is a QDataStream of the file names' own bytes (a name need not be UTF-8); the player
// answers one byte once it has read them all, so the later start exits only when nothing can be lost.
#include "shell/single_instance.h"

#include "core/path_bytes.h"

#include <QByteArrayList>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>

#include <unistd.h>

namespace orvu {
namespace {

constexpr char acknowledgement = '\x06';
constexpr quint32 messageMagic = 0x4f525655; // "ORVU"

QString absoluteName(const QString& file) {
    if (file.startsWith(u'/'))
        return file;
    QByteArray directory(4096, '\0');
    if (::getcwd(directory.data(), static_cast<std::size_t>(directory.size())) == nullptr)
        return file;
    directory.truncate(static_cast<qsizetype>(qstrlen(directory.constData())));
    return pathFromBytes(directory) + u'/' + file;
}

} // namespace

QString SingleInstance::socketPathFor(const QString& settingsDir) {
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(pathToBytes(settingsDir), QCryptographicHash::Sha256).toHex().left(16));
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QFile::decodeName(runtime)).exists())
        return QFile::decodeName(runtime) + QStringLiteral("/orvu-%1.socket").arg(key);
    return QDir::tempPath() + QStringLiteral("/orvu-%1-%2.socket").arg(::getuid()).arg(key);
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent)
    , socketPath_(std::move(socketPath)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::HandOver SingleInstance::handOver(const QStringList& files, int timeoutMilliseconds) const {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(timeoutMilliseconds))
        return HandOver::NoPlayer;
    QByteArrayList names;
    for (const QString& file : files)
        names.append(pathToBytes(absoluteName(file)));
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << messageMagic << names;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMilliseconds))
        return HandOver::Failed;
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(timeoutMilliseconds))
            return HandOver::Failed;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == acknowledgement ? HandOver::Delivered : HandOver::Failed;
}

bool SingleInstance::listen() {
    // The path may be taken: by a player that answers (it started meanwhile), or by the socket of one
    // that died without removing it, which refuses every connection. Qt would replace either (it makes
    // a socket of restricted access elsewhere and renames it into place), so this asks first.
    if (QFileInfo::exists(socketPath_)) {
        QLocalSocket probe;
        probe.connectToServer(socketPath_);
        if (probe.waitForConnected(1000))
            return false;
        QLocalServer::removeServer(socketPath_);
    }
    return server_.listen(socketPath_);
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto read = [this, socket] {
            QDataStream stream(socket);
            stream.startTransaction();
            quint32 magic = 0;
            QByteArrayList names;
            stream >> magic >> names;
            if (!stream.commitTransaction())
                return; // the rest of the message is still on its way
            if (magic != messageMagic) {
                socket->abort();
                return;
            }
            socket->putChar(acknowledgement);
            socket->flush();
            QStringList files;
            for (const QByteArray& name : names)
                files.append(pathFromBytes(name));
            Q_EMIT filesReceived(files);
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        if (socket->bytesAvailable() > 0)
            read();
    }
}

} // namespace orvu
