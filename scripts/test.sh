#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite through
# CTest. Extra arguments go to ctest (e.g. -L link, -R window).
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j"$(nproc)" "$@"
