#!/usr/bin/env bash
# Two builds of the same sources give the same bytes: the program and its zip are built again, in
# another folder and later, from a copy of the sources as they are now (the tracked files and any
# new ones), and compared byte for byte with those of the last scripts/package.
set -uo pipefail
cd "$(dirname "$(readlink -f "$0")")/../.."
zips=(build/dist/kavren_ui-*-win64.zip)
[[ -f "${zips[0]}" ]] || { echo "reproducible: no zip in build/dist; run scripts/package first" >&2; exit 1; }
other="$(mktemp -d "${TMPDIR:-/tmp}/kavren-reproducible.XXXXXX")" || exit 1
trap 'rm -rf "$other"' EXIT
sources() {
    if git rev-parse -q --verify HEAD >/dev/null 2>&1; then git ls-files -z --cached --others --exclude-standard
    else find . -path ./build -prune -o -type f -print0; fi
}
sources | tar -c --null -T - --ignore-failed-read -f - 2>/dev/null | tar -x -C "$other" || exit 1
# The copy has no history: it is given the time that the first build took from HEAD.
SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}" "$other/scripts/package" >"$other/package.log" 2>&1 ||
    { cat "$other/package.log"; echo "reproducible: the second build failed" >&2; exit 1; }

# Byte differences of two PE images, at most ten, with the header fields they fall in.
pe_differences() {
    local header=$(($(od -An -tu4 -j60 -N4 "$1")))
    cmp -l "$1" "$2" | awk -v pe="$header" 'NR <= 10 { offset = $1 - 1; field = ""
        if (offset >= pe + 8 && offset < pe + 12) field = " (TimeDateStamp)"
        if (offset >= pe + 88 && offset < pe + 92) field = " (CheckSum)"
        printf "    offset 0x%x%s: %s here, %s there (octal)\n", offset, field, $2, $3 }
        END { printf "    %d bytes differ\n", NR }'
}
differs=0
compare() {  # WHAT FIRST SECOND
    cmp -s "$2" "$3" && return 0
    echo "reproducible: $1 differs in the second build"
    [[ "$1" != *.exe* ]] || pe_differences "$2" "$3"
    differs=1
}
zip="${zips[0]}"
for file in build/windows/kavren_ui.exe "$zip" build/dist/SHA256SUMS; do compare "$file" "$file" "$other/$file"; done
if ((differs)) && [[ -f "$other/$zip" ]]; then
    /usr/bin/python3 -m zipfile -e "$zip" "$other/first" && /usr/bin/python3 -m zipfile -e "$other/$zip" "$other/second"
    for entry in "$other"/first/*; do compare "${entry##*/} in the zip" "$entry" "$other/second/${entry##*/}"; done
fi
((differs)) && exit 1
echo "reproducible: the exe and $zip built again in another folder are the same bytes"
