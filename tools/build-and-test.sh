#!/usr/bin/env bash
# Installs what is missing, builds Kalvoren with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVOREN_BUILD_TESTS=ON \
    -DKALVOREN_BUILD_BENCH=ON
cmake --build build
mkdir -p artifacts
(cd build && ctest --output-on-failure --timeout 600)
