#!/usr/bin/env bash
# The real program under openbox with xfce4-panel's status tray, a StatusNotifierItem host,
# under Xvfb: the icon registers and shows, a click maps the panel marked skip-taskbar and
# skip-pager, Escape unmaps it, a right click shows the menu.
# Usage: e2e_xfce.sh PATH_TO_KALVOREN
set -uo pipefail
KALVOREN=${1:?path to kalvoren}
source "$(dirname "$0")/lib.sh"

e2e_require openbox xfce4-panel xdotool xprop xwininfo dbus-launch gdbus

WORK=$(mktemp -d)
trap 'e2e_cleanup; rm -rf "$WORK"' EXIT

fail() {
    echo "FAIL: $*"
    [[ -f "$WORK/kalvoren.log" ]] && sed 's/^/  kalvoren: /' "$WORK/kalvoren.log"
    e2e_screenshot e2e_xfce_failure
    exit 1
}


panel() { e2e_kalvoren_windows | awk '$4 > 100 && $5 > 200' | head -n 1; }
has_panel() { [[ -n "$(panel)" ]]; }
no_panel() { [[ -z "$(panel)" ]]; }

watcher() {
    gdbus call --session --dest org.kde.StatusNotifierWatcher \
        --object-path /StatusNotifierWatcher --method org.freedesktop.DBus.Properties.Get \
        org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}
host_registered() { watcher IsStatusNotifierHostRegistered | grep -q true; }
item_registered() { watcher RegisteredStatusNotifierItems | grep -q StatusNotifierItem; }

# xfce4-panel's settings live in xfconf, which the session bus starts on demand: a panel at the
# top with a task list (to show what gets a button) and the status tray.
export XDG_CONFIG_HOME="$WORK/config"
export XDG_CACHE_HOME="$WORK/cache"
channel="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
mkdir -p "$channel"
cat >"$channel/xfce4-panel.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="28"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="tasklist"/>
    <property name="plugin-2" type="string" value="systray"/>
  </property>
</channel>
EOF

rm -f "$E2E_ARTIFACTS"/e2e_xfce_*.png
e2e_start_display
e2e_start_bus

openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
E2E_PIDS+=($!)
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_until wm_running || e2e_skip "openbox did not start"

xfce4-panel --disable-wm-check >"$WORK/panel.log" 2>&1 &
E2E_PIDS+=($!)
wait_until host_registered || e2e_skip "xfce4-panel's status tray did not come up"
sleep 1
"$E2E_IMAGE_TOOL" grab "$WORK/before.png"

"$KALVOREN" >"$WORK/kalvoren.log" 2>&1 &
KALVOREN_PID=$!
E2E_PIDS+=("$KALVOREN_PID")

# 1. The item registers with the panel's watcher, and its icon appears in the tray: the only
# change on the screen, so the difference from before locates it.
wait_until item_registered || fail "no StatusNotifierItem registered"
sleep 1.5
"$E2E_IMAGE_TOOL" grab "$WORK/after.png"
read -r ICON_W ICON_H ICON_X ICON_Y < <("$E2E_IMAGE_TOOL" diff "$WORK/before.png" \
    "$WORK/after.png" | tr 'x+' '  ')
[[ -n "${ICON_W:-}" && $ICON_W -le 48 && $ICON_H -le 48 && $ICON_Y -lt 28 ]] ||
    fail "no icon in the panel (changed area ${ICON_W:-?}x${ICON_H:-?}+${ICON_X:-?}+${ICON_Y:-?})"
echo "tray icon at $ICON_X,$ICON_Y size ${ICON_W}x$ICON_H"
no_panel || fail "the panel is shown before any click"

# 2. A click maps the panel, kept out of the task list and the pager.
CLICK_X=$((ICON_X + ICON_W / 2))
CLICK_Y=$((ICON_Y + ICON_H / 2))
xdotool mousemove "$CLICK_X" "$CLICK_Y" click 1
wait_until has_panel || fail "a click on the icon did not show the panel"
read -r PANEL_ID PANEL_X PANEL_Y PANEL_W PANEL_H <<<"$(panel)"
echo "panel at $PANEL_X,$PANEL_Y size ${PANEL_W}x$PANEL_H"
# Openbox keeps the state on the frame's client window, which is ours.
STATE=$(xprop -id "$PANEL_ID" _NET_WM_STATE)
echo "$STATE"
grep -q _NET_WM_STATE_SKIP_TASKBAR <<<"$STATE" || fail "panel not marked skip-taskbar"
grep -q _NET_WM_STATE_SKIP_PAGER <<<"$STATE" || fail "panel not marked skip-pager"
sleep 0.5
e2e_screenshot e2e_xfce_panel

# 3. Escape unmaps it.
xdotool key --window "$PANEL_ID" Escape
wait_until no_panel || fail "Escape did not hide the panel"

# 4. A right click shows the menu. xfce4-panel draws the menu the item exports (over the
# dbusmenu interface) in a popup window of its own.
ITEM=$(watcher RegisteredStatusNotifierItems | grep -o "'[^']*/StatusNotifierItem'" | tr -d "'")
LAYOUT=$(gdbus call --session --dest "${ITEM%%/*}" --object-path /MenuBar \
    --method com.canonical.dbusmenu.GetLayout -- 0 -1 '@as []')
for title in Kalvoren "About Kalvoren" "Icon Style" "Quit Kalvoren"; do
    grep -q "'label': <'$title'>" <<<"$LAYOUT" || fail "the exported menu lacks \"$title\""
done
host_menu() {
    local id
    for id in $(xwininfo -root -children | awk '/"wrapper-2.0"|"xfce4-panel"/ {print $1}'); do
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' || continue
        xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_POPUP_MENU && return 0
    done
    return 1
}
host_menu && fail "a menu is open before the right click"
xdotool mousemove "$CLICK_X" "$CLICK_Y" click 3
wait_until host_menu || fail "the right click did not open the menu"
sleep 0.5
# The host draws the menu: Kalvoren must not open a second one of its own.
[[ -z "$(e2e_kalvoren_windows | awk '$4 > 100')" ]] || fail "Kalvoren opened a menu of its own too"
e2e_screenshot e2e_xfce_menu
xdotool key Escape

kill -0 "$KALVOREN_PID" 2>/dev/null || fail "kalvoren ended by itself"
echo "e2e_xfce: 1 passed, 0 failed"
