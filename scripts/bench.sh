#!/bin/sh
# Runs every benchmark and writes the figures, with the machine they ran on
# and the load average beside each set, to docs/figures.md (and prints
# them). Updating a figure is running this script. Takes about 15 minutes.
#   scripts/bench.sh [output.md]     (default docs/figures.md)
#
# Each set of rows has a function of its own below (its benchmark runs in
# `measure`, its rows come from `<set>_rows`); a new set is one more of each.
set -eu
cd "$(dirname "$0")/.."
out=${1:-docs/figures.md}
# picocom: the terminal program the receive path's CPU is compared with.
scripts/deps.sh xvfb xauth xdotool bc picocom
# Benchmarks build in a folder of their own, with the option that adds them.
BUILD_DIR=build-bench scripts/build.sh -DTAVERMUND_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
raw=$(mktemp)
trap 'rm -f "$raw"' EXIT

loadavg() { cut -d' ' -f1-3 /proc/loadavg; }

# measure SET COMMAND...: runs one benchmark, its key-value lines into the
# raw figures, with the load average before and after it.
measure() {
    set_name=$1
    shift
    echo "load_${set_name}_before $(loadavg | tr ' ' '_')" >>"$raw"
    "$@" >>"$raw"
    echo "load_${set_name}_after $(loadavg | tr ' ' '_')" >>"$raw"
}

# v KEY: a raw figure ("a_/_b" reads "a / b").
v() { awk -v k="$1" '$1 == k {print $2}' "$raw" | tr '_' ' '; }
# row FIGURE TARGET MEASURED SET
row() { echo "| $1 | $2 | $3 | $(v "load_$4_before") → $(v "load_$4_after") |"; }

load0=$(loadavg)
measure receive env QT_QPA_PLATFORM=offscreen build-bench/bench/bench_receive
measure pacing build-bench/bench/bench_pacing
measure lines bench/measure_binary.sh build-bench lines
measure steady bench/measure_binary.sh build-bench steady
measure realistic bench/measure_binary.sh build-bench realistic
measure idle bench/measure_binary.sh build-bench idle
measure startup bench/measure_binary.sh build-bench startup
measure flood bench/measure_binary.sh build-bench flood
measure cli bench/measure_cli.sh build-bench
load1=$(loadavg)

receive_rows() {
    row "Receive throughput, pty -> MSComm1 -> lines -> HandleReply -> labels (offscreen)" ">= 100,000 lines/s" \
        "$(v throughput_lines_per_s) lines/s" receive
    row "Receiving thread's CPU per line (throughput run), without / with the line log open" "log: <= +1 us" \
        "$(v receive_cpu_us_per_line) / $(v receive_cpu_us_per_line_logged) us" receive
    row "Byte-to-label latency on an idle window (a quiet frame before each line), median / p99" \
        "< 0.5 ms / < 2 ms" "$(v latency_median_ms) / $(v latency_p99_ms) ms" receive
    row "Write to the duty display painted, under a steady flow of 20 lines every 1 ms, median / p99 / max" \
        "< 1 frame (17 ms) + 2 ms" "$(v flow_latency_median_ms) / $(v flow_latency_p99_ms) / $(v flow_latency_max_ms) ms" \
        receive
    row "Click on \"50%\" to its command on the wire, under a flood, median / max of 20" "< 10 ms" \
        "$(v click_under_flood_median_ms) / $(v click_under_flood_max_ms) ms" receive
}

lines_rows() {
    row "CPU per received line, real binary (Xvfb), 1,000,000 lines \`1SV1=NN\` on one pty, 3 rounds" \
        "<= 0.5 us and <= picocom" "$(v lines_tavermund_rounds) us" lines
    row "CPU per received line, \`picocom -b 9600\` on the same pty, interleaved" "" "$(v lines_picocom_rounds) us" lines
    row "Tavermund / picocom, median of the rounds" "<= 1" "$(v lines_ratio_median)" lines
}

