#!/bin/sh
# Runs one libFuzzer target for longer than its 20 s smoke test, on a scratch
# copy of its seed corpus, and prints how many inputs it ran.
#   scripts/fuzz.sh <settings|replies|numbers> [seconds] [extra libFuzzer args...]
# Seconds default to 600. The run's corpus, log and anything found (crash-*,
# timeout-*, oom-*) stay in build-fuzz/runs/<target>-<time>/.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

usage() {
    echo "usage: $0 <settings|replies|numbers> [seconds] [extra libFuzzer args...]" >&2
    exit 2
}

[ $# -ge 1 ] || usage
target=$1
shift
case "$target" in
settings | replies | numbers) ;;
*) usage ;;
esac
seconds=600
if [ $# -ge 1 ]; then
    case "$1" in
    '' | *[!0-9]*) ;; # not a number: the libFuzzer arguments start here
    *)
        seconds=$1
        shift
        ;;
    esac
fi

scripts/deps.sh clang-14 libclang-rt-14-dev

build="$root/build-fuzz"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DTAVERMUND_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "fuzz_$target" -j"$(nproc)"

run="$build/runs/$target-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$run"
cp -R "$root/tests/fuzz/corpus/$target" "$run/corpus"

# UBSan only reports and goes on unless told to stop; a report is a finding.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
echo "Fuzzing $target for $seconds s in $run"
# With -jobs the workers log to fuzz-<n>.log in the current folder.
cd "$run"
{
    status=0
    "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$run/" "$@" "$run/corpus" 2>&1 || status=$?
    echo "$status" >"$run/status"
} | tee "$run/log.txt"
status=$(cat "$run/status")

# With -jobs, log.txt repeats every worker's log: count the workers' own.
logs="$run/log.txt"
if ls "$run"/fuzz-*.log >/dev/null 2>&1; then logs="$run/fuzz-*.log"; fi
# shellcheck disable=SC2086 # the glob is meant to expand
execs=$(cat $logs 2>/dev/null |
    awk '/^stat::number_of_executed_units:/ { n += $2 } END { print n + 0 }')
echo "Executions: $execs (exit status $status; corpus, log and findings in $run)"
exit "$status"
