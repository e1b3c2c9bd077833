#!/bin/sh
# Compiles every source of the core, the window and the command line for
# Windows, without linking: mingw-w64's g++ in syntax-only mode, against
# Debian's Qt 6 headers, with the defines and include roots of the Linux
# build in build/ (or $BUILD_DIR), configured afresh first (not built).
# Fails on any error, and on any warning under -Wall -Wextra. See
# cmake/WindowsCheck.cmake for exactly what differs from the Linux compile.
#
# It proves that the Windows side of every seam (the _windows.cpp files)
# and every shared file compile for Windows with Qt's own headers. It does
# not prove that the program links or runs there: no Qt for MinGW is
# packaged here, and Debian's headers are configured for Linux.
set -eu
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
compiler=x86_64-w64-mingw32-g++-posix
scripts/deps.sh g++-mingw-w64-x86-64-posix
cmake -S . -B "$build" >/dev/null

started=$(date +%s)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -DBUILD="$build" -DOUT="$work" -DCOMPILER="$compiler" -P cmake/WindowsCheck.cmake
make -f "$work/Makefile" -j"$(nproc)" -k
echo "check-windows: $(wc -l <"$work/sources") files compile for Windows, without a warning ($(($(date +%s) - started)) s)"
