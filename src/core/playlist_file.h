// Purpose: the playlist file format: one path per line, CR LF after every line, no header.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orvu {

// Splits the text at CR, LF or CR LF. An empty line is an empty entry, a last line without a line
// break is still an entry, nothing is trimmed, and the text ends at its first NUL byte. Each line is a
// path's bytes, kept as pathFromBytes keeps them, so a name that is not UTF-8 still opens.
QStringList parsePlaylist(const QByteArray& text);

// Every path's bytes followed by CR LF; no paths give no bytes. A path read by parsePlaylist is
// written back byte for byte.
QByteArray serializePlaylist(const QStringList& paths);

// The largest playlist file read, in bytes and in entries: ten times a 100,000-track collection, which
// bounds the memory a read takes (a file of empty lines would otherwise cost 24 bytes a byte).
constexpr qsizetype maxPlaylistFileSize = qsizetype{64} << 20;
constexpr qsizetype maxPlaylistEntries = 1'000'000;

// Reads a playlist file. Raises PlayerError "Cannot open file "<name>". <reason>"; special files
// (FIFOs, devices, directories) are refused without blocking, and a file beyond either limit above
// is refused as "File too large" without being read whole.
QStringList readPlaylistFile(const QString& fileName);

// Replaces a playlist file atomically. Raises PlayerError "Cannot create file "<name>". <reason>"
// and leaves the old file as it was.
void writePlaylistFile(const QString& fileName, const QStringList& paths);

} // namespace orvu
