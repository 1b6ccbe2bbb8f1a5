#!/usr/bin/env bash
# End to end: the genre auto-preset in the real player binary under Xvfb with SDL's disk audio driver.
# A track tagged genre Rock, holding tones at 100 Hz, 1 kHz and 12 kHz, plays twice from a directory
# without presets: once with the auto-preset off, once on. With it on, the player must find Rock.dat
# beside itself and the captured output must show the Rock curve: the low and high tones lifted and the
# middle one cut, each by at least its band's gain in the file.
set -euo pipefail
player=$1
presets="$(dirname "$player")/presets"
work=$(mktemp -d)
cleanup() {
  [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "autoeq e2e: $*" >&2; exit 1; }

[ -f "$presets/Rock.dat" ] || fail "the build put no Rock.dat beside the player ($presets)"
ffmpeg -nostdin -hide_banner -loglevel error -f lavfi \
  -i "aevalsrc=0.05*sin(2*PI*100*t)+0.05*sin(2*PI*1000*t)+0.05*sin(2*PI*12000*t):s=44100:d=30" \
  -ac 2 -metadata genre=Rock -c:a libmp3lame -b:a 256k "$work/rock.mp3"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

bytes_per_second=$((44100 * 2 * 4)) # stereo 32-bit float
# tone_db <raw output> <Hz>: the level in dB of one frequency in seconds 2 to 4 of the output, channels
# mixed, by the Goertzel algorithm (one bin of a DFT) over a Hann window.
tone_db() {
  python3 - "$1" "$2" <<'PY'
import math, struct, sys
rate = 44100
with open(sys.argv[1], "rb") as raw:
    raw.seek(2 * rate * 8)
    data = raw.read(2 * rate * 8)
frames = [(l + r) / 2 for l, r in struct.iter_unpack("<ff", data)]
n = len(frames)
w = 2 * math.cos(2 * math.pi * float(sys.argv[2]) / rate)
s1 = s2 = 0.0
for i, x in enumerate(frames):
    s0 = x * (0.5 - 0.5 * math.cos(2 * math.pi * i / (n - 1))) + w * s1 - s2
    s2, s1 = s1, s0
power = s1 * s1 + s2 * s2 - w * s1 * s2
amplitude = 2 * math.sqrt(max(power, 1e-30)) / (n / 2)
print("%.2f" % (20 * math.log10(amplitude)))
PY
}
# play <name> <Autoeq>: plays the track for five seconds from $work with the player in $work/<name>.
play() {
  local app="$work/$1" out="$work/$1.raw"
  mkdir "$app"
  cp "$player" "$app/orvu"
  cp -r "$presets" "$app/presets"
  printf '[Equalizer]\r\nAutoeq=%s\r\n' "$2" >"$app/ORVU.ini"
  (cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" ASAN_OPTIONS=detect_leaks=0 \
    QT_QPA_PLATFORM=xcb "$app/orvu" "$work/rock.mp3") &
  pid=$!
  for _ in $(seq 300); do
    [ "$(stat -c %s "$out" 2>/dev/null || echo 0)" -ge $((5 * bytes_per_second)) ] && break
    sleep 0.1
  done
  kill -TERM "$pid"
  wait "$pid" || fail "the player did not exit cleanly ($1)"
  pid=
  [ "$(stat -c %s "$out")" -ge $((5 * bytes_per_second)) ] || fail "the player produced no sound ($1)"
}
play off 0
play on 1
grep -q $'^Preset=2\r$' "$work/on/ORVU.ini" || fail "the auto-preset did not choose Rock"

# Rock.dat's gains for the 100 Hz, 1K and 12K bands, and the change measured at each tone.
mapfile -t rock < <(tr -d '\r' <"$presets/Rock.dat")
report=""
check() { # <what> <Hz> <band's gain in dB>
  local off on
  off=$(tone_db "$work/off.raw" "$2")
  on=$(tone_db "$work/on.raw" "$2")
  awk -v off="$off" 'BEGIN { exit !(off > -45) }' || fail "the $1 tone is not heard without the preset ($off dB)"
  # At least the band's own gain, in its direction: neighbouring bands overlap and add to it, most at the
  # top, where the 12K, 14K and 16K bands lie close together.
  awk -v d="$(awk -v a="$on" -v b="$off" 'BEGIN { print a - b }')" -v g="$3" \
    'BEGIN { exit !(g > 0 ? d > g - 1.5 && d < 20 : d < g + 1.5 && d > -20) }' ||
    fail "the $1 tone changed by $off -> $on dB, not as Rock's $3 dB"
  report+=" $1 $(awk -v a="$on" -v b="$off" 'BEGIN { printf "%+.1f", a - b }') dB (file ${3} dB);"
}
check "100 Hz" 100 "${rock[0]}"
check "1 kHz" 1000 "${rock[4]}"
check "12 kHz" 12000 "${rock[7]}"
echo "autoeq e2e: the Rock preset applied by genre:$report"
