#!/usr/bin/env bash
# Remakes the Word 97-2003 fixtures in tests/data/doc/: tests/data/sources/doc_fixtures.py writes one flat
# ODT per feature (headers, first page, even/odd pages, sections, tables, fields, a picture, notes, lists,
# East Asian and right-to-left text, a comment, a text box, many runs), and Debian's LibreOffice
# (libreoffice-writer-nogui) saves each as .doc, and one as a .dot template. The results are committed, so
# building and testing never need LibreOffice; run this only to change a fixture.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
out="$repo/tests/data/doc"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 "$repo/tests/data/sources/doc_fixtures.py" "$work/sources"
mkdir -p "$out"
rm -f "$out"/*.doc "$out"/*.dot

# A private LibreOffice profile, so that a running LibreOffice or a parallel run cannot interfere.
convert() {
    timeout 300 soffice "-env:UserInstallation=file://$work/profile" --headless --convert-to "$1" \
        --outdir "$out" "${@:2}" >/dev/null
}
convert doc $(ls "$work"/sources/*.fodt | grep -v /template.fodt)
convert 'dot:MS Word 97 Vorlage' "$work/sources/template.fodt"

ls -l "$out"
