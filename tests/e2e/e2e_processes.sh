#!/usr/bin/env bash
# Polite quit end to end: a real xterm window on a private X server is asked to close through
# `kalvoren processes --quit PID`, and the xterm must end by itself; then force quit ends a
# windowless process, and a process without a window gets a clear refusal.
set -uo pipefail
KALVOREN=${1:?usage: e2e_processes.sh path/to/kalvoren}
source "$(dirname "$0")/lib.sh"

command -v xterm >/dev/null || e2e_skip "xterm is not installed"
e2e_start_display

fail() { echo "FAIL: $*"; exit 1; }

# waits up to $2 seconds for pid $1 to end
wait_gone() {
    local i
    for i in $(seq 1 $(($2 * 10))); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

xterm -title kalvoren-e2e-target -e sleep 120 &
target=$!
E2E_PIDS+=("$target")
e2e_wait_for_window kalvoren-e2e-target 10 || fail "the xterm window did not appear"
# xterm answers a close request by hanging up its child; until the child runs, a hang-up can
# be lost and the window stays. Wait until the child is there, as a user would see a prompt.
for i in $(seq 1 100); do
    pgrep -P "$target" sleep >/dev/null && break
    sleep 0.1
done
e2e_screenshot processes-before-quit

"$KALVOREN" processes --json | grep -q "\"pid\":$target," \
    || fail "kalvoren processes does not list the xterm ($target)"
out=$("$KALVOREN" processes --quit "$target" 2>&1) || fail "polite quit failed: $out"
echo "$out"
wait_gone "$target" 10 || fail "xterm $target did not close after the polite quit"
wait "$target" 2>/dev/null
status=$?
[[ $status -lt 128 ]] || fail "xterm ended by signal (status $status), not by closing its window"

# A process with no window: polite quit says so and leaves it running; force quit ends it.
sleep 120 &
plain=$!
E2E_PIDS+=("$plain")
if out=$("$KALVOREN" processes --quit "$plain" 2>&1); then
    fail "polite quit of a windowless process claimed success: $out"
fi
echo "$out" | grep -q "no window" || fail "unexpected message: $out"
kill -0 "$plain" || fail "the windowless process ended on a polite quit"
"$KALVOREN" processes --force-quit "$plain" || fail "force quit failed"
wait_gone "$plain" 5 || fail "force quit did not end $plain"
wait "$plain" 2>/dev/null
[[ $? -eq 143 ]] || fail "force quit did not end $plain with SIGTERM"

# An X server that has stopped answering: the polite quit gives up after its deadline and says
# so, instead of hanging for good.
sleep 120 &
waiting=$!
E2E_PIDS+=("$waiting")
xserver=${E2E_PIDS[0]} # e2e_start_display's Xvfb
kill -STOP "$xserver"
started=$SECONDS
out=$(timeout 60 "$KALVOREN" processes --quit "$waiting" 2>&1)
status=$?
kill -CONT "$xserver"
[[ $status -ne 124 ]] || fail "polite quit hung on a stopped X server"
[[ $status -ne 0 ]] || fail "polite quit claimed success on a stopped X server: $out"
echo "$out" | grep -q "did not answer" || fail "unexpected message: $out"
echo "stopped X server: gave up after $((SECONDS - started)) s: $out"
echo "PASS"
