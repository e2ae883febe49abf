#!/usr/bin/env bash
# The real program on Wayland: sway's headless backend with swaybar's tray, a
# StatusNotifierItem host that draws no menu of its own. The item registers, the host's
# click (Activate) maps the panel floating at its own small size, Escape unmaps it, and the
# host's right click (ContextMenu) opens Kalvoren's menu.
# sway refuses to run as root: as root the test runs it as the system user kalvoren-e2e,
# created when missing.
# Usage: e2e_sway.sh PATH_TO_KALVOREN
set -uo pipefail
KALVOREN=${1:?path to kalvoren}
source "$(dirname "$0")/lib.sh"

e2e_require sway swaybar swaymsg grim wtype jq gdbus dbus-run-session
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
    e2e_skip "Qt's Wayland platform (qt6-wayland) is not installed"

SWAY_USER=kalvoren-e2e
if [[ $(id -u) -eq 0 ]]; then
    if ! id "$SWAY_USER" >/dev/null 2>&1; then
        # A system user without a home or a login shell; it stays for the next run.
        useradd --system --user-group --no-create-home --home-dir /nonexistent \
            --shell /usr/sbin/nologin "$SWAY_USER" 2>/dev/null ||
            e2e_skip "cannot create the user $SWAY_USER to run sway"
    fi
else
    SWAY_USER=$(id -un)
fi

WORK=$(mktemp -d)
chmod 755 "$WORK"
mkdir -m 700 "$WORK/run" "$WORK/home"
# The user may not reach the build tree: it runs a copy.
# kalvoren starts kalvoren-desktop from beside itself.
cp "$KALVOREN" "$WORK/kalvoren"
cp "$(dirname "$KALVOREN")/kalvoren-desktop" "$WORK/kalvoren-desktop"
chmod 755 "$WORK/kalvoren" "$WORK/kalvoren-desktop"
[[ $(id -u) -eq 0 ]] && chown "$SWAY_USER": "$WORK/run" "$WORK/home"

