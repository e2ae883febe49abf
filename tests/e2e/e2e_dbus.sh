#!/usr/bin/env bash
# The scripting interface of the real program, called by the real clients (gdbus, dbus-send)
# on a private X server and session bus; then a second start, and a start by the bus itself.
#   e2e_dbus.sh PATH/TO/kalvoren
set -euo pipefail
KALVOREN=$1
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/lib.sh"

e2e_require gdbus dbus-send dbus-launch dbus-daemon xdotool

WORK=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$WORK"' EXIT

fail() {
    echo "FAIL: $*"
    echo "--- kalvoren's standard error:"
    cat "$WORK"/*.err 2>/dev/null || true
    e2e_screenshot e2e_dbus_failed
    exit 1
}

# has_owner: true while some program owns org.kalvoren.Kalvoren on the current bus.
has_owner() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner org.kalvoren.Kalvoren 2>/dev/null |
        grep -q true
}

wait_for_owner() {
    local i
    for i in $(seq 1 200); do has_owner && return 0; sleep 0.1; done
    return 1
}

e2e_start_display
e2e_start_bus
# In German: the reply is read by scripts, so it stays as it is in every language.
export LANGUAGE=de

# Both notices hidden, so a call starts a run at once and no panel waits for a click.
export XDG_CONFIG_HOME=$WORK/config
mkdir -p "$XDG_CONFIG_HOME/Kalvoren"
printf '[General]\nhideHelper1=yes\nhideHelper2=yes\n' >"$XDG_CONFIG_HOME/Kalvoren/Kalvoren.conf"

"$KALVOREN" 2>"$WORK/first.err" &
first=$!
E2E_PIDS+=("$first")
wait_for_owner || fail "kalvoren did not appear on the session bus"

reply=$(gdbus call --session --dest org.kalvoren.Kalvoren --object-path /org/kalvoren/Kalvoren \
    --method org.kalvoren.Kalvoren.optimize) || fail "gdbus call failed"
[[ $reply == "('Kalvoren Optimize Initiated',)" ]] || fail "gdbus got: $reply"

reply=$(dbus-send --session --print-reply --dest=org.kalvoren.Kalvoren /org/kalvoren/Kalvoren \
    org.kalvoren.Kalvoren.optimize) || fail "dbus-send failed"
grep -q 'string "Kalvoren Optimize Initiated"' <<<"$reply" || fail "dbus-send got: $reply"

for i in $(seq 1 50); do
    [[ $(grep -c '^optimizeScriptCommand:org.kalvoren.Kalvoren.optimize from :' \
        "$WORK/first.err") -eq 2 ]] && break
    sleep 0.1
done
[[ $(grep -c '^optimizeScriptCommand:org.kalvoren.Kalvoren.optimize from :' \
    "$WORK/first.err") -eq 2 ]] || fail "expected one log line per call"

# A second start hands over to the first and ends with status 0.
"$KALVOREN" 2>"$WORK/second.err" || fail "the second start exited with $?"
kill -0 "$first" || fail "the first instance went away"
grep -q '^showWindow:org.kalvoren.Kalvoren.showWindow from :' "$WORK/first.err" ||
    fail "the first instance was not asked to show its window"
e2e_wait_for_window '^Kalvoren$' 10 || fail "the main window is not on screen"
e2e_screenshot e2e_dbus_handover

kill "$first"
wait "$first" 2>/dev/null || true
for i in $(seq 1 50); do has_owner || break; sleep 0.1; done

# Started by the bus: a call to the absent name runs the service file's Exec line.
mkdir -p "$WORK/services"
sed "s|@CMAKE_INSTALL_FULL_BINDIR@/kalvoren|$KALVOREN|" \
    "$HERE/../../data/org.kalvoren.Kalvoren.service.in" \
    >"$WORK/services/org.kalvoren.Kalvoren.service"
cat >"$WORK/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <servicedir>$WORK/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
exec 3< <(dbus-daemon --config-file="$WORK/bus.conf" --nofork --print-address=1 \
    --print-pid=1 2>/dev/null)
read -r -u 3 address
read -r -u 3 daemon_pid
E2E_PIDS+=("$daemon_pid")
export DBUS_SESSION_BUS_ADDRESS=$address
reply=$(gdbus call --session --dest org.kalvoren.Kalvoren --object-path /org/kalvoren/Kalvoren \
    --method org.kalvoren.Kalvoren.showWindow --timeout 30) ||
    fail "the bus could not start kalvoren from its service file"
has_owner || fail "the started kalvoren does not own the name"
started=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID org.kalvoren.Kalvoren |
    tr -dc '0-9')
[[ -n $started ]] && E2E_PIDS+=("$started")
echo "PASS: optimize answered gdbus and dbus-send, second start handed over, bus start works"
