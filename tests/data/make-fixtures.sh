#!/usr/bin/env bash
# Remakes the documents that the engine's end-to-end tests restyle, from the sources beside this script,
# with Debian's own tools: LibreOffice (libreoffice-writer-nogui), pandoc and python-docx
# (python3-docx, run by Debian's /usr/bin/python3). The results are committed, so building and testing
# never need these tools; run this only to change a fixture.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
sources="$here/sources"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A private LibreOffice profile, so that a running LibreOffice or a parallel run cannot interfere.
timeout 180 soffice "-env:UserInstallation=file://$work/profile" --headless \
    --convert-to docx --outdir "$work" "$sources/libreoffice.fodt" "$sources/libreoffice-rich.fodt" >/dev/null
mv "$work/libreoffice.docx" "$work/libreoffice-rich.docx" "$here/"

pandoc --from markdown --to docx --output "$here/pandoc.docx" "$sources/pandoc.md"

/usr/bin/python3 "$sources/python_docx_fixture.py" "$here/python-docx.docx"

ls -l "$here"/*.docx
