#!/usr/bin/env bash
# Installs the build tree given as $1 into a scratch root (DESTDIR) and checks that a desktop
# finds the program: the binary runs, the desktop entry is valid and names the installed binary
# and icon, the icon is an SVG that Qt draws at 128x128 in the hicolor theme (rendered by the
# image tool given as $2, built with Qt's SVG module) with PNGs of the fixed sizes beside it,
# and the polkit action lies where polkitd reads actions whatever the prefix, naming the
# installed purge helper, and the German translation is installed. Then what a distribution
# expects beside the program: the software-centre metadata validates, the manual page renders
# without warnings, both shell completions load, and every option that a command's --help
# lists is in the manual page and in both completions.
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
size=$("$image_tool" svg "$icon") || fail "icon does not render"
[[ $size == 128x128 ]] || fail "icon renders at $size, expected 128x128"

# polkitd reads actions from /usr/share/polkit-1/actions only, not from the prefix.
policy=$root/usr/share/polkit-1/actions/org.kalvoren.Kalvoren.policy
[[ -f $policy ]] || fail "no polkit action in /usr/share/polkit-1/actions"
helper=$install_prefix/$(cache CMAKE_INSTALL_LIBEXECDIR)/kalvoren/kalvoren-purge
grep -q "policykit.exec.path\">$helper<" "$policy" ||
    fail "the polkit action does not name the installed helper $helper"
[[ -x $root$helper ]] || fail "no purge helper at $helper"
# kalvoren starts the desktop program from the same folder.
[[ -x $root${helper%/*}/kalvoren-desktop ]] || fail "no desktop program beside $helper"

for tool in appstreamcli man zsh; do
    command -v "$tool" >/dev/null || fail "$tool is missing (tools/install-deps.sh --test)"
done

# The fixed sizes: PNGs whose header gives that size.
for size in 16 22 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/$(key Icon).png
    [[ -f $png ]] || fail "no ${size}x$size icon"
    read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
    got=$(((w1 << 24 | w2 << 16 | w3 << 8 | w4)))x$(((h1 << 24 | h2 << 16 | h3 << 8 | h4)))
    [[ $got == "${size}x$size" ]] || fail "the ${size}x$size icon is $got"
done
[[ -s $prefix/share/kalvoren/translations/kalvoren_de.qm ]] ||
    fail "no German translation at share/kalvoren/translations/kalvoren_de.qm"
for file in copyright changelog.Debian.gz; do
    [[ -s $prefix/share/doc/kalvoren/$file ]] || fail "no share/doc/kalvoren/$file"
done

# The metadata, with the desktop entry it launches (validate-tree pairs them by the id).
metainfo=$prefix/share/metainfo/$(basename "$desktop" .desktop).metainfo.xml
[[ -f $metainfo ]] || fail "no metainfo named after the desktop entry"
appstreamcli validate-tree --no-net "$prefix" >"$prefix/appstream.log" 2>&1 ||
    fail "metainfo does not validate: $(cat "$prefix/appstream.log")"

manual=$prefix/share/man/man1/kalvoren.1.gz
[[ -f $manual ]] || fail "no share/man/man1/kalvoren.1.gz"
warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "the manual page renders with warnings: $warnings"
roff=$(gzip -dc "$manual")

bash_completion=$prefix/share/bash-completion/completions/kalvoren
zsh_completion=$prefix/share/zsh/vendor-completions/_kalvoren
# complete WORD...: what the bash completion offers for the last word of "kalvoren WORD...".
complete_words() {
    bash --norc --noprofile -c '
        source "$0" || exit 1
        function=$(complete -p kalvoren | sed -n "s/.* -F \([^ ]*\) .*/\1/p")
        [[ -n $function ]] || exit 1
        COMP_WORDS=(kalvoren "$@")
        COMP_CWORD=$#
        "$function" kalvoren "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"' "$bash_completion" "$@"
}
offered=$(complete_words "") || fail "the bash completion does not load for kalvoren"
zsh -f -c 'fpath=("$0" $fpath); autoload -Uz compinit; compinit -u -D
    [[ -n ${_comps[kalvoren]} ]]' "$(dirname "$zsh_completion")" ||
    fail "the zsh completion does not load for kalvoren"

commands=$("$bin" --help | awk '/^Commands:/ {on = 1; next} on && !NF {exit} on {print $1}')
[[ -n $commands ]] || fail "kalvoren --help lists no commands"
[[ $(sort <<<"$offered") == $(sort <<<"$commands") ]] ||
    fail "bash completes the commands '$offered', --help lists '$commands'"
for command in "" $commands; do
    offered=$(complete_words $command --)
    for option in $("$bin" $command --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
        where="'$option' of 'kalvoren $command'"
        grep -qE -- "$option([^a-z-]|\$)" <<<"$roff" || fail "$where not in the manual"
        grep -qxF -- "$option" <<<"$offered" || fail "$where not completed by bash"
        grep -qE -- "$option([^a-z-]|\$)" "$zsh_completion" || fail "$where not completed by zsh"
    done
done
# Pids for --quit: the user's own processes, this shell among them.
offered=$(complete_words processes --quit "")
grep -qx "$$" <<<"$offered" || fail "bash does not complete pids for --quit"

echo "installed layout OK ($version)"
