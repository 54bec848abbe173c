#!/usr/bin/env bash
# Acceptance run of the built-in engine on real Word 97-2003 documents: copies of ../shared/corpus/doc/*.doc
# (beside the repository; GLYPHMERE_DOC_CORPUS overrides) are restyled in one glyphmere-batch run with
# --font "DejaVu Serif" --size 13 --headers-footers. Each document must then be either
#   restyled: scripts/doccheck/check_doc.py finds every invariant holding against the original and the new
#     font and size on the main text and page 1's header and footer; libgsf still opens the container;
#     antiword and catdoc read the same text as before; LibreOffice renders it to PDF with DejaVu Serif
#     among the fonts when the main text shows letters or digits outside East Asian and right-to-left
#     scripts (other fonts are listed, not failed: bullets' symbol fonts, East Asian and complex-script
#     fonts, footnotes, comments, text boxes and other pages' headers and footers keep theirs); or
#   refused with an allowed reason (password-protected, Word 6/95 or older, protected against editing,
#     tracks changes, AutoText only, rights-managed, signed, damaged structure; "not a Word document" for a
#     file that is no compound file, such as Word 2's) and byte-identical.
# Prints a line per document, "N passed, M failed" alone on a line, and the counts by reason; exits 1 when
# anything failed.
#   usage: scripts/acceptance-doc.sh [GLYPHMERE_BATCH]   (default build-tests/src/batch/glyphmere-batch)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
corpus=${GLYPHMERE_DOC_CORPUS:-$repo/../shared/corpus/doc}
batch=$(realpath "${1:-build-tests/src/batch/glyphmere-batch}")
checker=$repo/scripts/doccheck/check_doc.py
font="DejaVu Serif" points=13

if ! compgen -G "$corpus/*.doc" >/dev/null; then
    echo "skipped: no Word 97-2003 corpus at $corpus"
    exit 0
