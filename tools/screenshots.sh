#!/usr/bin/env bash
# Takes the README's pictures from a real run: the window, and the tray icon with its menu open,
# on a private Xvfb display with a window manager (openbox) and a system tray (trayer).
# Usage: tools/screenshots.sh   (after tools/install-deps.sh --screenshots); builds in build/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/screenshots
out=resources/doc/screenshots

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTAMBLO_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target tamblo

scratch=$(mktemp -d)
pids=()
# Last started, first ended: the display goes only once its clients are gone.
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$scratch"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to the descriptor.
Xvfb -displayfd 3 -screen 0 640x240x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -s $scratch/display ]] && break; sleep 0.1; done
export DISPLAY=:$(cat "$scratch/display")

openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1
xsetroot -solid '#4a6d94'
trayer --edge top --align right --widthtype request --height 28 --SetDockType true --expand false \
  --transparent false >/dev/null 2>&1 &
pids+=($!)
sleep 1
# A data folder of its own, so that no recovered recording is announced.
XDG_DATA_HOME=$scratch/data "$build/app/tamblo" &
pids+=($!)
window=$(xdotool search --sync --name '^Norrel')
xdotool windowmove --sync "$window" 40 160
sleep 1

import -frame -window "$window" "$out/window.png"
# The menu opens at the pointer, on the left edge of the tray icon at the top right corner.
xdotool mousemove 619 14 click 3
sleep 1
import -window root -crop 240x100+400+0 +repage "$out/tray-menu.png"
xdotool key Escape
echo "written: $out/window.png $out/tray-menu.png"
