// Purpose: the name a path shows in the playlist and the status line.
#include "core/display_name.h"

#include "core/path_bytes.h"

namespace orvu {

QString displayName(QStringView path) {
    return pathForDisplay(path.mid(path.lastIndexOf(u'/') + 1));
}

QString currentName(QStringView displayName) {
    constexpr qsizetype maxLength = 50;
    if (displayName.size() <= maxLength)
        return displayName.toString();
    qsizetype cut = maxLength;
    if (displayName[cut - 1].isHighSurrogate()) // never split a character in two
        --cut;
    return displayName.left(cut).toString() + QStringLiteral("... ");
}

} // namespace orvu
