#!/usr/bin/env bash
# Checks that each layer of the document engine includes only itself and the layers below it, as
# src/docengine/CMakeLists.txt orders them (headers at the engine's root are open to every layer).
set -euo pipefail
cd "$(dirname "$0")/../src/docengine"

declare -A below=(
    [container]="container"
    [files]="container files"
    [document]="document"
    [fonts]="fonts"
    [ooxml]="container files document ooxml"
    [binary]="container files document fonts binary"
    [session]="container files document fonts ooxml binary session"
)

status=0
for layer in "${!below[@]}"; do
    while IFS= read -r found; do
        used=$(sed -E 's#.*"docengine/([a-z]+)/.*#\1#' <<<"$found")
        if [[ " ${below[$layer]} " != *" $used "* ]]; then
            echo "check-layers: $layer/ may not include $used/: $found" >&2
            status=1
        fi
    done < <(grep -rnE '^#include "docengine/[a-z]+/' "$layer" || true)
done
for folder in */; do
    if [ -z "${below[${folder%/}]+set}" ]; then
        echo "check-layers: src/docengine/$folder is no known layer" >&2
        status=1
    fi
done
[ "$status" = 0 ] && echo "check-layers: every engine layer includes only the layers below it"
exit "$status"