fi
[ -x "$batch" ] || { echo "no glyphmere-batch at $batch; build it or name it" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/original" "$work/doc" "$work/pdf" "$work/profile"
cp "$corpus"/*.doc "$work/original/"
# The corpus is read-only; the copies must be writable, or every one is refused as read-only.
chmod u+w "$work/original"/*.doc
cp "$work/original"/*.doc "$work/doc/"
cd "$work"

started=$(date +%s)
"$batch" --font "$font" --size "$points" --headers-footers --report report.json doc/*.doc >batch.log 2>&1 || true
[ -s report.json ] || { echo "glyphmere-batch wrote no report:"; cat batch.log; exit 2; }
# One "status<TAB>name<TAB>reason" line per document, from the batch's JSON report.
/usr/bin/python3 -c '
import json, os, sys
for d in json.load(open("report.json"))["documents"]:
    print(d["status"], os.path.basename(d["path"]), d["reason"].replace("\t", " ").replace("\n", " "), sep="\t")
' >outcomes.tsv

# LibreOffice renders every restyled document, a few per call, so that one bad file cannot stall them all.
awk -F'\t' '$1 == "changed" { print "doc/" $2 }' outcomes.tsv | xargs -r -d '\n' -n 15 \
    timeout 300 soffice "-env:UserInstallation=file://$work/profile" --headless --convert-to pdf \
    --outdir pdf >soffice.log 2>&1 || true

allowed='password-protected|Word 6/95|protected against editing|tracks changes|AutoText|rights-managed|signed|damaged'

# Word 2 and older files are no compound files; the engine's sniffing calls them "not a Word document".
not_compound() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" != d0cf11e0a1b11ae1 ]; }

# Whether the main text shows letters or digits drawn with the restyled font slots (field codes, pictures
# and East Asian or right-to-left text are drawn otherwise), so that the PDF must use the new font.
shows_latin_text() {
    /usr/bin/python3 - "$repo/scripts/doccheck" "$1" <<'EOF'
import re, sys
sys.path.insert(0, sys.argv[1])
import check_doc
doc = check_doc.Document(sys.argv[2], check_doc.Findings())
doc.read_pieces()
shown = re.sub("\x13[^\x14\x15]*", "", doc.text(0, doc.ccp["text"]))
sys.exit(0 if any(c.isalnum() and (c < "\u0590" or "\u0900" <= c < "\u2e80") for c in shown) else 1)
EOF
}

# The text a reader gets from a document, or its complaint; a reader that cannot read the original (antiword
# cannot read a WordDocument stream kept in the mini stream) has nothing to compare.
read_text() { "$@" 2>&1 || echo "READER FAILED $?"; }

# Prints what is wrong with a restyled document, nothing when it is sound; other fonts go to stderr.
check_restyled() {
    local name=$1 reader before after fonts
    if ! "$checker" "original/$name" "doc/$name" --expect-font "$font" --expect-half-points $((points * 2)) \
            --stories main,header,footer >"check-$name.txt"; then
        echo "structure: $(grep -m3 '^error\|^unsupported' "check-$name.txt" | tr '\n' ' ')"
        return
    fi
    if gsf list "original/$name" >/dev/null 2>&1 && ! gsf list "doc/$name" >/dev/null 2>&1; then
        echo "libgsf cannot open the compound file any more"
        return
    fi
    for reader in "antiword -m UTF-8.txt" "catdoc -d utf-8 -w"; do
        before=$(read_text $reader "original/$name")
        after=$(read_text $reader "doc/$name")
        if [ "$before" != "$after" ] && [[ $before != *"READER FAILED"* ]]; then
            echo "${reader%% *} reads a different text"
            return
        fi
    done
    [ -s "pdf/${name%.*}.pdf" ] || { echo "LibreOffice did not render it"; return; }
    fonts=$(pdffonts "pdf/${name%.*}.pdf" 2>/dev/null | awk 'NR > 2 { sub(/^[A-Z]+[+]/, "", $1); print $1 }' | sort -u)
    if ! grep -q '^DejaVuSerif' <<<"$fonts" && shows_latin_text "doc/$name"; then
        echo "the PDF has no $font, only: $(echo $fonts)"
        return
    fi
    grep -v '^DejaVuSerif' <<<"$fonts" | tr '\n' ' ' >&2 || true
}

passed=0 failed=0
declare -A reasons
while IFS=$'\t' read -r status name reason; do
    case $status in
        changed)
            problem=$(check_restyled "$name" 2>"fonts-$name.txt")
            if [ -z "$problem" ]; then
                verdict="PASS restyled: $name"; key="restyled"
                [ -s "fonts-$name.txt" ] && verdict+=" (other fonts in the PDF: $(cat "fonts-$name.txt"))"
            else
                verdict="FAIL restyled: $name: $problem"; key="restyled, failed a check"
            fi ;;
        failed)
            key="refused: $(grep -oE "$allowed" <<<"$reason" | head -1 || true)"
            if [[ $reason == "not a Word document" ]] && not_compound "original/$name"; then
                key="refused: not a compound file"
            fi
            if [[ $key == "refused: " ]]; then
                verdict="FAIL refused: $name: not an allowed reason: $reason"; key="refused: $reason"
            elif ! cmp -s "original/$name" "doc/$name"; then
                verdict="FAIL refused: $name: the file changed: $reason"
            else
                verdict="PASS refused: $name: $reason"
            fi ;;
        *) verdict="FAIL $status: $name: $reason"; key=$status ;;
    esac
    echo "$verdict"
    reasons[$key]=$(( ${reasons[$key]:-0} + 1 ))
    if [[ $verdict == PASS* ]]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done <outcomes.tsv
for path in original/*; do
    name=${path#original/}
    if ! cut -f2 outcomes.tsv | grep -qxF "$name"; then
        echo "FAIL $name: glyphmere-batch did not report it"
        failed=$((failed + 1))
    fi
done

echo "$passed passed, $failed failed"
for key in "${!reasons[@]}"; do printf '%5d  %s\n' "${reasons[$key]}" "$key"; done | sort -rn
echo "($(( $(date +%s) - started )) s)"
[ "$failed" -eq 0 ]
