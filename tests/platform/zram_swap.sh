#!/usr/bin/env bash
# Real compressed swap: sets up a zram device of its own as swap, pushes a process in a small
# cgroup v1 memory child out to it, and checks that `kalvoren stats --json` reports the swap
# and the device as the kernel's files, swapon and zramctl do. Needs root, a cgroup v1 memory
# controller and zram; skips (77) with a message otherwise. The device, the swap and the
# cgroup are taken away again in every case.
#   zram_swap.sh PATH_TO_KALVOREN
set -euo pipefail
kalvoren=${1:?path to kalvoren}
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ $(id -u) -eq 0 ]] || skip "needs root to set up swap"
for tool in mkswap swapon swapoff perl jq; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[[ -w /sys/class/zram-control/hot_add ]] || modprobe zram 2>/dev/null || true
[[ -w /sys/class/zram-control/hot_add ]] || skip "no zram module"
memory=$(awk -F: '$2 == "memory" { print $3 }' /proc/self/cgroup)
mount=$(awk '$9 == "cgroup" && $NF ~ /(^|,)memory(,|$)/ { print $5; exit }' /proc/self/mountinfo)
[[ -n $memory && -n $mount && -d $mount$memory ]] || skip "no cgroup v1 memory controller"

id=$(cat /sys/class/zram-control/hot_add) || skip "cannot add a zram device"
device=zram$id
group=$mount$memory/kalvoren-zram-$$
hog=
out=$(mktemp)
cleanup() {
    set +e
    rm -f "$out"
    [[ -n $hog ]] && kill "$hog" 2>/dev/null && wait "$hog" 2>/dev/null
    [[ -d $group ]] && rmdir "$group" 2>/dev/null
    swapoff "/dev/$device" 2>/dev/null
    echo 1 >"/sys/block/$device/reset" 2>/dev/null
    echo "$id" >/sys/class/zram-control/hot_remove 2>/dev/null
    true
}
trap cleanup EXIT

echo 256M >"/sys/block/$device/disksize"
mkswap "/dev/$device" >/dev/null
swapon -p 32767 "/dev/$device" # before any other swap there is
mkdir "$group" || skip "cannot make a child memory cgroup"
echo $((64 << 20)) >"$group/memory.limit_in_bytes"

# 160 MiB of text made of a few words in random order (it compresses a few times over) in a
# 64 MiB cgroup: the rest goes out to swap. The process joins the cgroup before it allocates.
perl -e 'open(my $f, ">", $ARGV[0]) or die; print $f $$; close $f;
         my @words = qw(memory page swap zram cache pressure free wired active inactive);
         my @blocks = map { join " ", map { $words[int(rand(@words))] } 1 .. 150000 }
                      1 .. 160;
         print "ready\n"; $| = 1; sleep 300' "$group/cgroup.procs" >"$out" &
hog=$!
for _ in $(seq 1 600); do
    grep -q ready "$out" && break
    kill -0 "$hog" 2>/dev/null || fail "the process that fills memory ended"
    sleep 0.1
done
sleep 1 # let reclaim settle

read -r swap_size swap_used < <(swapon --show=NAME,SIZE,USED --bytes --noheadings |
    awk -v d="/dev/$device" '$1 == d { print $2, $3 }')
[[ -n ${swap_used:-} && $swap_used -gt $((32 << 20)) ]] ||
    fail "nothing went out to $device (swapon: ${swap_used:-none} used)"
read -r orig compr used _ <"/sys/block/$device/mm_stat"
json=$("$kalvoren" stats --json)
field() { jq -r ".$1 // \"absent\"" <<<"$json"; }
zram() { jq -r --arg d "$device" ".zram[]? | select(.device == \$d) | .$1" <<<"$json"; }
total_kb=$(awk '$1 == "SwapTotal:" { print $2 }' /proc/meminfo)
echo "swapon: $device size $swap_size used $swap_used; mm_stat orig $orig compr $compr used $used"
echo "kalvoren: swap total $(field swap_total_bytes) used $(field swap_used_bytes);" \
     "$device orig $(zram orig_data_bytes) compr $(zram compr_data_bytes)" \
     "used $(zram mem_used_bytes) size $(zram disksize_bytes) $(zram algorithm)"

[[ $(field swap_total_bytes) -eq $((total_kb * 1024)) ]] || fail "swap total differs"
[[ $(zram disksize_bytes) -eq $((256 << 20)) ]] || fail "disksize differs"
[[ -n $(zram algorithm) ]] || fail "no compressor named"
# The figures move a little between the kernel's reading and ours: within 1 %.
near() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= b / 100) }'; }
near "$(zram orig_data_bytes)" "$orig" || fail "orig_data_size differs"
near "$(zram compr_data_bytes)" "$compr" || fail "compr_data_size differs"
near "$(field swap_used_bytes)" "$swap_used" || true # other swap may be in use too
if command -v zramctl >/dev/null; then
    read -r data comprz < <(zramctl --bytes --raw --noheadings --output NAME,DATA,COMPR |
        awk -v d="/dev/$device" '$1 == d { print $2, $3 }')
    echo "zramctl: data $data compr $comprz"
    near "$(zram orig_data_bytes)" "$data" || fail "zramctl's DATA differs"
fi
echo "zram_swap: 1 passed, 0 failed"
