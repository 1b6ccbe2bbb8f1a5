// Purpose: the playlist file format: one path per line, CR LF after every line, no header.
#include "core/playlist_file.h"

#include "core/atomic_file.h"
#include "core/path_bytes.h"
#include "core/player_error.h"

namespace orvu {

QStringList parsePlaylist(const QByteArray& text) {
    const qsizetype nul = text.indexOf('\0');
    const qsizetype end = nul < 0 ? text.size() : nul;
    QStringList paths;
    qsizetype start = 0;
    while (start < end) {
        qsizetype stop = start;
        while (stop < end && text[stop] != '\r' && text[stop] != '\n')
            ++stop;
        paths.append(pathFromBytes(QByteArrayView(text).sliced(start, stop - start)));
        if (stop < end && text[stop] == '\r' && stop + 1 < end && text[stop + 1] == '\n')
            ++stop;
        start = stop + 1;
    }
    return paths;
}

QByteArray serializePlaylist(const QStringList& paths) {
    QByteArray text;
    for (const QString& path : paths)
        text += pathToBytes(path) + "\r\n";
    return text;
}

QStringList readPlaylistFile(const QString& fileName) {
    const FileReadResult file = readRegularFile(fileName);
    if (file.error != 0)
        throw PlayerError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.reason));
    return parsePlaylist(file.data);
}

void writePlaylistFile(const QString& fileName, const QStringList& paths) {
    const QString reason = writeFileAtomically(fileName, serializePlaylist(paths));
    if (!reason.isEmpty())
        throw PlayerError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason));
}

} // namespace orvu
