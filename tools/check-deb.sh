#!/usr/bin/env bash
# Checks the Debian package as the archive and a user would: lintian reports no error and no
# warning (overrides, each with its reason, are in data/package/lintian-overrides); apt-get
# installs it; the installed kalvoren runs (--version, stats, --help in German with
# LANGUAGE=de) and man finds its page; purging it leaves none of its files or folders behind.
#   tools/check-deb.sh [DEB]    (default: what tools/make-deb.sh wrote)
# Needs root: it installs and purges the package. It refuses when kalvoren is installed
# already, so as not to take away a package in use.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(ls build-deb/kalvoren_*.deb | tail -n 1)}
fail() { echo "check-deb: FAIL: $*" >&2; exit 1; }
[[ $(id -u) -eq 0 ]] || fail "needs root to install and purge the package"
status=$(dpkg-query -W -f='${db:Status-Status}' kalvoren 2>/dev/null) || true
[[ -z $status || $status == not-installed ]] || fail "kalvoren is installed ($status); purge it"

echo "== lintian $deb"
# -I shows the informational tags too; only errors and warnings fail.
lint=0
report=$(lintian -I --tag-display-limit 0 --fail-on error,warning "$deb" 2>&1) || lint=$?
grep -v '^running with root privileges is not recommended!$' <<<"$report" || true
((lint == 0)) || fail "lintian reports errors or warnings (status $lint)"

echo "== apt-get install"
export DEBIAN_FRONTEND=noninteractive
apt=(apt-get -o DPkg::Lock::Timeout=300 -y -q)
purge() { "${apt[@]}" purge kalvoren >/dev/null; }
trap purge EXIT
"${apt[@]}" install --no-install-recommends "$(realpath "$deb")" >/dev/null
mapfile -t installed < <(dpkg-query -L kalvoren)

home=$(mktemp -d)
trap 'purge; rm -rf "$home"' EXIT
version=$(HOME=$home kalvoren --version) || fail "kalvoren --version failed"
package_version=$(dpkg-query -W -f='${Version}' kalvoren)
[[ $version == "kalvoren ${package_version%-*}" ]] ||
    fail "kalvoren --version says '$version', the package is $package_version"
stats=$(HOME=$home kalvoren stats) || fail "kalvoren stats failed"
grep -q '^Total: ' <<<"$stats" || fail "kalvoren stats printed: $stats"
# The translation where the installed program looks for it.
help=$(LANGUAGE=de HOME=$home kalvoren --help) || fail "kalvoren --help failed"
[[ $help == "Aufruf: kalvoren"* ]] || fail "kalvoren --help is not German with LANGUAGE=de"
[[ $(man -w kalvoren) == /usr/share/man/man1/kalvoren.1.gz ]] ||
    fail "man does not find kalvoren(1)"
echo "$version; stats: $(tr '\n' ' ' <<<"$stats")"

echo "== apt-get purge"
purge
trap 'rm -rf "$home"' EXIT
status=$(dpkg-query -W -f='${db:Status-Status}' kalvoren 2>/dev/null) || true
[[ -z $status || $status == not-installed ]] || fail "kalvoren is still $status after purge"
# Every file is gone, and every folder too unless another package owns it.
left=()
for path in "${installed[@]}"; do
    [[ $path == /. ]] && continue
    if [[ -L $path || -f $path ]] || { [[ -d $path ]] && ! dpkg-query -S "$path" >/dev/null 2>&1; }
    then
        left+=("$path")
    fi
done
((${#left[@]} == 0)) || fail "left behind after purge: ${left[*]}"
echo "installed, ran and purged without a trace (${#installed[@]} paths)"
