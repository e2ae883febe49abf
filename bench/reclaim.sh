#!/usr/bin/env bash
# What an optimization gives back, measured against `sync; echo 3 > /proc/sys/vm/drop_caches`.
# Page cache of a known size is made by reading a file in /tmp once inside a memory cgroup of
# its own (a cgroup v1 child of ours whose limit stands for a machine of LIMIT GiB), with a
# zram swap device on; then each method runs in that cgroup, in another order each round:
#
#   drop_caches       sync; echo 3 > /proc/sys/vm/drop_caches
#   baseline          $KALVOREN_BASELINE optimize --json --no-purge   (when given)
#   baseline+purge    $KALVOREN_BASELINE optimize --json
#   plan+purge        $KALVOREN optimize --json
#   plan              $KALVOREN optimize --json --no-purge
#
# For each it records wall and CPU time (user + system of the method's processes), MemFree and
# MemAvailable before and after, the page cache left in the cgroup, and the pages swapped out
# meanwhile (pswpout in /proc/vmstat) against the bytes the run touched; it prints every
# round and then the medians, with the MemFree rise as a ratio to drop_caches'.
#
#   bench/reclaim.sh [ROUNDS] [CACHE_GIB] [LIMIT_GIB]         defaults: 3 4 12
#   KALVOREN=build/kalvoren KALVOREN_BASELINE=../other-build/kalvoren bench/reclaim.sh
#
# Needs root and a cgroup v1 memory controller, and skips with a message otherwise. The zram
# device is one of its own (hot-added, so that a device in use elsewhere is left alone); it is
# swapped off, reset and removed, and the cgroup and the file are removed, on every exit.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
cache_gib=${2:-4}
limit_gib=${3:-12}
kalvoren=$(realpath "${KALVOREN:-build/kalvoren}")
baseline=${KALVOREN_BASELINE:+$(realpath "$KALVOREN_BASELINE")}

skip() { echo "reclaim: skipped: $*"; exit 0; }
[[ $(id -u) -eq 0 ]] || skip "needs root (drop_caches, cgroups, swap)"
[[ -x $kalvoren ]] || { echo "no executable at $kalvoren; build first" >&2; exit 2; }
own=$(awk -F: '$2 ~ /(^|,)memory(,|$)/ { print $3 }' /proc/self/cgroup)
mount=$(awk '$9 == "cgroup" && $NF ~ /(^|,)memory(,|$)/ { print $5; exit }' /proc/self/mountinfo)
[[ -n $own && -n $mount ]] || skip "no cgroup v1 memory controller"
[[ -w /sys/class/zram-control/hot_add ]] || skip "no zram (modprobe zram)"

cgroup=$mount${own%/}/kalvoren-reclaim-$$
file=/tmp/kalvoren-reclaim-$$.bin
log=$(mktemp -d /tmp/kalvoren-reclaim-log.XXXXXX)
zram=

cleanup() {
    set +e
    if [[ -n $zram ]]; then
        swapoff "/dev/zram$zram" 2>/dev/null
        echo 1 >"/sys/block/zram$zram/reset"
        echo "$zram" >/sys/class/zram-control/hot_remove
    fi
    if [[ -d $cgroup ]]; then
        for pid in $(cat "$cgroup/cgroup.procs"); do kill -KILL "$pid" 2>/dev/null; done
        for _ in $(seq 50); do rmdir "$cgroup" 2>/dev/null && break; sleep 0.1; done
    fi
    rm -f "$file"
    rm -rf "$log"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# -- the stage ------------------------------------------------------------------------------
zram=$(cat /sys/class/zram-control/hot_add)
echo $((limit_gib / 2))G >"/sys/block/zram$zram/disksize"
mkswap "/dev/zram$zram" >/dev/null
swapon "/dev/zram$zram"
mkdir "$cgroup"
echo $((limit_gib << 30)) >"$cgroup/memory.limit_in_bytes"
dd if=/dev/zero of="$file" bs=1M count=$((cache_gib << 10)) status=none
sync

# Runs a command inside the cgroup.
in_cgroup() { bash -c 'echo $$ >"$1/cgroup.procs" && shift && exec "$@"' _ "$cgroup" "$@"; }
meminfo_kb() { awk -v key="$1:" '$1 == key { print $2 }' /proc/meminfo; }
cgroup_stat() { awk -v key="$1" '$1 == key { print $2 }' "$cgroup/memory.stat"; }
pswpout() { awk '$1 == "pswpout" { print $2 }' /proc/vmstat; }
json_number() { sed -n "s/.*\"$1\":\([0-9.e+-]*\).*/\1/p" "$2"; }
drop_caches() { sync; echo 3 >/proc/sys/vm/drop_caches; }
export -f drop_caches

methods=(drop_caches plan+purge plan)
[[ -n $baseline ]] && methods=(drop_caches baseline baseline+purge plan+purge plan)
command_for() {
    case $1 in
    drop_caches) echo "bash -c drop_caches" ;;
    baseline) echo "$baseline optimize --json --no-purge" ;;
    baseline+purge) echo "$baseline optimize --json" ;;
    plan+purge) echo "$kalvoren optimize --json" ;;
    plan) echo "$kalvoren optimize --json --no-purge" ;;
    esac
}

