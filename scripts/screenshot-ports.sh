#!/bin/sh
# Starts the tool under Xvfb beside two simulated boards, linked as com1 and
# com2, opens the settings panel and its port list as a user would (real X
# clicks and keys), and saves a picture of the window with the open list.
# Pseudo-terminals are not serial ports to the system, so the two boards are
# listed as the devices the com<n> links beside the program reach.
#   scripts/screenshot-ports.sh [output.png]     (default docs/port-list.png)
set -eu
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/port-list.png}")
scripts/deps.sh xvfb xauth xdotool imagemagick
[ -x build/bin/Tavermund ] || scripts/build.sh

. scripts/lib/xvfb.sh
work=$(mktemp -d)
app= sim1= sim2= XVFB_PID=
trap 'kill $app $sim1 $sim2 $XVFB_PID 2>/dev/null || true; rm -rf "$work"' EXIT
start_xvfb 800x480
cp build/bin/Tavermund "$work/"
build/bin/tavermund-sim --dir "$work" --port 1 --log "$work/sim1.log" >"$work/sim1.out" &
sim1=$!
build/bin/tavermund-sim --dir "$work" --port 2 --id 2 >"$work/sim2.out" &
sim2=$!
sleep 1
"$work/Tavermund" >/dev/null 2>&1 &
app=$!

i=0
until grep -q 'rx 1SV2$' "$work/sim1.log" 2>/dev/null; do # found, read back
    i=$((i + 1)); [ $i -gt 100 ] && { echo "the tool did not find the board" >&2; exit 1; }
    sleep 0.1
done
sleep 0.5

wid=$(xdotool search --onlyvisible --name "Kelvandor: Tavermund" | head -1)
# Centres in the window's client area, from its layout in twips at 96 dpi
# (15 twips a pixel): "Set", then the port list's button in the panel.
xdotool mousemove --window "$wid" 25 19 click 1
sleep 0.5
xdotool mousemove --window "$wid" 425 44 click 1
sleep 0.7
xdotool key Down key Down
sleep 0.5

# The window and the list are two X windows: crop the screen to both.
left=9999 top=9999 right=0 bottom=0
for w in $(xdotool search --onlyvisible --pid "$app"); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$X" -lt "$left" ] && left=$X
    [ "$Y" -lt "$top" ] && top=$Y
    [ $((X + WIDTH)) -gt "$right" ] && right=$((X + WIDTH))
    [ $((Y + HEIGHT)) -gt "$bottom" ] && bottom=$((Y + HEIGHT))
done
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out"
echo "$out"
