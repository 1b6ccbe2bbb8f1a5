// Purpose: the lines of the playlist's HTML export and the time of day it carries.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>

namespace orvu {

// The time of day in the locale's long time format without its time-zone part ("14:07:09",
// "2:07:09 PM").
QString longTimeText(const QTime& time, const QLocale& locale = QLocale::system());

// The export's lines: the heading, "<H2>[ " time " ]</H2>", "<OL>", one "<LI>" name "</LI>" per
// entry and "</OL>". Names are HTML-escaped so every name reads in a browser exactly as it is stored;
// a byte of a file name that is not UTF-8 reads as U+FFFD.
QStringList htmlPlaylistLines(const QStringList& names, const QString& timeText);

// The file's bytes: every line in the locale's 8-bit encoding followed by CR LF.
QByteArray htmlDocument(const QStringList& lines);

} // namespace orvu
