#!/bin/sh
# Configures and builds into build/ (or $BUILD_DIR), warnings as errors.
set -eu
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVERMUND_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
