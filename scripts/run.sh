#!/bin/sh
# Builds the tool and starts it against the simulated device: the simulator
# creates build/bin/com1 -> its pseudo-terminal, and the tool, whose default
# settings use COM port 1, finds the device within a few seconds.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
bin="$PWD/build/bin"

"$bin/tavermund-sim" --dir "$bin" --port 1 --id 1 >"$bin/sim.out" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT INT TERM
for _ in $(seq 50); do grep -q READY "$bin/sim.out" 2>/dev/null && break; sleep 0.1; done
"$bin/Tavermund"
