#!/usr/bin/env bash
# Installs the build tree given as $1 into a scratch prefix and checks that a desktop finds the
# program: the binary runs, the desktop entry is valid and names the installed binary and icon,
# and the icon is a drawable SVG in the hicolor theme.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

bin=$prefix/bin/kalvoren
desktop=$prefix/share/applications/org.kalvoren.Kalvoren.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/kalvoren.svg
[[ -x $bin ]] || fail "no executable at bin/kalvoren"
[[ -f $desktop ]] || fail "no desktop entry at share/applications/org.kalvoren.Kalvoren.desktop"
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
if command -v convert >/dev/null; then
    size=$(convert "$icon" -format '%wx%h' info:) || fail "icon does not render"
    [[ $size == 128x128 ]] || fail "icon renders at $size, expected 128x128"
fi
echo "installed layout OK ($version)"
