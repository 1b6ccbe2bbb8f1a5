// Purpose: helpers for the playlist's tests: reading both lists, filling them and running handlers
// inside the guard as the window's connections do.
#pragma once

#include "core/display_name.h"
#include "shell/error_box.h"
#include "shell/main_window.h"
#include "skin/list_box.h"
#include "support/player_fixture.h"
#include "support/signal.h"

#include <QFile>
#include <QStringList>

#include <fstream>
#include <iterator>

#include <unistd.h>

namespace orvu::test {

inline QStringList names(const ListBox* list) {
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result.append(list->itemText(i));
    return result;
}

// "ABC" becomes the entries /m/A.mp3, /m/B.mp3, /m/C.mp3.
inline QString letterPath(QChar letter) {
    return QStringLiteral("/m/") + letter + QStringLiteral(".mp3");
}

inline void fillLetters(TForm1& window, const QString& letters, int selected) {
    for (const QChar letter : letters)
        window.AddPlaylistEntry(letterPath(letter));
    window.lst1->setItemIndex(selected);
}

// The entries as letters, read from the path list; every name must be its path's display name.
inline QString lettersOf(const TForm1& window) {
    QString letters;
    for (const QString& path : window.playlist.paths())
        letters += path.mid(3, 1);
    return letters;
}

// Every name equals the display name of the path at the same index, and the counts agree.
inline bool listsAligned(const TForm1& window) {
    if (window.lst1->count() != window.playlist.count())
        return false;
    for (int i = 0; i < window.lst1->count(); ++i)
        if (window.lst1->itemText(i) != displayName(window.playlist.paths().at(i)))
            return false;
    return true;
}

// Runs a handler as its button or menu item does: an error ends it in the error box.
inline void runHandler(TForm1& window, void (TForm1::*handler)()) {
    runGuarded([&] { (window.*handler)(); });
}

// The channel is playing; a channel still waiting for its first decoded frames (stalled) counts too.
inline bool isPlaying(TForm1& window) {
    const auto active = window.Bass.channelIsActive(window.session.Channel);
    return active == engine::kActivePlaying || active == engine::kActiveStalled;
}

// A copy of a build-time audio fixture in dir, under a name of the test's choosing.
inline QString copyFixture(const PlayerFixture& player, const char* fixture, const QString& name) {
    const QString target = player.appFile(name);
    QFile::copy(QString::fromStdString(fixturePath(fixture)), target);
    return target;
}

// Files named by their bytes, for names that are not UTF-8 (QFile turns those into U+FFFD).
inline void writeBytesAt(const QByteArray& path, const QByteArray& data) {
    std::ofstream(path.toStdString(), std::ios::binary).write(data.constData(), data.size());
}
inline QByteArray readBytesAt(const QByteArray& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return QByteArray::fromStdString(data);
}
inline bool existsAt(const QByteArray& path) {
    return ::access(path.constData(), F_OK) == 0;
}

// A copy of the WAV fixture under a name given as bytes, inside the player's directory.
inline QByteArray wavFixtureAt(const PlayerFixture& player, const QByteArray& name) {
    const QByteArray path = player.dir.path().toUtf8() + '/' + name;
    writeBytesAt(path, readBytes(QString::fromStdString(fixturePath("sine1k.wav"))));
    return path;
}

} // namespace orvu::test
