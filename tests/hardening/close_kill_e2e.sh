#!/usr/bin/env bash
# Crash safety of the close step: the real player, with a 20,000-entry default playlist and a short
# settings file, gets a termination request (which runs the close step: settings, then playlist) and is
# killed with SIGKILL at a random moment of it. After every round, ORVU.ini and Default.orvl must each
# be byte for byte the old file or the new one, never a mix or a fragment; the next start removes the
# temporary file of a write that a kill cut short.
# Usage: close_kill_e2e.sh PLAYER [ROUNDS]   (ROUNDS defaults to $ORVU_KILL_ROUNDS, else 6;
# a thorough run: ORVU_KILL_ROUNDS=50)
set -euo pipefail
player=$1
rounds=${2:-${ORVU_KILL_ROUNDS:-6}}
work=$(mktemp -d)
cleanup() {
  [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "close_kill: $*" >&2; exit 1; }

# A runtime directory of its own, so this player is never taken for another one running meanwhile.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
app="$work/app"
mkdir "$app"
cp "$player" "$app/orvu"
sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 30 sine 1000 vol 0.05
out="$work/out.raw"

printf '[Volume]\r\nLevel=20\r\n[Kept]\r\nan unknown line\r\n' >"$work/old.ini"
for i in $(seq 20000); do printf '/music/artist %d/track %05d.mp3\r\n' $((i % 97)) "$i"; done >"$work/old.orvl"

now_us() { echo $(($(date +%s%N) / 1000)); }

# Starts the player on the old files and the tone, and returns once it plays (the start-up is over).
start_player() {
  cp "$work/old.ini" "$app/ORVU.ini"
  cp "$work/old.orvl" "$app/Default.orvl"
  rm -f "$out"
  (cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" ASAN_OPTIONS=detect_leaks=0 \
    QT_QPA_PLATFORM=offscreen exec "$app/orvu" "$work/tone.wav") >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 600); do
    [ "$(stat -c %s "$out" 2>/dev/null || echo 0)" -gt 0 ] && return 0
    kill -0 "$pid" 2>/dev/null || fail "the player ended during start-up"
    sleep 0.05
  done
  fail "the player did not start playing"
}
# The temporary files of cut-short writes in the application directory.
temporaries() { find "$app" -name '*.tmp-*' | wc -l; }

# A round without a kill gives the new files, and the time from the request to the playlist's rename.
start_player
touch "$work/marker"
requested=$(now_us)
kill -TERM "$pid"
ini_written=
written=
while kill -0 "$pid" 2>/dev/null; do
  if [ -z "$ini_written" ] && [ "$app/ORVU.ini" -nt "$work/marker" ]; then ini_written=$(now_us); fi
  if [ -z "$written" ] && [ "$app/Default.orvl" -nt "$work/marker" ]; then written=$(now_us); fi
done
ended=$(now_us)
wait "$pid" || fail "the player did not exit cleanly"
pid=
cp "$app/ORVU.ini" "$work/new.ini"
cp "$app/Default.orvl" "$work/new.orvl"
cmp -s "$work/new.ini" "$work/old.ini" && fail "the close did not change ORVU.ini"
[ "$(grep -c $'\r$' "$work/new.orvl")" -eq 20001 ] || fail "the new Default.orvl does not hold 20,001 entries"
grep -q $'^an unknown line\r$' "$work/new.ini" || fail "the close dropped an unknown line of ORVU.ini"
close_us=$((ended - requested))
ini_us=$((${ini_written:-$ended} - requested))
write_us=$((${written:-$ended} - requested))
# Odd rounds kill at any moment up to twice the time the writes took; even rounds aim at the writes
# themselves (from a little before the first rename to a little after the second), where a kill can
# catch a temporary file half written.
span_us=$((write_us * 2 + 1000))
aim_from=$((ini_us * 9 / 10))
aim_span=$((write_us * 11 / 10 - aim_from + 1000))

declare -A outcomes=()
cut_short=0
for round in $(seq "$rounds"); do
  start_player
  [ "$(temporaries)" -eq 0 ] || fail "round $round: the start left temporary files of a killed write"
  if ((round % 2)); then
    delay=$(((RANDOM * 32768 + RANDOM) % span_us))
  else
    delay=$((aim_from + (RANDOM * 32768 + RANDOM) % aim_span))
  fi
  kill -TERM "$pid"
  sleep "$(printf '%d.%06d' $((delay / 1000000)) $((delay % 1000000)))"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=
  cut_short=$((cut_short + $(temporaries)))
  result=
  for f in ini orvl; do
    name=$([ $f = ini ] && echo ORVU.ini || echo Default.orvl)
    if cmp -s "$app/$name" "$work/old.$f"; then
      result+="$f=old "
    elif cmp -s "$app/$name" "$work/new.$f"; then
      result+="$f=new "
    else
      fail "round $round (kill after ${delay} us): $name is neither the old nor the new file ($(stat -c %s "$app/$name" 2>/dev/null || echo missing) bytes)"
    fi
  done
  outcomes["$result"]=$((${outcomes["$result"]:-0} + 1))
done

# A clean close after the killed rounds leaves no temporary file either.
start_player
kill -TERM "$pid"
wait "$pid" || fail "the player did not exit cleanly after the killed rounds"
pid=
[ "$(temporaries)" -eq 0 ] || fail "temporary files were left: $(ls "$app")"

summary=$(for k in "${!outcomes[@]}"; do echo "${outcomes[$k]}x{ $k}"; done | sort | tr '\n' ' ')
echo "close_kill: $rounds rounds survived (close ${close_us} us, ORVU.ini replaced at ${ini_us} us, Default.orvl at ${write_us} us; $cut_short kills cut a write short, whose temporary file the next start removed): $summary"
