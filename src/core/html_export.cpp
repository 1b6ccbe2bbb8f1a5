// Purpose: the lines of the playlist's HTML export and the time of day it carries.
#include "core/html_export.h"

#include "core/path_bytes.h"

namespace orvu {

QString longTimeText(const QTime& time, const QLocale& locale) {
    // Qt's long time formats end with the time zone ("t", "tttt"), which a time of day does not show:
    // drop every unquoted 't' run and the blanks around it.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        kept.append(c);
    }
    return locale.toString(time, kept.simplified());
}

QStringList htmlPlaylistLines(const QStringList& names, const QString& timeText) {
    QStringList lines;
    lines.reserve(names.size() + 4);
    lines.append(QStringLiteral("<H1>ORVU Playlist</H1>"));
    lines.append(QStringLiteral("<H2>[ ") + timeText + QStringLiteral(" ]</H2>"));
    lines.append(QStringLiteral("<OL>"));
    for (const QString& name : names)
        lines.append(QStringLiteral("<LI>") + pathForDisplay(name).toHtmlEscaped() + QStringLiteral("</LI>"));
    lines.append(QStringLiteral("</OL>"));
    return lines;
}

QByteArray htmlDocument(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLocal8Bit() + "\r\n";
    return bytes;
}

} // namespace orvu
