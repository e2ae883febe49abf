#!/usr/bin/env bash
# Installs what is missing, builds Kalvoren and starts it. Arguments go to kalvoren.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVOREN_BUILD_TESTS=OFF \
    -DKALVOREN_BUILD_BENCH=OFF >/dev/null
cmake --build build --target kalvoren
exec ./build/kalvoren "$@"
