#!/usr/bin/env bash
# End to end: the installed player. `cmake --install` into a temporary prefix; the desktop entry passes
# desktop-file-validate; the player starts from the prefix under the offscreen platform with a private
# session bus, keeps its settings in $XDG_CONFIG_HOME/orvu/ and finds its add-ons (a FLAC file plays)
# and presets (the genre auto-preset picks Rock); playerctl and dbus-send drive it; later starts hand it
# their files and exit; --new-instance starts a second player; a socket left by a killed player does
# not keep the next one from taking later starts' files.
set -euo pipefail
build=$1
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  [ -n "${bus:-}" ] && kill "$bus" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "desktop e2e: $*" >&2; exit 1; }

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
player="$prefix/bin/orvu"
for f in bin/orvu lib/orvu/plugins/bassflac.so share/orvu/presets/Rock.dat share/applications/orvu.desktop \
  share/icons/hicolor/scalable/apps/orvu.svg; do
  [ -e "$prefix/$f" ] || fail "the install has no $f"
done
desktop-file-validate "$prefix/share/applications/orvu.desktop" || fail "the desktop entry is not valid"

mkdir -p "$work/music" "$work/elsewhere" "$work/config" "$work/run"
chmod 700 "$work/run"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=20" \
  -ac 2 -metadata title="Rock Song" -metadata artist="The Band" -metadata album="First Record" \
  -metadata genre=Rock -c:a libmp3lame -b:a 128k "$work/music/rock.mp3"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i "sine=frequency=880:sample_rate=44100:duration=20" \
  -ac 2 -c:a flac "$work/music/tone.flac"

exec 3>"$work/bus-address"
dbus-daemon --session --nofork --print-address=3 >/dev/null 2>&1 &
bus=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/bus-address" ] && break; sleep 0.1; done
[ -s "$work/bus-address" ] || fail "no private session bus"
export DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$work/bus-address")"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0

name=org.mpris.MediaPlayer2.orvu
on_bus() { dbus-send --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.ListNames | grep -q "\"$1\""; }
wait_on_bus() { for _ in $(seq 200); do on_bus "$1" && return 0; sleep 0.1; done; return 1; }
ctl() { playerctl --player=orvu "$@"; }
wait_status() { for _ in $(seq 100); do [ "$(ctl status 2>/dev/null)" = "$1" ] && return 0; sleep 0.1; done; return 1; }
# start: the player started from another directory, in the background; its pid in $pid.
start() {
  (cd "$work/elsewhere" && exec "$player" "$@") &
  pid=$!
  pids+=("$pid")
}
quit() { # <bus name> <pid>
  dbus-send --print-reply --dest="$1" /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Quit >/dev/null
  wait "$2" || fail "the player did not exit cleanly after Quit"
}
# hand_over <files>...: a later start from the music directory; it must end by itself, successfully.
hand_over() {
  (cd "$work/music" && timeout 30 "$player" "$@") || fail "a later start with $* did not hand over and exit 0"
}

# The first start of the installed copy: nothing beside the executable, the settings directory made.
start
wait_on_bus "$name" || fail "the installed player did not appear on the session bus"
compgen -G "$work/run/orvu-*.socket" >/dev/null || fail "the player does not listen for later starts"
[ "$(ctl status)" = Stopped ] || fail "a fresh player is not stopped"

# A later start's file, by a relative name, is dropped on the empty playlist: it plays.
hand_over rock.mp3
wait_status Playing || fail "the handed-over file did not play"
[ "$(ctl metadata --format '{{artist}}|{{title}}|{{album}}|{{xesam:url}}')" = \
  "The Band|Rock Song|First Record|file://$work/music/rock.mp3" ] || fail "metadata: $(ctl metadata)"
# A second file is appended; Next plays it: a FLAC file plays only through its add-on in lib/orvu/.
hand_over tone.flac
ctl next
for _ in $(seq 50); do [ "$(ctl metadata xesam:title)" = tone.flac ] && break; sleep 0.1; done
[ "$(ctl metadata xesam:title)" = tone.flac ] || fail "Next did not reach the handed-over FLAC file"
length=$(ctl metadata mpris:length)
[ "$length" -gt 19000000 ] || fail "the FLAC file did not open through its add-on (length $length)"
ctl volume 0.4
ctl position 12
position=$(ctl position)
awk -v p="$position" 'BEGIN { exit !(p >= 11.5 && p < 14) }' || fail "position 12 gave $position"
ctl pause
wait_status Paused || fail "pause did not pause"

# --new-instance starts a second player beside the first, under a name of its own.
start --new-instance
second=$pid
wait_on_bus "$name.instance$second" || fail "--new-instance did not start a second player"
quit "$name.instance$second" "$second"

quit "$name" "${pids[0]}"
[ -f "$work/config/orvu/ORVU.ini" ] || fail "no settings in \$XDG_CONFIG_HOME/orvu"
grep -q $'^Level=40\r$' "$work/config/orvu/ORVU.ini" || fail "the volume set over the bus was not saved"
[ "$(tr -d '\r' <"$work/config/orvu/Default.orvl")" = "$work/music/rock.mp3"$'\n'"$work/music/tone.flac" ] ||
  fail "the default playlist does not hold the two handed-over files"
[ "$(ls "$prefix/bin")" = orvu ] || fail "the installed player wrote beside its executable: $(ls "$prefix/bin")"
! compgen -G "$work/run/orvu-*.socket" >/dev/null || fail "the player left its socket behind"

# A player killed outright leaves its socket; the next one takes over the socket, and later starts
# reach it. With the genre auto-preset on, playing the Rock-tagged file loads Rock.dat from share/orvu/.
sed -i 's/^Autoeq=0/Autoeq=1/' "$work/config/orvu/ORVU.ini"
start
wait_on_bus "$name" || fail "the player did not start"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
for _ in $(seq 100); do on_bus "$name" || break; sleep 0.1; done
compgen -G "$work/run/orvu-*.socket" >/dev/null || fail "a killed player left no socket to test with"
start
wait_on_bus "$name" || fail "a stale socket kept the player from starting"
hand_over "$work/music/rock.mp3"
ctl play
wait_status Playing || fail "play did not play"
quit "$name" "$pid"
[ "$(grep -c . "$work/config/orvu/Default.orvl")" = 3 ] || fail "the start after the crash did not reach the player"
grep -q $'^Preset=2\r$' "$work/config/orvu/ORVU.ini" || fail "the auto-preset did not choose Rock"
grep -E $'^Band[0-9]+=' "$work/config/orvu/ORVU.ini" | grep -qv $'=15\r$' ||
  fail "Rock.dat was not found in share/orvu: the bands stayed flat"
echo "desktop e2e: installed, validated, settings in XDG, add-ons and presets found, driven over MPRIS, files handed over"
