#!/usr/bin/env bash
# Builds the Debian package: a release build installed under /usr, packed by CPack.
# Writes build-deb/kalvoren_<version>_<arch>.deb and prints its name.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
# The compiler and linker flags Debian builds its packages with (hardening: fortified
# functions, stack protector, read-only relocations bound at start), as dpkg-buildpackage
# would set them with every hardening feature on.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DKALVOREN_BUILD_TESTS=OFF -DKALVOREN_BUILD_BENCH=OFF "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build-deb
rm -f build-deb/kalvoren_*.deb
(cd build-deb && cpack -G DEB >/dev/null)
ls build-deb/kalvoren_*.deb
