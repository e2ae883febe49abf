#!/usr/bin/env bash
# CPU time of `kalvoren stats` (and `kalvoren --version`) as whole processes, against
# `qtpaths6 --version`, a program that links Qt Core only: batches of runs, alternated so that
# both see the same machine, median ratio of CPU (user + system) per run.
#   bench/cli_startup.sh [KALVOREN] [BATCHES] [RUNS_PER_BATCH]   (build/kalvoren 9 40)
set -euo pipefail
kalvoren=${1:-build/kalvoren}
batches=${2:-9}
runs=${3:-40}
baseline=$(command -v qtpaths6 || echo /usr/lib/qt6/bin/qtpaths)
[[ -x $kalvoren && -x $baseline ]] || { echo "usage: $0 [KALVOREN] [BATCHES] [RUNS]" >&2; exit 2; }

# CPU seconds (user + system of the children) of RUNS runs of a command.
cpu_of() {
    local TIMEFORMAT='%U %S' line
    line=$({ time (for ((i = 0; i < runs; i++)); do "$@" >/dev/null; done); } 2>&1)
    awk '{ printf "%.4f", $1 + $2 }' <<<"$line"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

declare -a stats_ratios version_ratios
for ((b = 0; b < batches; b++)); do
    base=$(cpu_of "$baseline" --version)
    stats=$(cpu_of "$kalvoren" stats)
    version=$(cpu_of "$kalvoren" --version)
    stats_ratios+=("$(awk -v a="$stats" -v b="$base" 'BEGIN { printf "%.3f", a / b }')")
    version_ratios+=("$(awk -v a="$version" -v b="$base" 'BEGIN { printf "%.3f", a / b }')")
    printf 'batch %d: qtpaths6 %.2f ms, stats %.2f ms, --version %.2f ms per run\n' "$b" \
        "$(awk -v t="$base" -v n="$runs" 'BEGIN { print 1000 * t / n }')" \
        "$(awk -v t="$stats" -v n="$runs" 'BEGIN { print 1000 * t / n }')" \
        "$(awk -v t="$version" -v n="$runs" 'BEGIN { print 1000 * t / n }')"
done
stats_median=$(printf '%s\n' "${stats_ratios[@]}" | median)
version_median=$(printf '%s\n' "${version_ratios[@]}" | median)
echo "median CPU ratio, kalvoren stats / qtpaths6 --version:     $stats_median (goal <= 1.2)"
echo "median CPU ratio, kalvoren --version / qtpaths6 --version: $version_median"
echo "shared libraries loaded by kalvoren: $(ldd "$kalvoren" | wc -l)" \
    "(qtpaths6: $(ldd "$baseline" | wc -l))"
