// Purpose: whole-file reads that never block on special files, and writes that replace a file atomically.
#pragma once

#include <QByteArray>
#include <QString>

namespace orvu {

struct FileReadResult {
    QByteArray data;
    int error = 0;  // errno of the failure, 0 on success
    QString reason; // the system's words for the failure, empty on success
};

// Reads a regular file whole. FIFOs, devices and directories are refused without blocking.
FileReadResult readRegularFile(const QString& path);

// Replaces the file at path with data, or leaves it exactly as it was: the bytes go to a temporary
// file in the same directory, which is flushed to disk and then renamed over the old file. A file
// without write permission is refused like a read-only file. Returns the system's words for the
// failure, or an empty string on success.
QString writeFileAtomically(const QString& path, const QByteArray& data);

// A seam for tests of a full disk: while error is not 0, every writeFileAtomically writes half of its
// data to the temporary file, then fails as a write would with that errno (ENOSPC for a full disk).
// Returns the previous setting.
int failFileWritesWith(int error);

// Removes the temporary files that a write to path left behind when its process was killed midway:
// those named as writeFileAtomically names them, whose process no longer runs.
void removeStaleTemporaries(const QString& path);

} // namespace orvu
