#!/bin/sh
# Builds the Debian package: build-deb/tavermund_<version>_<arch>.deb
# Install it with: sudo apt install ./build-deb/tavermund_*.deb
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh dpkg-dev file
BUILD_DIR=build-deb scripts/build.sh -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release
(cd build-deb && cpack -G DEB >/dev/null)
ls -1 "$PWD"/build-deb/tavermund_*.deb
