#!/usr/bin/env bash
# Installs the build tree given as $1 into a scratch root (DESTDIR) and checks that a desktop
# finds the program: the binary runs, the desktop entry is valid and names the installed binary
# and icon, the icon is an SVG that Qt draws at 128x128 in the hicolor theme (rendered by the
# image tool given as $2, built with Qt's SVG module), and the polkit action lies where polkitd
# reads actions whatever the prefix, naming the installed purge helper.
set -euo pipefail
build=$1
image_tool=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" >/dev/null
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
install_prefix=$(cache CMAKE_INSTALL_PREFIX)
prefix=$root$install_prefix

bin=$prefix/bin/kalvoren
desktop=$prefix/share/applications/kalvoren.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/kalvoren.svg
[[ -x $bin ]] || fail "no executable at bin/kalvoren"
[[ -f $desktop ]] || fail "no desktop entry at share/applications/kalvoren.desktop"
[[ -f $icon ]] || fail "no icon at share/icons/hicolor/scalable/apps/kalvoren.svg"

version=$("$bin" --version) || fail "installed kalvoren --version failed"
[[ $version == *[0-9].[0-9]* ]] || fail "kalvoren --version printed '$version'"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry does not validate"
fi
key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
[[ $(key Exec) == kalvoren || $(key Exec) == "kalvoren "* ]] || fail "Exec is '$(key Exec)'"
[[ $(key Icon).svg == "$(basename "$icon")" ]] ||
    fail "Icon '$(key Icon)' is not the installed icon"
[[ $(key Categories) == *System\;* ]] || fail "Categories lack System"

if command -v xmllint >/dev/null; then
    xmllint --noout "$icon" || fail "icon is not well-formed XML"
fi
size=$("$image_tool" svg "$icon") || fail "icon does not render"
[[ $size == 128x128 ]] || fail "icon renders at $size, expected 128x128"

# polkitd reads actions from /usr/share/polkit-1/actions only, not from the prefix.
policy=$root/usr/share/polkit-1/actions/org.kalvoren.Kalvoren.policy
[[ -f $policy ]] || fail "no polkit action in /usr/share/polkit-1/actions"
helper=$install_prefix/$(cache CMAKE_INSTALL_LIBEXECDIR)/kalvoren-purge
grep -q "policykit.exec.path\">$helper<" "$policy" ||
    fail "the polkit action does not name the installed helper $helper"
[[ -x $root$helper ]] || fail "no purge helper at $helper"
echo "installed layout OK ($version)"
