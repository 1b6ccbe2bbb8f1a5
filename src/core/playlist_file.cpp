// Purpose: the playlist file format: one path per line, CR LF after every line, no header.
#include "core/playlist_file.h"

#include "core/atomic_file.h"
#include "core/path_bytes.h"
#include "core/player_error.h"

#include <sys/stat.h>

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

namespace {

// The number of entries parsePlaylist finds in the text, counted without building them.
qsizetype entryCount(QByteArrayView text) {
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++count;
    }
    const char last = text.isEmpty() ? '\n' : text.back();
    return count + (last != '\n' && last != '\r' ? 1 : 0);
}

} // namespace

QStringList readPlaylistFile(const QString& fileName) {
    const auto cannotOpen = [&fileName](const QString& reason) {
        return PlayerError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason));
    };
    const QString tooLarge = QStringLiteral("File too large");
    // The size is looked at before reading, so a huge (or sparse) file is never loaded into memory.
    struct stat status {};
    if (::stat(pathToBytes(fileName).constData(), &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size > maxPlaylistFileSize)
        throw cannotOpen(tooLarge);
    const FileReadResult file = readRegularFile(fileName);
    if (file.error != 0)
        throw cannotOpen(file.reason);
    if (file.data.size() > maxPlaylistFileSize || entryCount(file.data) > maxPlaylistEntries)
        throw cannotOpen(tooLarge);
    return parsePlaylist(file.data);
}

void writePlaylistFile(const QString& fileName, const QStringList& paths) {
    const QString reason = writeFileAtomically(fileName, serializePlaylist(paths));
    if (!reason.isEmpty())
        throw PlayerError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason));
}

} // namespace orvu
