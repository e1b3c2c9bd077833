#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite through
# CTest, in three builds:
#   build/       the normal build: unit, window, end-to-end and fault tests
#   build-asan/  the same suite under AddressSanitizer + UBSan
#   build-fuzz/  clang + libFuzzer: a 20 s smoke run of every fuzz target
# Usage: scripts/test.sh [--quick]   (--quick: the normal build only)
set -eu
cd "$(dirname "$0")/.."
quick=0
[ "${1:-}" = "--quick" ] && quick=1
jobs=$(nproc)

scripts/deps.sh

echo "== normal build"
BUILD_DIR=build scripts/build.sh
ctest --test-dir build --output-on-failure -j"$jobs"
[ -f build/tests/fault-table.md ] && { echo "== fault suite"; cat build/tests/fault-table.md; }
[ $quick -eq 1 ] && exit 0
scripts/deps.sh clang-14 libclang-rt-14-dev

echo "== sanitizer build (ASan + UBSan)"
BUILD_DIR=build-asan scripts/build.sh -DTAVERMUND_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== fuzz smoke runs"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVERMUND_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_settings fuzz_replies fuzz_numbers
ctest --test-dir build-fuzz -L fuzz --output-on-failure -j3
