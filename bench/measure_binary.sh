#!/bin/sh
# Figures of the real binary, measured from outside as a user would see
# it, under Xvfb against the simulated device:
#   startup      exec to window mapped (median of 7), and resident memory
#   idle         CPU while searching with no device answering, 60 s
#   flood        resident memory before, during and after a 100 MiB flood
#                of garbage without a carriage return
#   lines        CPU per received line against picocom (bench_flood)
#   steady       CPU at 20,000 lines/s, the tool's, the X server's and
#                picocom's (bench_steady)
#   realistic    CPU and wake-ups at one reply line every 2 ms, 115,200
#                baud, 60 s (bench_steady)
# usage: bench/measure_binary.sh BUILD_DIR [startup|idle|flood|lines|steady|realistic|all]
set -eu
build=$(cd "$1" && pwd)
what=${2:-all}
. "$(dirname "$0")/../scripts/lib/xvfb.sh"
work=$(mktemp -d)
XVFB_PID=
trap 'kill $(jobs -p) 2>/dev/null || true; kill $XVFB_PID 2>/dev/null || true; rm -rf "$work"' EXIT
start_xvfb 1024x768

cp "$build/bin/Tavermund" "$work/Tavermund"
hz=$(getconf CLK_TCK)

rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

start_sim() { # options...
    "$build/bin/tavermund-sim" --dir "$work" --port 1 --log "$work/sim.log" "$@" >"$work/sim.out" 2>&1 &
    sim=$!
    for _ in $(seq 100); do grep -q READY "$work/sim.out" 2>/dev/null && return 0; sleep 0.05; done
    echo "simulator did not start" >&2; exit 1
}

if [ "$what" = startup ] || [ "$what" = all ]; then
    start_sim --silent
    times=""
    for _ in 1 2 3 4 5 6 7; do
        t0=$(now_ms)
        "$work/Tavermund" >>"$work/app.log" 2>&1 &
        app=$!
        until xdotool search --onlyvisible --name "Kelvandor: Tavermund" >/dev/null 2>&1; do
            kill -0 $app 2>/dev/null || { echo "the tool died:" >&2; cat "$work/app.log" >&2; exit 1; }
            [ $(( $(now_ms) - t0 )) -gt 20000 ] && { echo "no window after 20 s" >&2; exit 1; }
            sleep 0.01
        done
        times="$times $(( $(now_ms) - t0 ))"
        sleep 3
        rss=$(rss_kb $app)
        kill $app; wait $app 2>/dev/null || true
        # Let the window disappear before the next run looks for one.
        while xdotool search --onlyvisible --name "Kelvandor: Tavermund" >/dev/null 2>&1; do sleep 0.05; done
    done
    median=$(echo $times | tr ' ' '\n' | sort -n | sed -n 4p)
    echo "startup_to_window_ms_median $median"
    echo "startup_to_window_ms_all$times"
    echo "resident_kib_after_start $rss"
    kill $sim; wait $sim 2>/dev/null || true
fi

if [ "$what" = idle ] || [ "$what" = all ]; then
    start_sim --silent
    "$work/Tavermund" >/dev/null 2>&1 &
    app=$!
    sleep 3
    c0=$(cpu_ticks $app)
    sleep 60
    c1=$(cpu_ticks $app)
    echo "search_cpu_percent_of_core_60s $(echo "scale=3; 100 * ($c1 - $c0) / ($hz * 60)" | bc | sed "s/^\./0./")"
    echo "search_requests_seen $(grep -c 'rx .*BS?' "$work/sim.log")"
    kill $app; wait $app 2>/dev/null || true
    kill $sim; wait $sim 2>/dev/null || true
fi

if [ "$what" = flood ] || [ "$what" = all ]; then
    rm -f "$work/sim.log"
    start_sim --flood 100M
    "$work/Tavermund" >/dev/null 2>&1 &
    app=$!
    sleep 2
    before=$(rss_kb $app)
    peak=$before
    t0=$(now_ms)
    # Done once the tool has found the device behind the flood and reads it back.
    while ! grep -q 'rx 1SV1' "$work/sim.log" 2>/dev/null; do
        r=$(rss_kb $app); [ "$r" -gt "$peak" ] && peak=$r
        [ $(( $(now_ms) - t0 )) -gt 120000 ] && { echo "flood_timeout 1"; break; }
        sleep 0.2
    done
    after=$(rss_kb $app)
    echo "flood_resident_kib_before $before"
    echo "flood_resident_kib_peak $peak"
    echo "flood_resident_kib_after $after"
    echo "flood_seconds_to_rediscover $(( ($(now_ms) - t0) / 1000 ))"
    kill $app; wait $app 2>/dev/null || true
    kill $sim; wait $sim 2>/dev/null || true
fi

if [ "$what" = lines ] || [ "$what" = all ]; then
    "$build/bench/bench_flood" "$build/bin/Tavermund" 1000000 3
fi

if [ "$what" = steady ] || [ "$what" = all ]; then
    XSERVER_PID=$XVFB_PID "$build/bench/bench_steady" "$build/bin/Tavermund" steady 10 3
fi

if [ "$what" = realistic ] || [ "$what" = all ]; then
    XSERVER_PID=$XVFB_PID "$build/bench/bench_steady" "$build/bin/Tavermund" realistic 60 3
fi
