#!/bin/sh
# Runs every benchmark and prints the figures as a Markdown table, with the
# machine they ran on. Takes about three minutes (one of them is a 60 s
# idle measurement).
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh xvfb xauth xdotool bc
# Benchmarks build in a folder of their own, with the option that adds them.
BUILD_DIR=build-bench scripts/build.sh -DTAVERMUND_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT

QT_QPA_PLATFORM=offscreen build-bench/bench/bench_receive >>"$out" 2>/dev/null
build-bench/bench/bench_pacing >>"$out"
bench/measure_binary.sh build-bench all >>"$out"

v() { awk -v k="$1" '$1 == k {print $2}' "$out"; }
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
echo "Machine: $(nproc) cores, $cpu, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -sr)"
echo
echo "| Figure | Target | Measured |"
echo "|---|---|---|"
echo "| Receive throughput, pty -> MSComm1 -> lines -> HandleReply -> labels | >= 100,000 lines/s | $(v throughput_lines_per_s) lines/s |"
echo "| Byte-to-label latency, median | < 0.5 ms | $(v latency_median_ms) ms |"
echo "| Byte-to-label latency, p99 | < 2 ms | $(v latency_p99_ms) ms |"
echo "| CPU per 50 ms pacing pause | <= 1 ms | $(v pacing_cpu_ms_per_pause) ms |"
echo "| CPU per 50 ms pause of a spin loop (for comparison) | | $(v spin_cpu_ms_per_pause) ms ($(v spin_to_pacing_cpu_ratio) times more) |"
echo "| CPU while searching with no device answering, 60 s | < 0.5 % of a core | $(v search_cpu_percent_of_core_60s) % |"
echo "| Start-up to window shown (exec to mapped, median of 7) | | $(v startup_to_window_ms_median) ms |"
echo "| Resident memory after start-up | | $(v resident_kib_after_start) KiB |"
echo "| Resident memory before / peak / after a 100 MiB flood without CR | flat | $(v flood_resident_kib_before) / $(v flood_resident_kib_peak) / $(v flood_resident_kib_after) KiB |"
echo "| Time to find the device again behind the flood | | $(v flood_seconds_to_rediscover) s |"
