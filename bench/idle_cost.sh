#!/usr/bin/env bash
# Idle cost of the desktop program: runs the real kalvoren with its tray icon under a private
# Xvfb, tray host and session bus for a while, and reports its CPU share (utime+stime from
# /proc/PID/stat over the measured span), its resident memory, and the time to the first
# figures; `top -d 2 -b` runs beside it over the same span as the baseline.
#
#   bench/idle_cost.sh [SECONDS] [KALVOREN] [processes]   defaults: 600 and build/kalvoren
#
# With "processes", the process window is opened from the tray menu, left open for a few
# refreshes and closed again before the measured span: what it costs after it was closed.
#
# Targets: at most 0.05 % of one core, at most 40 MiB resident, first figures within 60 ms.
# Exit status 1 when a target is missed, 2 when the program could not be measured.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
kalvoren=$(realpath "${2:-build/kalvoren}")
after=${3:-}
settle=5
[[ -x $kalvoren ]] || { echo "no executable at $kalvoren; build first" >&2; exit 2; }
# Screenshots with the tests' image tool, built beside kalvoren when the tests are.
export E2E_IMAGE_TOOL=${E2E_IMAGE_TOOL:-$(dirname "$kalvoren")/kalvoren_image_tool}

# shellcheck source=../tests/e2e/lib.sh
source tests/e2e/lib.sh
e2e_start_display
e2e_start_tray
e2e_start_bus

log=$E2E_ARTIFACTS/idle_cost.kalvoren.log
KALVOREN_TRACE_STARTUP=1 "$kalvoren" >"$log" 2>&1 &
app=$!
E2E_PIDS+=("$app")
top -d 2 -b >/dev/null 2>&1 &
top_pid=$!
E2E_PIDS+=("$top_pid")

ticks_per_second=$(getconf CLK_TCK)
# utime + stime of a process, in clock ticks (fields 14 and 15, counted after the name).
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
status_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }
# Times the threads of a process went to sleep by themselves: its wake-ups, near enough.
wakeups() {
    cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n }'
}
alive() { kill -0 "$1" 2>/dev/null; }

# Let start-up finish (first sample, tray icon, window) before the idle span begins.
sleep "$settle"
alive "$app" || { echo "kalvoren exited during start-up:" >&2; cat "$log" >&2; exit 2; }

if [[ $after == processes ]]; then
    # The right button on the tray icon opens the menu; its fourth item is Processes.
    read -r _ icon_x icon_y icon_w _ <<<"$(e2e_tray_icon)"
    [[ -n ${icon_x:-} ]] || { echo "no tray icon to open the menu from" >&2; exit 2; }
    xdotool mousemove $((icon_x + icon_w / 2)) $((icon_y + 2)) click 3
    sleep 1
    xdotool key Down Down Down Down Return
    e2e_wait_for_window "Kalvoren Processes" 10 ||
        { echo "the process window did not open" >&2; exit 2; }
    sleep 6 # a few refreshes
    e2e_screenshot idle_cost_processes
    # There is no window manager to close it: ask the program's windows to close, as a
    # window's close button does (the panel and tray icon are not open top-level windows).
    "$kalvoren" processes --quit "$app" >/dev/null ||
        { echo "could not close the process window" >&2; exit 2; }
    for i in $(seq 1 50); do
        xdotool search --onlyvisible --name "Kalvoren Processes" >/dev/null 2>&1 || break
        sleep 0.1
    done
    sleep "$settle"
    alive "$app" || { echo "kalvoren exited with its process window" >&2; exit 2; }
fi
app_start=$(cpu_ticks "$app")
app_wakeups_start=$(wakeups "$app")
top_start=$(cpu_ticks "$top_pid")
span_start=$(date +%s.%N)
e2e_screenshot idle_cost_start
sleep "$seconds"
alive "$app" || { echo "kalvoren exited during the run:" >&2; cat "$log" >&2; exit 2; }
app_end=$(cpu_ticks "$app")
app_wakeups_end=$(wakeups "$app")
app_threads=$(status_kb "$app" Threads)
top_end=$(cpu_ticks "$top_pid")
span_end=$(date +%s.%N)
app_rss=$(status_kb "$app" VmRSS)
app_hwm=$(status_kb "$app" VmHWM)
top_rss=$(status_kb "$top_pid" VmRSS)
e2e_screenshot idle_cost_end

first=$(sed -n 's/^first figures after \([0-9-]*\) ms.*/\1/p' "$log" | head -n 1)
first_line=$(grep -m1 '^first figures after' "$log" || echo "first figures: no trace line")

awk -v span_s="$span_start" -v span_e="$span_end" -v hz="$ticks_per_second" \
    -v a0="$app_start" -v a1="$app_end" -v t0="$top_start" -v t1="$top_end" \
    -v rss="$app_rss" -v hwm="$app_hwm" -v trss="$top_rss" -v first="${first:--1}" \
    -v line="$first_line" -v w0="$app_wakeups_start" -v w1="$app_wakeups_end" \
    -v threads="$app_threads" '
BEGIN {
    span = span_e - span_s
    app = (a1 - a0) / hz / span * 100
    top = (t1 - t0) / hz / span * 100
    printf "measured span:        %.1f s (after %d s of start-up%s)\n", span, '"$settle"',
        "'"${after:+ and the $after window opened and closed}"'"
    printf "kalvoren CPU:         %.4f %% of one core (%d ticks of 1/%d s)\n", app, a1 - a0, hz
    printf "top -d 2 -b CPU:      %.4f %% of one core (%d ticks)\n", top, t1 - t0
    if (t1 > t0)
        printf "kalvoren / top:       %.3f\n", (a1 - a0) / (t1 - t0)
    printf "kalvoren resident:    %.1f MiB (peak %.1f MiB); top: %.1f MiB\n", rss / 1024,
        hwm / 1024, trss / 1024
    printf "kalvoren wake-ups:    %.2f a second; %d threads\n", (w1 - w0) / span, threads
    printf "%s\n", line
    ok = app <= 0.05 && rss <= 40 * 1024 && first >= 0 && first <= 60
    printf "targets (<= 0.05 %%, <= 40 MiB, <= 60 ms): %s\n", ok ? "met" : "MISSED"
    exit ok ? 0 : 1
}'
