#!/usr/bin/env bash
# End to end: the real player binary under Xvfb with SDL's disk audio driver, started in an empty
# application directory with an audio file. It must play (the disk file fills with the tone), react to
# the 1K equalizer band dragged to the top (+15 dB at 1 kHz), and save its settings and playlist when
# a termination request closes it.
set -euo pipefail
player=$1
work=$(mktemp -d)
cleanup() {
  [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "e2e: $*" >&2; exit 1; }

mkdir "$work/app"
cp "$player" "$work/app/orvu"
sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 30 sine 1000 vol 0.05

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

out="$work/out.raw"
(cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" ASAN_OPTIONS=detect_leaks=0 \
  QT_QPA_PLATFORM=xcb "$work/app/orvu" "$work/tone.wav") &
pid=$!

bytes_per_second=$((44100 * 2 * 4)) # stereo 32-bit float
size() { stat -c %s "$out" 2>/dev/null || echo 0; }
wait_for_bytes() { # waits until the output holds $1 bytes
  for _ in $(seq 300); do [ "$(size)" -ge "$1" ] && return 0; sleep 0.1; done
  fail "the player produced no sound (output $(size) bytes)"
}
level_db() { # RMS level in dB of one second of output starting at byte $1
  sox -t raw -r 44100 -c 2 -b 32 -e floating-point "$out" -n trim "$(($1 / 8))s" 1 stat 2>&1 |
    awk '/RMS +amplitude/ { if ($3 <= 0) print -200; else printf "%.2f", 20 * log($3) / log(10) }'
}

wait_for_bytes $((3 * bytes_per_second))
before=$(level_db $((2 * bytes_per_second)))
awk -v l="$before" 'BEGIN { exit !(l > -40) }' || fail "the tone is not heard (level $before dB)"

window=$(xdotool search --sync --name '^ORVU$' | head -n 1)
# The 1K band slider: client area at (4, 30) inside the skin's frame, information panel at (504, 8),
# slider at (112, 264), 17 by 97; drag its thumb up.
xdotool mousemove --window "$window" 628 350 mousedown 1 mousemove --window "$window" 628 230 mouseup 1
mark=$(size)
wait_for_bytes $((mark + 2 * bytes_per_second))
after=$(level_db $((mark + bytes_per_second)))
awk -v b="$before" -v a="$after" 'BEGIN { d = a - b; exit !(d > 13 && d < 17) }' ||
  fail "the 1K band at the top changed 1 kHz by $before -> $after dB, not about +15 dB"

kill -TERM "$pid"
wait "$pid" || fail "the player did not exit cleanly"
pid=

ini="$work/app/ORVU.ini"
[ -f "$ini" ] || fail "ORVU.ini was not written"
[ "$(grep -c '=' "$ini")" -eq 31 ] || fail "ORVU.ini does not hold the 31 keys"
grep -q $'^Band5=0\r$' "$ini" || fail "the 1K band's position was not saved"
[ "$(cat "$work/app/Default.orvl")" = "$work/tone.wav"$'\r' ] || fail "Default.orvl does not hold the played file"
# terminate_during_box <app dir> <what>: a termination request while a start-up box waits ends the
# process once the settings are written.
terminate_during_box() {
  xdotool search --sync --onlyvisible --pid "$pid" >/dev/null
  sleep 0.5
  kill -TERM "$pid"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "a termination request during $2 did not end the player"
  wait "$pid" || fail "the player did not exit cleanly after a termination request during $2"
  pid=
  [ -f "$1/ORVU.ini" ] || fail "ORVU.ini was not written when terminated during $2"
}

# The show step's box: a broken command-line file. The playlist keeps its entry.
mkdir "$work/app2"
cp "$player" "$work/app2/orvu"
echo "not audio" >"$work/broken.mp3"
(cd "$work" && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb \
  "$work/app2/orvu" "$work/broken.mp3") &
pid=$!
terminate_during_box "$work/app2" "the show step's box"
[ "$(cat "$work/app2/Default.orvl")" = "$work/broken.mp3"$'\r' ] ||
  fail "Default.orvl does not hold the broken file's entry"

# The show step's dialog: the start-up action "Open" waits in the Add Files dialog.
mkdir "$work/app5"
cp "$player" "$work/app5/orvu"
printf '[OnOpen]\r\nStart=Open\r\n' >"$work/app5/ORVU.ini"
(cd "$work" && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb "$work/app5/orvu") &
pid=$!
terminate_during_box "$work/app5" "the start-up action's file dialog"
grep -q $'^Start=Open\r$' "$work/app5/ORVU.ini" || fail "the start-up action was not kept"

# The creation step's box: a default playlist that cannot be read (a FIFO), left as it was.
mkdir "$work/app3"
cp "$player" "$work/app3/orvu"
mkfifo "$work/app3/Default.orvl"
(cd "$work" && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb "$work/app3/orvu") &
pid=$!
terminate_during_box "$work/app3" "the creation step's box"
[ -p "$work/app3/Default.orvl" ] || fail "the unreadable default playlist was replaced"

# Under a window manager that frames windows, a start and a close leave the visualization window
# where the settings file put it (its frame's top-left), rather than one title bar higher each run.
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  wm=$!
  mkdir "$work/app4"
  cp "$player" "$work/app4/orvu"
  printf '[Visualization]\r\nShow=1\r\n[VisWindow]\r\nLeft=300\r\nTop=200\r\nHeight=480\r\nWidth=700\r\n' \
    >"$work/app4/ORVU.ini"
  for run in 1 2; do
    (cd "$work" && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb "$work/app4/orvu") &
    pid=$!
    xdotool search --sync --onlyvisible --pid "$pid" >/dev/null
    sleep 1
    kill -TERM "$pid"
    wait "$pid" || fail "the player did not exit cleanly (visualization run $run)"
    pid=
    grep -q $'^Left=300\r$' <(sed -n '/^\[VisWindow\]/,/^\[/p' "$work/app4/ORVU.ini") &&
      grep -q $'^Top=200\r$' <(sed -n '/^\[VisWindow\]/,/^\[/p' "$work/app4/ORVU.ini") ||
      fail "the visualization window moved in run $run: $(sed -n '/^\[VisWindow\]/,/^\[/p' "$work/app4/ORVU.ini" | tr -d '\r' | tr '\n' ' ')"
  done
  kill "$wm" 2>/dev/null || true
fi

# Every command-line argument is a file for the player: a name that is not UTF-8 plays and is saved
# byte for byte, names of Qt's options are entries too, and "--" only ends options.
start_with() { # app directory, arguments...: starts the player in $work with its sound to $out
  local app=$1
  shift
  mkdir "$app"
  cp "$player" "$app/orvu"
  rm -f "$out"
  (cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" ASAN_OPTIONS=detect_leaks=0 \
    QT_QPA_PLATFORM=xcb "$app/orvu" "$@") &
  pid=$!
}
stop_player() {
  kill -TERM "$pid"
  wait "$pid" || fail "the player did not exit cleanly ($*)"
  pid=
}
sox -n -r 44100 -c 2 -b 16 "$work/short.wav" synth 5 sine 1000 vol 0.05
latin1=$'caf\xe9.wav'
cp "$work/short.wav" "$work/$latin1"
cp "$work/short.wav" "$work/-style"
start_with "$work/bytes" "$latin1" -style -reverse
wait_for_bytes $((2 * bytes_per_second))
awk -v l="$(level_db "$bytes_per_second")" 'BEGIN { exit !(l > -40) }' || fail "the Latin-1 name is not heard"
stop_player "a Latin-1 name"
[ "$(cat "$work/bytes/Default.orvl")" = "$latin1"$'\r\n-style\r\n-reverse\r' ] ||
  fail "Default.orvl does not hold the Latin-1 name and the option-like names as given"
start_with "$work/dashes" -- -style "$latin1"
wait_for_bytes $((2 * bytes_per_second))
awk -v l="$(level_db "$bytes_per_second")" 'BEGIN { exit !(l > -40) }' || fail "the file named -style is not heard"
stop_player "after --"
[ "$(cat "$work/dashes/Default.orvl")" = $'-style\r\n'"$latin1"$'\r' ] ||
  fail "Default.orvl does not hold the files after --"

echo "e2e: played, equalized (+$(awk -v b="$before" -v a="$after" 'BEGIN { printf "%.1f", a - b }') dB), saved"
