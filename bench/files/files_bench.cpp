// Purpose: benchmark of the settings and playlist readers on large files: the start-up reads of every
// settings key, the close step's write of them, and a playlist load; prints times and peak memory,
// one "name value" pair per line.
#include "core/player_error.h"
#include "core/playlist_file.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The process's peak resident memory in KiB, from /proc/self/status.
long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// An INI file of about `bytes` bytes: unknown sections full of short entries first, the player's own
// keys last, so every look-up crosses the whole file.
QByteArray bigIni(qsizetype bytes) {
    QByteArray text;
    text.reserve(bytes + 4096);
    for (int section = 0; text.size() < bytes; ++section) {
        text += "[Other" + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 100 && text.size() < bytes; ++key)
            text += "Key" + QByteArray::number(key) + "=value " + QByteArray::number(key) + "\r\n";
    }
    for (const orvu::SettingKey& key : orvu::settingsTable)
        text += QByteArray("[") + key.section + "]\r\n" + key.key + "=1\r\n";
    return text;
}

// A playlist of `count` paths shaped like a music collection.
QByteArray bigPlaylist(int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "/home/listener/Music/Artist " + QByteArray::number(i / 100) + "/Album " +
                QByteArray::number(i / 10 % 10) + "/Title of track " + QByteArray::number(i) + ".mp3\r\n";
    return text;
}

int usage() {
    std::fputs("files_bench make-ini FILE BYTES | make-playlist FILE ENTRIES | make-blank FILE BYTES\n"
               "files_bench settings FILE | playlist FILE\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return usage();
    const QString& command = args[1];
    const QString& path = args[2];
    if (command.startsWith(QStringLiteral("make-"))) {
        if (args.size() < 4)
            return usage();
        const qsizetype amount = args[3].toLongLong();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        if (command == QStringLiteral("make-ini"))
            file.write(bigIni(amount));
        else if (command == QStringLiteral("make-playlist"))
            file.write(bigPlaylist(static_cast<int>(amount)));
        else
            file.write(QByteArray(amount, '\n'));
        return 0;
    }
    QElapsedTimer timer;
    if (command == QStringLiteral("settings")) {
        orvu::SettingsFile settings(path);
        timer.start();
        std::vector<orvu::SettingValue> values;
        for (std::size_t i = 0; i < orvu::settingCount; ++i) {
            const auto setting = static_cast<orvu::Setting>(i);
            values.push_back(orvu::textSettingValue(setting, orvu::readTextSetting(settings, setting)));
        }
        std::printf("read_all_keys_ms %lld\n", static_cast<long long>(timer.elapsed()));
        timer.restart();
        bool written = true;
        try {
            settings.writeValues(values);
        } catch (const orvu::PlayerError&) {
            written = false;
        }
        std::printf("write_all_keys_ms %lld\nwritten %d\n", static_cast<long long>(timer.elapsed()),
                    written ? 1 : 0);
    } else if (command == QStringLiteral("playlist")) {
        timer.start();
        qsizetype entries = -1;
        try {
            entries = orvu::readPlaylistFile(path).size();
        } catch (const orvu::PlayerError&) {
        }
        std::printf("load_ms %lld\nentries %lld\n", static_cast<long long>(timer.elapsed()),
                    static_cast<long long>(entries));
    } else {
        return usage();
    }
    std::printf("peak_kib %ld\n", peakKiB());
    return 0;
}
