#!/usr/bin/env bash
# Whether polkitd finds the installed action. The build tree given as $1 is installed into a
# scratch root; then, in a mount namespace of this test's own, the scratch root's
# /usr/share/polkit-1/actions is mounted over the system's (nothing outside changes), polkitd
# runs on a private bus, and `pkaction --action-id org.kalvoren.Kalvoren.purge` must show the
# action with the installed helper's path. Skipped (77) without polkit, or without root.
set -uo pipefail
build=$1
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

polkitd=/usr/lib/polkit-1/polkitd
command -v pkaction >/dev/null && [[ -x $polkitd ]] || skip "polkit is not installed (polkitd)"
command -v dbus-daemon >/dev/null || skip "dbus-daemon is not installed (dbus)"
[[ -d /usr/share/polkit-1/actions ]] || skip "no /usr/share/polkit-1/actions to mount over"
unshare --mount true 2>/dev/null || skip "cannot make a mount namespace (needs root)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
DESTDIR=$work/root cmake --install "$build" >/dev/null || fail "cmake --install failed"
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
helper=$(cache CMAKE_INSTALL_PREFIX)/$(cache CMAKE_INSTALL_LIBEXECDIR)/kalvoren/kalvoren-purge
actions=$work/root/usr/share/polkit-1/actions
[[ -d $actions ]] || fail "nothing installed in /usr/share/polkit-1/actions"

# A bus that polkitd may join after it has dropped root for its own user.
cat >"$work/bus.conf" <<'CONF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF

out=$(unshare --mount bash -s "$actions" "$work" "$polkitd" <<'INNER' 2>&1
actions=$1 work=$2 polkitd=$3
mount --bind "$actions" /usr/share/polkit-1/actions || exit 3
dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 3>"$work/address" &
bus=$!
for i in $(seq 1 50); do [[ -s $work/address ]] && break; sleep 0.1; done
export DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/address")
"$polkitd" --no-debug >"$work/polkitd.log" 2>&1 &
daemon=$!
for i in $(seq 1 100); do
    answer=$(pkaction --action-id org.kalvoren.Kalvoren.purge --verbose 2>&1) && break
    sleep 0.1
done
echo "$answer"
kill "$daemon" "$bus"
wait
INNER
)
echo "$out"
grep -q '^org.kalvoren.Kalvoren.purge:' <<<"$out" || {
    sed 's/^/  polkitd: /' "$work/polkitd.log"
    fail "polkitd does not know org.kalvoren.Kalvoren.purge"
}
grep -q "org.freedesktop.policykit.exec.path -> $helper\$" <<<"$out" ||
    fail "the action does not name the installed helper $helper"
echo "PASS"
