#!/usr/bin/env bash
# Every text of the sources is translated in every language: the template that the build
# wrote from the sources, merged by lconvert with each translations/kalvoren_<language>.ts,
# leaves lrelease nothing untranslated. Prints each language's coverage; on failure, the
# texts that lack a translation (`cmake --build build --target update_translations` adds them
# to the .ts files, for translating in Qt Linguist).
#   translations_complete.sh TEMPLATE.ts TRANSLATIONS_DIR LCONVERT LRELEASE
set -euo pipefail
template=$1
dir=$2
lconvert=$3
lrelease=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

texts=$(grep -c '<message' "$template")
((texts > 0)) || { echo "FAIL: no texts in $template"; exit 1; }
failed=0
for ts in "$dir"/kalvoren_*.ts; do
    language=$(basename "$ts" .ts)
    language=${language#kalvoren_}
    merged=$work/$language.ts
    "$lconvert" -target-language "$language" -i "$template" -i "$ts" -o "$merged"
    report=$("$lrelease" "$merged" -qm "$work/$language.qm")
    unfinished=$(sed -n 's/.* and \([0-9]*\) unfinished.*/\1/p' <<<"$report")
    ignored=$(sed -n 's/.*Ignored \([0-9]*\) untranslated.*/\1/p' <<<"$report")
    missing=$((${unfinished:-0} + ${ignored:-0}))
    echo "$language: $((texts - missing)) of $texts texts translated"
    if ((missing > 0)); then
        failed=1
        awk '/<source>/ { source = $0 } /<translation type="unfinished"/ { print source }' \
            "$merged"
    fi
done
exit $failed
