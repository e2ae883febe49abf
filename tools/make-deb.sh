#!/usr/bin/env bash
# Builds the Debian package: a release build installed under /usr, packed by CPack.
# Writes build-deb/kalvoren_<version>_<arch>.deb and prints its name.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DKALVOREN_BUILD_TESTS=OFF -DKALVOREN_BUILD_BENCH=OFF >/dev/null
cmake --build build-deb
(cd build-deb && cpack -G DEB >/dev/null)
ls build-deb/kalvoren_*.deb
