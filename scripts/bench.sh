#!/bin/sh
# Runs every benchmark and prints the figures as a Markdown table, with the
# machine they ran on, and what else ran on it meanwhile. Takes about
# eleven minutes (one of them is a 60 s idle measurement).
set -eu
cd "$(dirname "$0")/.."
# picocom: the terminal program the receive path's CPU is compared with.
scripts/deps.sh xvfb xauth xdotool bc picocom
# Benchmarks build in a folder of their own, with the option that adds them.
BUILD_DIR=build-bench scripts/build.sh -DTAVERMUND_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT

load0=$(cut -d' ' -f1-3 /proc/loadavg)
QT_QPA_PLATFORM=offscreen build-bench/bench/bench_receive >>"$out" 2>/dev/null
build-bench/bench/bench_pacing >>"$out"
bench/measure_binary.sh build-bench all >>"$out"

v() { awk -v k="$1" '$1 == k {print $2}' "$out" | tr '_' ' '; }
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
echo "Load average before / after: $load0 / $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Machine: $(nproc) cores, $cpu, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -sr)"
echo
echo "| Figure | Target | Measured |"
echo "|---|---|---|"
echo "| Receive throughput, pty -> MSComm1 -> lines -> HandleReply -> labels | >= 100,000 lines/s | $(v throughput_lines_per_s) lines/s |"
echo "| CPU per received line, real binary (Xvfb), 1,000,000 lines \`1SV1=NN\` on one pty, 3 rounds | <= 0.5 us and <= picocom | $(v lines_tavermund_rounds) us |"
echo "| CPU per received line, \`picocom -b 9600\` on the same pty, interleaved | | $(v lines_picocom_rounds) us |"
echo "| Tavermund / picocom, median of the rounds | <= 1 | $(v lines_ratio_median) |"
echo "| CPU at 20,000 lines/s (20 lines every 1 ms, values running on), real binary (Xvfb), 10 s, 3 rounds, min / median / max | <= picocom | $(v steady_tavermund_percent) % of a core |"
echo "| The X server meanwhile | falls | $(v steady_tavermund_xserver_percent) % |"
echo "| \`picocom\` on the same pty, interleaved, its output to a pty that is read (X server: $(v steady_picocom_xserver_percent) %) | | $(v steady_picocom_percent) % |"
echo "| Bigger writes, same rate (199 lines every 9.95 ms): Tavermund; X server; picocom | | $(v bigger_tavermund_percent); $(v bigger_tavermund_xserver_percent); $(v bigger_picocom_percent) % |"
echo "| Same rate, the value never changing (nothing to paint): Tavermund; X server; picocom | | $(v unchanged_tavermund_percent); $(v unchanged_tavermund_xserver_percent); $(v unchanged_picocom_percent) % |"
echo "| Receiving thread's CPU per line (throughput run, offscreen), without / with the line log open | log: <= +1 us | $(v receive_cpu_us_per_line) / $(v receive_cpu_us_per_line_logged) us |"
echo "| Byte-to-label latency on an idle window (a quiet frame before each line), median | < 0.5 ms | $(v latency_median_ms) ms |"
echo "| Byte-to-label latency on an idle window, p99 | < 2 ms | $(v latency_p99_ms) ms |"
echo "| Write to the duty display painted, under a steady flow of 20 lines every 1 ms, median / p99 / max | < 1 frame (17 ms) + 2 ms | $(v flow_latency_median_ms) / $(v flow_latency_p99_ms) / $(v flow_latency_max_ms) ms |"
echo "| Click on \"50%\" to its command on the wire, under a flood (median / max of 20) | < 10 ms | $(v click_under_flood_median_ms) / $(v click_under_flood_max_ms) ms |"
echo "| CPU per 50 ms pacing pause | <= 1 ms | $(v pacing_cpu_ms_per_pause) ms |"
echo "| CPU per 50 ms pause of a spin loop (for comparison) | | $(v spin_cpu_ms_per_pause) ms ($(v spin_to_pacing_cpu_ratio) times more) |"
echo "| CPU while searching with no device answering, 60 s | < 0.5 % of a core | $(v search_cpu_percent_of_core_60s) % |"
echo "| Start-up to window shown (exec to mapped, median of 7) | | $(v startup_to_window_ms_median) ms |"
echo "| Resident memory after start-up | | $(v resident_kib_after_start) KiB |"
echo "| Resident memory before / peak / after a 100 MiB flood without CR | flat | $(v flood_resident_kib_before) / $(v flood_resident_kib_peak) / $(v flood_resident_kib_after) KiB |"
echo "| Time to find the device again behind the flood | | $(v flood_seconds_to_rediscover) s |"
