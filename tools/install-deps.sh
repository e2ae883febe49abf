#!/usr/bin/env bash
# Installs what Kalvoren needs to build, run and test on Debian 12. Safe to run again.
#   tools/install-deps.sh          build and run
#   tools/install-deps.sh --test   also what the tests need (Xvfb, a tray host, D-Bus tools ...)
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libxcb1-dev
    libqt6svg6 qt6-qpa-plugins
    # the manual page (scdoc), and file, which CPack's .deb generator runs on each file
    scdoc file
    # translations: Qt Linguist's lupdate, lrelease and lconvert, and their CMake functions
    qt6-l10n-tools qt6-tools-dev
)
test_packages=(
    xvfb xauth x11-utils xdotool trayer dbus dbus-x11 libglib2.0-bin
    procps xterm
    # -- other desktops: xfce4-panel's status tray under openbox, sway headless on Wayland --
    openbox xfce4-panel sway grim wtype jq qt6-wayland
    # -- hardening: fuzzing (clang's libFuzzer runtime), install checks (pkaction: polkitd) --
    clang libclang-rt-14-dev desktop-file-utils libxml2-utils polkitd
    # -- packaging: metadata, manual page and completion checks, the package check --
    appstream man-db zsh lintian
    # -- translations: the locale sources, from which the test makes a German locale --
    locales
)
if [[ "${1:-}" == "--test" ]]; then
    packages+=("${test_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 update -q
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 install -y -q --no-install-recommends "${missing[@]}"
