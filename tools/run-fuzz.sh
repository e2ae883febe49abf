#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build tree for a while; fails on the first crash, leak,
# sanitizer report or timeout, leaving the input that caused it in artifacts/fuzz/.
#   tools/run-fuzz.sh [BUILD_DIR] [SECONDS_EACH]     (defaults: build-fuzz 45)
# The corpus each target grows is kept in BUILD_DIR/corpus/NAME, so later runs start further.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-45}
list=$build/fuzzers.txt
[[ -s $list ]] || { echo "run-fuzz: no fuzz targets listed in $list" >&2; exit 1; }
mkdir -p artifacts/fuzz

status=0
while read -r name seeds; do
    [[ -n $name ]] || continue
    corpus=$build/corpus/$name
    mkdir -p "$corpus"
    echo "== $name: ${seconds}s"
    # shellcheck disable=SC2086 # seeds is a list of folders
    if ! "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -max_len=8192 -print_final_stats=1 -artifact_prefix="artifacts/fuzz/$name-" \
            "$corpus" $seeds >"artifacts/fuzz/$name.log" 2>&1; then
        echo "run-fuzz: $name failed; its log follows" >&2
        tail -n 60 "artifacts/fuzz/$name.log" >&2
        status=1
        continue
    fi
    grep -E '^stat::number_of_executed_units|^Done' "artifacts/fuzz/$name.log" || true
done <"$list"
exit $status
