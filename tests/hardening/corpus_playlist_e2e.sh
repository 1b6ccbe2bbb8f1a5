#!/usr/bin/env bash
# End to end: the real player under Xvfb plays a default playlist of a sample of the malformed-audio
# corpus, pressing Next for each entry. Every entry must either play or show the load-failure box (which
# is answered), the player must never die or stay busy, and at the end it must still answer: Next works
# and a termination request saves the whole playlist and ends it cleanly.
# Usage: corpus_playlist_e2e.sh PLAYER MAKE_CORPUS [COUNT]   (COUNT: entries sampled, 40 unless given)
set -euo pipefail
player=$1
make_corpus=$2
count=${3:-40}
work=$(mktemp -d)
cleanup() {
  [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  chmod -R u+rwx "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "corpus_playlist: $*" >&2; exit 1; }

# A runtime directory of its own, so this player is never taken for another one running meanwhile.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$make_corpus" "$work/c" >"$work/corpus.tsv"
total=$(wc -l <"$work/corpus.tsv")
[ "$total" -ge "$count" ] || fail "the corpus holds only $total files"
# Every how-manieth file, so every kind of damage is among them.
awk -F '\t' -v step=$((total / count)) -v n="$count" 'NR % step == 1 && taken < n { print; taken++ }' \
  "$work/corpus.tsv" >"$work/sample.tsv"
mkdir "$work/app"
cp "$player" "$work/app/orvu"
cut -f1 "$work/sample.tsv" | sed 's/$/\r/' >"$work/app/Default.orvl"
cp "$work/app/Default.orvl" "$work/playlist.expected"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

(cd "$work" && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb exec "$work/app/orvu") \
  >"$work/player.log" 2>&1 &
pid=$!
window=$(xdotool search --sync --onlyvisible --pid "$pid" --name '^ORVU$' | head -n 1)
baseline=$(xdotool search --onlyvisible --pid "$pid" | sort)

# The player's main thread waits in the event loop's poll (not in a futex wait for an open, not
# running) for a few samples in a row: whatever the last input started has finished. Where the system
# does not show a process's system call, a pause longer than the engine's 2 s open limit stands in.
wait_idle() {
  local quiet=0
  if [ ! -r "/proc/$pid/syscall" ] || ! cut -d ' ' -f1 "/proc/$pid/syscall" >/dev/null 2>&1; then
    sleep 3
    kill -0 "$pid" 2>/dev/null || fail "the player died ($1); its last words: $(tail -n 5 "$work/player.log")"
    return 0
  fi
  for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || fail "the player died ($1); its last words: $(tail -n 5 "$work/player.log")"
    case $(cut -d ' ' -f1 "/proc/$pid/syscall" 2>/dev/null) in
    7 | 271 | 232 | 281 | 441) quiet=$((quiet + 1)) ;;
    *) quiet=0 ;;
    esac
    [ "$quiet" -ge 3 ] && return 0
    sleep 0.02
  done
  fail "the player stayed busy for 12 s ($1)"
}
# The windows the player shows beyond those it showed at the start: a message box.
new_windows() { comm -13 <(echo "$baseline") <(xdotool search --onlyvisible --pid "$pid" | sort); }

played=0
refused=0
next=0
press_next() { xdotool mousemove --window "$window" 312 98 click 1; }
while IFS=$'\t' read -r _ how; do
  next=$((next + 1))
  press_next
  wait_idle "Next to $how"
  box=$(new_windows | head -n 1)
  if [ -n "$box" ]; then
    refused=$((refused + 1))
    xdotool windowfocus --sync "$box" key Return
    for _ in $(seq 100); do [ -z "$(new_windows)" ] && break; sleep 0.05; done
    [ -z "$(new_windows)" ] || fail "the load-failure box for $how did not close"
    wait_idle "after the box for $how"
  else
    played=$((played + 1))
  fi
done <"$work/sample.tsv"

# Still answering: Next wraps to the first entry (a box or not), then a termination request saves.
press_next
wait_idle "Next after the last entry"
box=$(new_windows | head -n 1)
[ -n "$box" ] && xdotool windowfocus --sync "$box" key Return
kill -TERM "$pid"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the player did not end on a termination request"
wait "$pid" || fail "the player did not exit cleanly: $(tail -n 5 "$work/player.log")"
pid=
cmp -s "$work/app/Default.orvl" "$work/playlist.expected" || fail "Default.orvl does not hold the playlist"
echo "corpus_playlist: $next entries of a $total-file corpus with Next: $played played, $refused refused with the box; the player answered at the end"
