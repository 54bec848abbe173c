#!/usr/bin/env bash
# glyphmere-batch.exe under Wine against the Linux build of glyphmere-batch: both restyle copies of the same
# documents (tests/data, and ../shared/corpus/doc when it is there) with the same options, and every result
# must be the same bytes on both (a .docx may differ only in its entries' modification times; see
# scripts/doccheck/compare_restyled.py), with the same lines printed and the same exit status. The copies sit
# in folders and files named in several scripts, at paths past 260 characters. Wine registers the build
# machine's fonts with their own files, so the Word 97-2003 font table is filled from the same font file on
# both sides; the check makes sure of that first. Last, a document that another Wine process holds open
# without sharing must be refused as "open in another program" and left as it was.
#   usage: scripts/compare-windows-batch.sh [LINUX_BATCH] [WINDOWS_BUILD_DIR]
#          (defaults: build-tests/src/batch/glyphmere-batch and build-windows, which check-windows.sh builds)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
linux_batch=$(realpath "${1:-build-tests/src/batch/glyphmere-batch}")
windows_build=$(realpath "${2:-${GLYPHMERE_WINDOWS_BUILD_DIR:-build-windows}}")
windows_batch=$windows_build/batch/glyphmere-batch.exe
holder=$windows_build/tests_win32_engine/hold_file.exe
corpus=${GLYPHMERE_DOC_CORPUS:-$repo/../shared/corpus/doc}
for program in "$linux_batch" "$windows_batch" "$holder"; do
    [ -f "$program" ] || { echo "compare-windows-batch: $program is not built" >&2; exit 2; }
done

step() { echo "== compare-windows-batch: $*"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/glyphmere-compare.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
wineboot -i >/dev/null 2>&1

several_scripts="Дé文 "
deep="${several_scripts}documents"
for letter in k l m n o; do
    deep+=/$(printf "%044d" 0 | tr 0 "$letter")
done
originals=("$repo"/tests/data/*.docx "$repo"/tests/data/doc/*.doc "$repo"/tests/data/doc/*.dot)
if compgen -G "$corpus/*.doc" >/dev/null; then
    originals+=("$corpus"/*.doc)
else
    step "no Word 97-2003 corpus at $corpus: tests/data only"
fi

# side: linux or windows; fresh copies of every original under it.
copy_originals() {
    rm -rf "${work:?}/$1"
    mkdir -p "$work/$1/$deep"
    for original in "${originals[@]}"; do
        cp "$original" "$work/$1/$deep/$several_scripts$(basename "$original")"
    done
    chmod -R u+w "$work/$1"
}

# The .doc font table takes the new font's details from its file: both sides must read the same one.
check_same_font_file() {
    local family=$1 linux_file registered
    linux_file=$(fc-match -f '%{file}' "$family:style=Regular")
    registered=$(wine reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v "$family (TrueType)" |
        tr -d '\r' | sed -n 's/.*REG_SZ *//p')
    if [ "$registered" != "Z:${linux_file//\//\\}" ]; then
        echo "compare-windows-batch: $family is $linux_file on Linux but '$registered' under Wine" >&2
        exit 1
    fi
}

status=0
run_both() {
    copy_originals linux
    copy_originals windows
    local linux_status=0 windows_status=0
    (cd "$work/linux" && "$linux_batch" "$@" -- "$deep"/*) >"$work/linux.out" 2>&1 || linux_status=$?
    (cd "$work/windows" && wine "$windows_batch" "$@" -- "$deep"/*) >"$work/windows.out" 2>&1 || windows_status=$?
    local path_length
    path_length=$(find "$work/windows" -type f | awk '{ print length($0) }' | sort -n | tail -1)
    step "$* on ${#originals[@]} documents (longest path $path_length characters): exit status $linux_status on Linux, $windows_status under Wine"
    [ "$linux_status" = "$windows_status" ] || status=1
    if ! diff <(tr -d '\r' <"$work/windows.out") "$work/linux.out"; then
        echo "compare-windows-batch: the lines printed differ (< Windows, > Linux)" >&2
        status=1
    fi
    python3 "$repo/scripts/doccheck/compare_restyled.py" "$work/linux" "$work/windows" || status=1
}

check_same_font_file "Liberation Serif"
check_same_font_file "DejaVu Sans"
run_both --font "Liberation Serif" --size 11 --headers-footers --jobs 2
run_both --font "DejaVu Sans" --size 10.5 --jobs 1

# A document held open with no sharing by another process.
held=$work/held/${several_scripts}held.docx
mkdir -p "$work/held"
cp "$repo/tests/data/pandoc.docx" "$held"
mkfifo "$work/release"
wine "$holder" "$held" <"$work/release" >"$work/holder.out" 2>&1 &
holder_job=$!
exec 3>"$work/release"
for _ in $(seq 100); do
    grep -q held "$work/holder.out" 2>/dev/null && break
    sleep 0.2
done
held_status=0
wine "$windows_batch" --font "Liberation Serif" --size 11 "$held" >"$work/held.out" 2>&1 || held_status=$?
exec 3>&-
wait "$holder_job" || true
if [ "$held_status" = 1 ] && grep -q "open in another program" "$work/held.out" &&
    cmp -s "$held" "$repo/tests/data/pandoc.docx"; then
    step "a document held open without sharing: refused, left as it was ($(tr -d '\r' <"$work/held.out" | head -1))"
else
    echo "compare-windows-batch: a document held open without sharing was not refused and left as it was" >&2
    tr -d '\r' <"$work/held.out" >&2
    status=1
fi
step "exit status $status"
exit "$status"
