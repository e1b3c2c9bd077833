#!/bin/sh
# The command line end to end, as a script sees it: the wall time of one
# `tavermund-cli` run, from exec to exit, against the simulated board that
# answers at once; the median of 9 runs for each command, on the port
# itself and through a serving `tavermund-cli serve` that holds the port.
# usage: bench/measure_cli.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$build/bin/tavermund-sim" --dir "$work" --port 1 >"$work/sim.out" 2>&1 &
for _ in $(seq 100); do grep -q READY "$work/sim.out" 2>/dev/null && break; sleep 0.05; done
port=$(awk '{print $2}' "$work/sim.out")

# median_ms KEY COMMAND...: the median wall time of 9 runs, as "KEY ms".
median_ms() {
    key=$1
    shift
    for _ in 1 2 3 4 5 6 7 8 9; do
        start=$(date +%s%N)
        "$build/bin/tavermund-cli" --quiet --port "$port" "$@" >/dev/null 2>&1 || { echo "$key failed" >&2; exit 1; }
        echo $(( ($(date +%s%N) - start) / 1000 ))
    done | sort -n | sed -n 5p | awk -v k="$key" '{printf "%s %.1f\n", k, $1 / 1000}'
}

median_ms cli_find_ms find
median_ms cli_duty50_ms duty 50
median_ms cli_read_ms read
"$build/bin/tavermund-cli" --port "$port" serve 2>"$work/serve.err" &
for _ in $(seq 100); do grep -q serving "$work/serve.err" 2>/dev/null && break; sleep 0.05; done
median_ms cli_served_duty50_ms duty 50
median_ms cli_served_read_ms read
