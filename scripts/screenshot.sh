#!/bin/sh
# Starts the tool under Xvfb against the simulated device, waits until the
# device is found, clicks "50%" and "980" as a user would (real X clicks
# at the window's own coordinates), and saves a picture of the window.
#   scripts/screenshot.sh [output.png]     (default docs/screenshot.png)
set -eu
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshot.png}")
scripts/deps.sh xvfb xauth xdotool imagemagick
[ -x build/bin/Tavermund ] || scripts/build.sh

. scripts/lib/xvfb.sh
work=$(mktemp -d)
app= sim= XVFB_PID=
trap 'kill $app $sim $XVFB_PID 2>/dev/null || true; rm -rf "$work"' EXIT
start_xvfb 800x480
cp build/bin/Tavermund "$work/"
build/bin/tavermund-sim --dir "$work" --port 1 --duty 25 --freq 6 --log "$work/sim.log" >"$work/sim.out" &
sim=$!
sleep 1
"$work/Tavermund" >/dev/null 2>&1 &
app=$!

wait_for() { # pattern in the simulator's log, seconds
    i=0
    until grep -q "$1" "$work/sim.log" 2>/dev/null; do
        i=$((i + 1)); [ $i -gt $(($2 * 10)) ] && { echo "timed out waiting for '$1'" >&2; exit 1; }
        sleep 0.1
    done
}
wait_for 'rx 1SV2$' 10 # found, and the read-back has gone out
sleep 0.5

wid=$(xdotool search --onlyvisible --name "Kelvandor: Tavermund" | head -1)
# Button centres in the window's client area, from its layout in twips at
# 96 dpi (15 twips a pixel): "50%" and "980".
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.4; }
click 189 116
wait_for 'rx PV1?' 5
click 483 88
wait_for 'rx 1SV2=3' 5
xdotool mousemove --window "$wid" 520 200 # out of the way
sleep 0.7
import -window "$wid" "$out"
echo "$out"
