// Purpose: benchmark of a large playlist: writing an N-entry playlist file, loading it into the main
// window's two lists, showing the list, and writing it back as the close step does; prints times and
// peak memory, one "name value" pair per line.
#include "core/playlist_file.h"
#include "engine/engine.h"
#include "shell/main_window.h"
#include "skin/list_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// The process's resident and peak resident memory in KiB, from /proc/self/status.
long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return -1;
}

// Paths shaped like a music collection: artist and album folders, numbered titles.
QStringList collectionPaths(int count) {
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i)
        paths.append(QStringLiteral("/home/listener/Music/Artist %1/Album %2/%3 - Title of track %4.mp3")
                         .arg(i / 100)
                         .arg(i / 10 % 10)
                         .arg(i % 10 + 1, 2, 10, QLatin1Char('0'))
                         .arg(i));
    return paths;
}

} // namespace

int main(int argc, char** argv) {
    // playlist_bench write <file.m3u|file.orvl> <count> : writes the paths only (for the peer too)
    // playlist_bench load <file.orvl>                  : our measurement
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == QStringLiteral("write")) {
        const QStringList paths = collectionPaths(args[3].toInt());
        QFile file(args[2]);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(orvu::serializePlaylist(paths));
        return 0;
    }
    if (args.size() < 3 || args[1] != QStringLiteral("load")) {
        std::fprintf(stderr, "usage: playlist_bench write <file> <count> | load <file.orvl>\n");
        return 2;
    }

    const long rssBefore = statusKiB("VmRSS");
    QTemporaryDir appDir;
    orvu::engine::Engine engine;
    orvu::TForm1 window(engine, orvu::StartupContext{appDir.path() + QLatin1Char('/'), {}});
    window.show();
    QApplication::processEvents();
    const long rssWindow = statusKiB("VmRSS");

    QElapsedTimer timer;
    timer.start();
    window.ReadPlaylistFile(args[2]);
    const double loadMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    // The list is usable once the event loop has run and the list has painted with its new items.
    timer.restart();
    window.lst1->setItemIndex(window.lst1->count() / 2);
    window.lst1->scrollTo(window.lst1->currentIndex());
    window.lst1->repaint();
    QApplication::processEvents();
    const double showMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    // One event-loop turn after the load: how long a queued event waits (responsiveness).
    timer.restart();
    bool ran = false;
    QTimer::singleShot(0, &app, [&] { ran = true; });
    while (!ran)
        QApplication::processEvents();
    const double turnMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    timer.restart();
    window.WritePlaylistFile(appDir.filePath(QStringLiteral("Default.orvl")));
    const double writeMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    std::printf("entries %lld\n", static_cast<long long>(window.playlist.count()));
    std::printf("load_ms %.1f\n", loadMs);
    std::printf("show_ms %.1f\n", showMs);
    std::printf("event_turn_ms %.2f\n", turnMs);
    std::printf("write_ms %.1f\n", writeMs);
    std::printf("rss_window_kib %ld\n", rssWindow - rssBefore);
    std::printf("rss_before_load_kib %ld\n", rssWindow);
    std::printf("rss_after_kib %ld\n", statusKiB("VmRSS"));
    std::printf("peak_rss_kib %ld\n", statusKiB("VmHWM"));
    window.hide();
    return 0;
}