results=$log/results
printf '%-15s %5s %8s %8s %10s %10s %11s %9s %10s %6s\n' method round wall_s cpu_s \
    free_gib avail_gib cache_left pswpout touched exit
for ((round = 0; round < rounds; round++)); do
    for ((i = 0; i < ${#methods[@]}; i++)); do
        method=${methods[$(((i + round) % ${#methods[@]}))]}
        # The same start for every method: nothing cached, then the file read once in the cgroup.
        drop_caches
        in_cgroup cat "$file" >/dev/null
        sleep 2
        free0=$(meminfo_kb MemFree)
        avail0=$(meminfo_kb MemAvailable)
        swap0=$(pswpout)
        TIMEFORMAT='%R %U %S'
        # shellcheck disable=SC2046
        { time in_cgroup $(command_for "$method") >"$log/out" 2>"$log/err"; } 2>"$log/time" \
            && status=0 || status=$?
        swap1=$(pswpout)
        free1=$(meminfo_kb MemFree)
        avail1=$(meminfo_kb MemAvailable)
        cache=$(($(cgroup_stat total_active_file) + $(cgroup_stat total_inactive_file)))
        read -r wall user sys <"$log/time"
        touched=$(json_number touched_bytes "$log/out")
        line=$(awk -v m="$method" -v r="$round" -v w="$wall" -v u="$user" -v s="$sys" \
            -v f0="$free0" -v f1="$free1" -v a0="$avail0" -v a1="$avail1" -v c="$cache" \
            -v p=$((swap1 - swap0)) -v t="${touched:-0}" -v x="$status" 'BEGIN {
                printf "%-15s %5d %8.2f %8.2f %10.2f %10.2f %11.0f %9d %10.2f %6d\n", m, r, w,
                    u + s, (f1 - f0) / 1048576, (a1 - a0) / 1048576, c / 1048576, p,
                    t / 1073741824, x }')
        echo "$line"
        echo "$line" >>"$results"
    done
done

# -- medians ----------------------------------------------------------------------------------
median() {
    sort -n | awk '{ v[NR] = $1 }
        END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
column_of() { awk -v m="$1" -v c="$2" '$1 == m { print $c }' "$results" | median; }
drop_rise=$(column_of drop_caches 5)
echo
echo "medians of $rounds rounds; $cache_gib GiB of page cache in a $limit_gib GiB cgroup;" \
    "zram swap on"
printf '%-15s %8s %8s %10s %8s %10s %11s %9s %10s %9s\n' method wall_s cpu_s free_gib \
    x_drop avail_gib cache_mib pswpout touched_g swap_pct
for method in "${methods[@]}"; do
    awk -v m="$method" -v w="$(column_of "$method" 3)" -v u="$(column_of "$method" 4)" \
        -v f="$(column_of "$method" 5)" -v d="$drop_rise" -v a="$(column_of "$method" 6)" \
        -v c="$(column_of "$method" 7)" -v p="$(column_of "$method" 8)" \
        -v t="$(column_of "$method" 9)" 'BEGIN {
            pct = t > 0 ? 100 * p * 4096 / (t * 1073741824) : 0
            printf "%-15s %8.2f %8.2f %10.2f %8.2f %10.2f %11.0f %9d %10.2f %9.3f\n", m, w, u, f,
                d != 0 ? f / d : 0, a, c, p, t, pct }'
done
echo "cgroup OOM kills: $(awk '$1 == "oom_kill" { print $2 }' "$cgroup/memory.oom_control")"