# steady_case KEY DESCRIPTION TARGET: Tavermund, its X server and picocom at
# one rate, min / median / max of 3 rounds, and the wake-ups a second.
steady_case() {
    row "$2: Tavermund, real binary (Xvfb), % of a core" "$3" "$(v "$1_tavermund_percent") %" "$4"
    row "$2: the X server meanwhile" "" "$(v "$1_tavermund_xserver_percent") %" "$4"
    row "$2: \`picocom\` on the same pty, interleaved, its output to a pty that is read" "" \
        "$(v "$1_picocom_percent") %" "$4"
    row "$2: wake-ups a second, Tavermund / picocom (medians)" "" \
        "$(v "$1_tavermund_wakeups_median") / $(v "$1_picocom_wakeups_median")" "$4"
}

steady_rows() {
    steady_case steady "20 lines every 1 ms (20,000 lines/s), values running on, 10 s, 3 rounds" "<= picocom" steady
    steady_case bigger "199 lines every 9.95 ms, same rate" "<= picocom" steady
    steady_case unchanged "20 lines every 1 ms, the value never changing (nothing to paint)" "<= picocom" steady
}

realistic_rows() {
    steady_case realistic "115,200 baud, one short reply line every 2 ms, values running on, 60 s, 3 rounds" "" \
        realistic
}

pacing_rows() {
    row "CPU per 50 ms pacing pause" "<= 1 ms" "$(v pacing_cpu_ms_per_pause) ms" pacing
    row "CPU per 50 ms pause of a spin loop (for comparison)" "" \
        "$(v spin_cpu_ms_per_pause) ms ($(v spin_to_pacing_cpu_ratio) times more)" pacing
}

binary_rows() {
    row "CPU while searching with no device answering, 60 s" "< 0.5 % of a core" \
        "$(v search_cpu_percent_of_core_60s) %" idle
    row "Search attempts seen by the device in those 60 s" "one every 2.5 s" "$(v search_requests_seen)" idle
    row "Start-up to window shown (exec to mapped, median of 7)" "" "$(v startup_to_window_ms_median) ms" startup
    row "Resident memory after start-up" "" "$(v resident_kib_after_start) KiB" startup
    row "Resident memory before / peak / after a 100 MiB flood without CR" "flat" \
        "$(v flood_resident_kib_before) / $(v flood_resident_kib_peak) / $(v flood_resident_kib_after) KiB" flood
    row "Time to find the device again behind the flood" "" "$(v flood_seconds_to_rediscover) s" flood
}

cli_rows() {
    row "\`tavermund-cli find\`, exec to exit, against a board that answers at once (median of 9)" "" \
        "$(v cli_find_ms) ms" cli
    row "\`tavermund-cli duty 50\` (\`1SV1=50\`, \`PV1?\`, confirmed by the board), the same" "< 300 ms" \
        "$(v cli_duty50_ms) ms" cli
    row "\`tavermund-cli read\` (both queries, each answer its own), the same" "" "$(v cli_read_ms) ms" cli
    row "\`duty 50\` / \`read\` through a serving \`tavermund-cli serve\` that holds the port" "" \
        "$(v cli_served_duty50_ms) / $(v cli_served_read_ms) ms" cli
}

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
{
    echo "# Figures"
    echo
    echo "Written by \`scripts/bench.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'); run it again to update them."
    echo
    echo "Machine: $(nproc) cores, $cpu, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo)," \
        "$(uname -sr). Load average (1, 5, 15 min) at the start / end: $load0 / $load1."
    echo
    echo "CPU figures are the measured process's own CPU clock (all its threads), as % of one core; the tool"
    echo "and picocom take turns on the same pseudo-terminal in the same run, and picocom's output goes to a"
    echo "pseudo-terminal that the benchmark reads, where a terminal emulator would sit. Three values are"
    echo "min / median / max of the rounds. Wake-ups are the voluntary context switches of the main thread"
    echo "(\`/proc/<pid>/status\`). The last column is the load average before and after each benchmark."
    echo
    echo "| Figure | Target | Measured | Load before → after |"
    echo "|---|---|---|---|"
    receive_rows
    lines_rows
    steady_rows
    realistic_rows
    pacing_rows
    binary_rows
    cli_rows
} >"$out"
cat "$out"
