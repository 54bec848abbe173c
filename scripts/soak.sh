#!/usr/bin/env bash
# Soak test of the built-in engine (not run by CI): SOAK_COUNT documents (10000 by default; every tenth a
# Word 97-2003 .doc) restyled in ONE glyphmere-batch run while faults are injected into documents the run
# has not reached yet, every SOAK_EVERY documents (300 by default), in turn: the file removed, its
# permission changed to read-only, its content replaced by garbage, a lock file of another program put
# beside it. A second batch restyles larger documents under a file-size limit (the disk is full for it).
# A checker then classifies every document as changed, refused or damaged; the last line is "damaged N",
# and N must be 0.
#   usage: scripts/soak.sh [WORK_FOLDER]      (GLYPHMERE_BATCH: the program, built if not given)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
count=${SOAK_COUNT:-10000}
every=${SOAK_EVERY:-300}
disk_full_count=60

batch=${GLYPHMERE_BATCH:-}
if [ -z "$batch" ]; then
    cmake -S . -B build-soak -DCMAKE_BUILD_TYPE=Release -DGLYPHMERE_BUILD_GUI=OFF -DGLYPHMERE_BUILD_TESTS=OFF >/dev/null
    cmake --build build-soak -j"$(nproc)" --target glyphmere-batch >/dev/null
    batch=$repo/build-soak/src/batch/glyphmere-batch
fi
work=${1:-$(mktemp -d)}
mkdir -p "$work"
cd "$work"
rm -rf d f o log-main.txt log-full.txt faults.txt
echo "== generating $count documents in $work"
python3 "$repo/scripts/soak/make_documents.py" . "$count" "$disk_full_count"
: > faults.txt

# The fault for document number n, chosen in turn.
inject_fault() {
    local n=$1 name kind
    name=$(printf 'd/%05d.doc' "$n")
    [ -e "$name" ] || name+=x
    kind=$(( (n / every) % 4 ))
    case $kind in
        0) rm -f "$name"; echo "$name removed" ;;
        1) chmod 444 "$name"; echo "$name read-only" ;;
        2) head -c 3000 /dev/urandom > "$name"; cp "$name" "o/$name"; echo "$name garbage" ;;
        3) : > "d/.~lock.${name#d/}#"; echo "$name locked"; echo "d/.~lock.${name#d/}# lockfile" ;;
    esac >> faults.txt
}

echo "== restyling $count documents in one run, a fault every $every"
# Paths stay short (d/00001.docx, d/00009.doc), so 10000 of them fit the kernel's argument limit with room
# to spare.
: > log-main.txt
"$batch" --font "DejaVu Sans" --size 11 --headers-footers d/?????.doc* >> log-main.txt 2>&1 &
batch_pid=$!
started=$(date +%s)
next=$(( every / 2 ))
skipped=0
while kill -0 "$batch_pid" 2>/dev/null; do
    done_count=$(wc -l < log-main.txt)
    # Only a document well ahead of the run gets a fault, so the fault lands before the document is read.
    while [ "$next" -le "$count" ] && [ "$done_count" -ge $(( next - 200 )) ]; do
        if [ "$done_count" -lt $(( next - 20 )) ]; then inject_fault "$next"; else skipped=$((skipped + 1)); fi
        next=$(( next + every ))
    done
    sleep 0.02
done
wait "$batch_pid" || true
echo "   $(wc -l < log-main.txt) documents reported in $(( $(date +%s) - started )) s; faults injected: $(grep -vc lockfile faults.txt), skipped as too late: $skipped"

echo "== restyling $disk_full_count larger documents with the disk full for them (file-size limit)"
# SIGXFSZ is ignored, as the full disk is meant to show up as a failed write, not as a killed program.
( trap '' XFSZ; ulimit -f 32; exec "$batch" --font "DejaVu Sans" --size 11 --headers-footers f/*.docx ) \
    > log-full.txt 2>&1 || true

echo "== checking every document"
/usr/bin/python3 "$repo/scripts/soak/check_documents.py" . faults.txt log-main.txt log-full.txt
