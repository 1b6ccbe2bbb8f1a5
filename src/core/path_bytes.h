// Purpose: file paths as the bytes the system gave, carried losslessly in a QString.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

class QUrl;

namespace orvu {

// A path on Linux is any string of bytes, most often but not always UTF-8. A path's QString holds its
// valid UTF-8 decoded as usual and each byte of an invalid sequence (always 0x80-0xFF) as the lone
// low surrogate U+DC00 + byte (U+DC80-U+DCFF), so every byte string maps to a distinct QString and
// back; a valid path's QString is its ordinary decoding. QFile, QFileInfo and QFile::encodeName turn those
// surrogates into U+FFFD and cannot reach such a file: whatever opens, lists or removes a path takes its
// bytes from pathToBytes.
QString pathFromBytes(QByteArrayView bytes);

// The bytes of a path made by pathFromBytes, byte for byte. Other lone surrogates, which no system
// path decodes to, become U+FFFD's UTF-8.
QByteArray pathToBytes(QStringView path);

// The path for people to read: each byte that is not UTF-8 shows as U+FFFD. Never use it as a path.
QString pathForDisplay(QStringView path);

// The local file a URL names ("file:///a/caf%E9.mp3"), its percent-escapes taken as the path's bytes
// (QUrl::toLocalFile reads them as UTF-8 and loses the others). Empty for a URL that is not a local
// file.
QString pathFromUrl(const QUrl& url);

// The player's files from its command line: every argument after the program's name, the first "--"
// excepted (it ends options, and the player has none of its own; Qt's options come from the
// environment, QT_QPA_PLATFORM and the like).
QStringList commandLineFiles(int argc, const char* const* argv);

// Whether the path names a regular file, following symbolic links.
bool isRegularFile(QStringView path);

// Removes the file; false when it could not be removed.
bool removeFile(QStringView path);

// Copies the regular file source to target with the source's permission bits (less the umask). An
// existing target is never replaced; a failed copy leaves no target behind. False on any failure.
bool copyFile(QStringView source, QStringView target);

} // namespace orvu
