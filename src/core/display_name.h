// Purpose: the name a path shows in the playlist and the status line.
#pragma once

#include <QString>
#include <QStringView>

namespace orvu {

// The name shown for a path: the text after its last '/', the whole path when it has none. A byte of
// the name that is not UTF-8 shows as U+FFFD (the path itself keeps it).
QString displayName(QStringView path);

// The status line's name of the current track: names longer than 50 characters are cut to their
// first 50 characters followed by "... ".
QString currentName(QStringView displayName);

} // namespace orvu
