#!/usr/bin/env bash
# Renders the icon's PNG sizes from packaging/icons/glyphmere.svg (run it after changing the SVG, and commit
# the PNGs): the package installs each size into the hicolor theme.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2; exit 1; }
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" glyphmere.svg --output "glyphmere-$size.png"
done
