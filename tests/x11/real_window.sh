#!/usr/bin/env bash
# The program in a real window: under Xvfb with the SDL2 backend its window shows
# the main page the headless run draws, a tap through the X server reaches it
# without harm, and closing it (SIGTERM becomes the window's close message) ends
# the program with 0.
#   real_window.sh path/to/orbeta
set -euo pipefail
orbeta=$(readlink -f "$1")
for tool in Xvfb xdotool import compare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
xvfb=
program=
cleanup() {
  [ -n "$program" ] && kill -9 "$program" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$(dirname "$orbeta")"
unset DISPLAY WAYLAND_DISPLAY

# What the headless backend presents last: the main page.
ORBETA_HEADLESS=1 ORBETA_FRAMES="$work/frames" ORBETA_RUN_MS=3000 "$orbeta" >/dev/null 2>&1
expected=$(ls "$work/frames"/*.png | sort | tail -n 1)

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

"$orbeta" >"$work/log" 2>&1 &
program=$!
window=$(timeout 20 xdotool search --sync --name '^Orbeta$' | head -n 1)
# The splash page gives way to the main page once the library has started.
sleep 3
import -window "$window" "$work/shot.png"
differing=$(compare -metric AE -fuzz 4% "$work/shot.png" "$expected" null: 2>&1 || true)
echo "pixels differing from the headless frame: $differing"
# The map page lives: its compass turns and its labels come a moment apart.
[ "${differing%%.*}" -lt 12000 ] || { cp "$work/shot.png" /tmp/orbeta-real-window.png; exit 1; }

xdotool mousemove --window "$window" 400 240 click 1
sleep 1
kill -0 "$program"

kill -TERM "$program"
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
status=0
wait "$program" || status=$?
program=
cat "$work/log"
[ "$status" -eq 0 ] || { echo "exit code $status"; exit 1; }
echo "real window: main page shown, tap taken, closed with 0"
