#!/usr/bin/env bash
# The shipped translation tables are complete: lupdate, run over the sources as the build runs
# it, finds no key without a translation and no translation whose key is gone; and every title
# a QML file asks its screen for (view.title("...")) is a key of the table.
# usage: translations.sh LUPDATE SOURCES_LIST TS_FILE... -- LUPDATE_OPTIONS...
set -euo pipefail
lupdate=$1 sources=$2; shift 2
tables=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do tables+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for table in "${tables[@]}"; do
    copy=$work/$(basename "$table")
    cp "$table" "$copy"
    "$lupdate" -silent "$@" "@$sources" -ts "$copy"
    name=$(basename "$table")
    # An entry lupdate added or left untranslated, or one whose key no source uses any more.
    if grep -n -B2 -E 'type="(unfinished|vanished|obsolete)"' "$copy"; then
        echo "$name: the entries above need a translation or are no longer used"
        failed=1
    fi
    if ! cmp -s "$table" "$copy"; then
        echo "$name: lupdate changes it; run the update_translations target"
        diff -u "$table" "$copy" || true
        failed=1
    fi
    while IFS= read -r key; do
        escaped=$(printf '%s' "$key" | sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g')
        if ! grep -qF "<source>$escaped</source>" "$table"; then
            echo "$name: the QML asks for the title \"$key\", which is not a key"
            failed=1
        fi
    done < <(grep -E '\.qml$' "$sources" | xargs grep -ohE '\.title\("[^"]+"\)' |
             sed -E 's/^\.title\("(.*)"\)$/\1/' | sort -u)
done
exit $failed