# as_user COMMAND...: runs it as the sway user, in sway's session once that is up.
as_user() {
    local env=(PATH=/usr/local/bin:/usr/bin:/bin HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run"
        LANG=C.UTF-8)
    [[ -s $WORK/home/session ]] && mapfile -t -O ${#env[@]} env <"$WORK/home/session"
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u "$SWAY_USER" -- env -i "${env[@]}" "$@"
    else
        env -i "${env[@]}" "$@"
    fi
}

stop_sway() {
    # sway's exit ends swaybar, and kalvoren loses its display; dbus-run-session then ends
    # the bus.
    [[ -n "${KALVOREN_PID:-}" ]] && kill "$KALVOREN_PID" 2>/dev/null
    [[ -s $WORK/home/session ]] && as_user swaymsg exit >/dev/null 2>&1
    [[ -n "${SWAY_PID:-}" ]] && wait "$SWAY_PID" 2>/dev/null
}
trap 'stop_sway; e2e_cleanup; rm -rf "$WORK"' EXIT

fail() {
    echo "FAIL: $*"
    sed 's/^/  kalvoren: /' "$WORK/home/kalvoren.log" 2>/dev/null
    as_user grim - >"$E2E_ARTIFACTS/e2e_sway_failure.png" 2>/dev/null
    exit 1
}


# One output of 1280 x 800, swaybar at the top with its tray, and the session's addresses
# written where the test reads them.
cat >"$WORK/config" <<EOF
output HEADLESS-1 resolution 1280x800
bar {
    position top
    status_command while echo Kalvoren; do sleep 5; done
    tray_output *
}
exec env | grep -E '^(WAYLAND_DISPLAY|DBUS_SESSION_BUS_ADDRESS|SWAYSOCK)=' \
    >$WORK/home/session.new \
    && mv $WORK/home/session.new $WORK/home/session
EOF
chmod 644 "$WORK/config"

rm -f "$E2E_ARTIFACTS"/e2e_sway_*.png
as_user env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    dbus-run-session -- sway -c "$WORK/config" >"$WORK/sway.log" 2>&1 &
SWAY_PID=$!
session_up() { [[ -s $WORK/home/session ]] && as_user swaymsg -t get_version >/dev/null 2>&1; }
if ! wait_until session_up; then
    sed 's/^/  sway: /' "$WORK/sway.log" | tail -n 5
    e2e_skip "sway's headless backend did not start"
fi

watcher() {
    as_user gdbus call --session --dest org.kde.StatusNotifierWatcher \
        --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get \
        org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}
host_registered() { watcher IsStatusNotifierHostRegistered | grep -q true; }
item() {
    watcher RegisteredStatusNotifierItems | grep -o "'[^']*/StatusNotifierItem'" | tr -d "'"
}
wait_until host_registered || e2e_skip "swaybar's tray did not come up"

# Lines "TYPE WIDTH HEIGHT NAME" for each window of the program that sway manages.
windows() {
    as_user swaymsg -t get_tree |
        jq -r '.. | objects | select(.app_id? == "org.kalvoren.Kalvoren")
               | "\(.type) \(.rect.width) \(.rect.height) \(.name)"'
}
panel_shown() { windows | grep -q ' Kalvoren$'; }
# "X Y" of the panel on the screen.
panel_position() {
    as_user swaymsg -t get_tree |
        jq -r '.. | objects | select(.app_id? == "org.kalvoren.Kalvoren" and .name == "Kalvoren")
               | "\(.rect.x) \(.rect.y)"' | head -n 1
}
panel_hidden() { ! panel_shown; }
# sni METHOD: what swaybar sends for a click (Activate) or a right click (ContextMenu).
sni() {
    local it
    it=$(item)
    as_user gdbus call --session --dest "${it%%/*}" --object-path /StatusNotifierItem \
        --method "org.kde.StatusNotifierItem.$1" 1268 12 >/dev/null
}

# Started by sway, kalvoren shares its session: the bus and the Wayland display.
cat >"$WORK/start-kalvoren" <<EOF
#!/bin/sh
echo \$\$ >$WORK/home/kalvoren.pid
exec env QT_QPA_PLATFORM=wayland XDG_CONFIG_HOME=$WORK/home/config $WORK/kalvoren \\
    >$WORK/home/kalvoren.log 2>&1
EOF
chmod 755 "$WORK/start-kalvoren"
as_user swaymsg exec "$WORK/start-kalvoren" >/dev/null
wait_until test -s "$WORK/home/kalvoren.pid" || fail "sway did not start kalvoren"
KALVOREN_PID=$(cat "$WORK/home/kalvoren.pid")

# 1. The item registers with swaybar's watcher; no window is shown yet.
has_item() { [[ -n "$(item)" ]]; }
wait_until has_item || fail "no StatusNotifierItem registered"
echo "item: $(item)"
sleep 1
[[ -z "$(windows)" ]] || fail "a window is shown before any click: $(windows)"

# 2. A click maps the panel, floating (not tiled over the screen) at its own size.
sni Activate
wait_until panel_shown || fail "Activate did not show the panel"
read -r TYPE W H _ <<<"$(windows | grep ' Kalvoren$')"
echo "panel: $TYPE ${W}x$H"
[[ $TYPE == floating_con ]] || fail "the panel is tiled ($TYPE ${W}x$H), not floating"
((W < 400 && H < 600)) || fail "the panel is ${W}x$H, not its own small size"
sleep 0.3
as_user grim - >"$E2E_ARTIFACTS/e2e_sway_panel.png"

# 3. Escape unmaps it.
as_user wtype -k Escape
wait_until panel_hidden || fail "Escape did not hide the panel"

# 4. A right click opens the menu, from the panel: a Wayland menu opens from a window of
# ours. The popup is not in sway's tree; the screen shows it beside the panel.
as_user grim - >"$WORK/before.png"
sni ContextMenu
wait_until panel_shown || fail "ContextMenu did not bring up the panel for the menu"
sleep 1
as_user grim - >"$E2E_ARTIFACTS/e2e_sway_menu.png"
# The figures in the panel change with every sample; only the menu reaches past its edges.
read -r CHANGED_W CHANGED_H CHANGED_X _ < <("$E2E_IMAGE_TOOL" diff "$WORK/before.png" \
    "$E2E_ARTIFACTS/e2e_sway_menu.png" | tr 'x+' '  ')
read -r PANEL_X _ <<<"$(panel_position)"
echo "changed on the screen: ${CHANGED_W}x$CHANGED_H at x $CHANGED_X; panel at x $PANEL_X"
((CHANGED_X < PANEL_X || CHANGED_X + CHANGED_W > PANEL_X + W)) ||
    fail "no menu beside the panel (changed ${CHANGED_W}x$CHANGED_H+$CHANGED_X)"
as_user wtype -k Escape

kill -0 "$KALVOREN_PID" 2>/dev/null || fail "kalvoren ended by itself"
echo "e2e_sway: 1 passed, 0 failed"
