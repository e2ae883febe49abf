#!/usr/bin/env bash
# The tray icon of the real program under Xvfb: without a tray host the window opens as an
# ordinary one; with trayer the icon appears, a click drops the panel down under the icon,
# a second click takes it away, a right click opens the menu.
# Usage: e2e_tray.sh PATH_TO_KALVOREN
set -uo pipefail
KALVOREN=${1:?path to kalvoren}
source "$(dirname "$0")/lib.sh"

e2e_require xdotool xwininfo trayer dbus-launch

fail() {
    echo "FAIL: $*"
    [[ -f "$WORK/kalvoren.log" ]] && sed 's/^/  kalvoren: /' "$WORK/kalvoren.log"
    e2e_screenshot e2e_tray_failure
    exit 1
}

WORK=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$WORK"' EXIT

# The panel: a large viewable window of ours.
panel() { e2e_kalvoren_windows | awk '$4 > 100 && $5 > 100' | head -n 1; }

has_tray_icon() { [[ -n "$(e2e_tray_icon)" ]]; }
has_panel() { [[ -n "$(panel)" ]]; }
no_panel() { [[ -z "$(panel)" ]]; }

start_kalvoren() {
    # A fresh configuration for every run: nothing from the user's own settings.
    export XDG_CONFIG_HOME="$WORK/config-$1"
    mkdir -p "$XDG_CONFIG_HOME"
    "$KALVOREN" >"$WORK/kalvoren.log" 2>&1 &
    KALVOREN_PID=$!
    E2E_PIDS+=("$KALVOREN_PID")
}

stop_kalvoren() {
    kill "$KALVOREN_PID" 2>/dev/null
    wait "$KALVOREN_PID" 2>/dev/null
}

rm -f "$E2E_ARTIFACTS"/e2e_tray_*.png
e2e_start_display
e2e_start_bus

# 1. No tray host: an ordinary window, and one line saying how to get a tray.
start_kalvoren notray
wait_until has_panel || fail "without a tray host the window did not open"
sleep 0.5
grep -q "No system tray found" "$WORK/kalvoren.log" || fail "no hint about the missing tray"
[[ $(grep -c "No system tray found" "$WORK/kalvoren.log") -eq 1 ]] || fail "hint repeated"
e2e_screenshot e2e_tray_no_tray_host
stop_kalvoren

# 2. With trayer in the top right corner.
e2e_start_tray
start_kalvoren tray
wait_until has_tray_icon || fail "the tray icon did not appear"
read -r ICON_ID ICON_X ICON_Y ICON_W ICON_H <<<"$(e2e_tray_icon)"
echo "tray icon $ICON_ID at $ICON_X,$ICON_Y size ${ICON_W}x$ICON_H"
sleep 0.5
no_panel || fail "the panel is shown before any click"

CLICK_X=$((ICON_X + ICON_W / 2))
CLICK_Y=$((ICON_Y + 2))
xdotool mousemove "$CLICK_X" "$CLICK_Y" click 1
wait_until has_panel || fail "the first click did not show the panel"
read -r _ PANEL_X PANEL_Y PANEL_W PANEL_H <<<"$(panel)"
echo "panel at $PANEL_X,$PANEL_Y size ${PANEL_W}x$PANEL_H after a click at $CLICK_X,$CLICK_Y"
# An XEmbed tray tells where the icon is: the panel drops from it, 110 left of its centre
# and just below it, kept on the screen.
SCREEN_W=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
WANT_X=$(((2 * ICON_X + ICON_W - 1) / 2 - 110))
((WANT_X + PANEL_W > SCREEN_W)) && WANT_X=$((SCREEN_W - PANEL_W))
WANT_Y=$((ICON_Y + ICON_H))
[[ $PANEL_Y -eq $WANT_Y ]] || fail "panel top $PANEL_Y, want $WANT_Y (just below the icon)"
[[ $PANEL_X -eq $WANT_X ]] || fail "panel left $PANEL_X, want $WANT_X (kept on the screen)"
sleep 0.5
e2e_screenshot e2e_tray_panel

xdotool mousemove "$CLICK_X" "$CLICK_Y" click 1
wait_until no_panel || fail "the second click did not hide the panel"
e2e_screenshot e2e_tray_hidden

# A third click shows it again; the right button opens the menu instead.
xdotool mousemove "$CLICK_X" "$CLICK_Y" click 1
wait_until has_panel || fail "the third click did not show the panel again"
xdotool mousemove "$CLICK_X" "$CLICK_Y" click 1
wait_until no_panel || fail "the fourth click did not hide the panel"

# The focus going to another window hides the panel too.
xdotool mousemove "$CLICK_X" "$CLICK_Y" click 1
wait_until has_panel || fail "the fifth click did not show the panel"
OTHER=$(xdotool search --onlyvisible --class trayer | head -n 1)
sleep 0.5
xdotool windowfocus "$OTHER"
wait_until no_panel || fail "the panel stayed when another window took the focus"
sleep 0.5

xdotool mousemove "$CLICK_X" "$CLICK_Y" click 3
has_menu() { e2e_kalvoren_windows | awk '$4 > 100 && $5 > 100' | grep -q .; }
wait_until has_menu || fail "the right click did not open the menu"
sleep 0.3
e2e_screenshot e2e_tray_menu
# The memory log from the menu (the second item under the title), with half a minute of
# samples in its chart.
xdotool key Down Down Return
log_shown() { xdotool search --onlyvisible --name '^Memory Log$' >/dev/null 2>&1; }
wait_until log_shown || fail "Memory Log... did not open the log window"
sleep 30
e2e_screenshot e2e_log_window

kill -0 "$KALVOREN_PID" 2>/dev/null || fail "kalvoren ended by itself"
stop_kalvoren
echo "e2e_tray: 1 passed, 0 failed"
