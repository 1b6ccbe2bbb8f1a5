#!/usr/bin/env bash
# End to end: the real player under Xvfb. F2 on the main window opens the Options dialog and F1 the About
# window; while either shows, the main window takes no keys (F1 and F2 pressed on it do nothing), and
# once it closes the main window takes them again.
set -euo pipefail
player=$1
work=$(mktemp -d)
cleanup() {
  [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null || true
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "e2e: $*" >&2; exit 1; }

mkdir "$work/app"
cp "$player" "$work/app/orvu"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
# A window manager gives the keyboard to the window activated; without one, the focus is set directly.
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 0.5
fi

(cd "$work" && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb "$work/app/orvu") &
pid=$!

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
shows() { [ -n "$(window_named "$1")" ]; }
wait_shown() { for _ in $(seq 100); do shows "$1" && return 0; sleep 0.1; done; return 1; }
wait_hidden() { for _ in $(seq 100); do shows "$1" || return 0; sleep 0.1; done; return 1; }
# press <window title> <key>: the key typed into that window, as a user who clicked it first types it.
press() {
  local id
  id=$(window_named "$1")
  [ -n "$id" ] || fail "no window \"$1\" to type $2 into"
  if [ -n "${wm:-}" ]; then xdotool windowactivate --sync "$id"; else xdotool windowfocus --sync "$id"; fi
  sleep 0.3
  xdotool key "$2"
}

wait_shown ORVU || fail "the main window did not show"
sleep 0.5

press ORVU F2
wait_shown Options || fail "F2 did not open the Options dialog"
press ORVU F1
sleep 1
shows "About ORVU" && fail "F1 reached the main window while the Options dialog showed"
press Options alt+c
wait_hidden Options || fail "the Options dialog did not close with its Close button's key"

press ORVU F1
wait_shown "About ORVU" || fail "F1 did not open the About window"
press ORVU F2
sleep 1
shows Options && fail "F2 reached the main window while the About window showed"
press "About ORVU" alt+o
wait_hidden "About ORVU" || fail "the About window did not close with its OK button's key"

press ORVU F2
wait_shown Options || fail "the main window did not take F2 again once the About window closed"

kill -TERM "$pid"
wait "$pid" || fail "the player did not exit cleanly"
pid=
echo "e2e: F2 and F1 opened Options and About over a main window that took no keys meanwhile"
