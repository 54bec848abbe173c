#!/usr/bin/env bash
# Checks that every type the engine's glossary (src/docengine/README.md) names is declared under that name
# in the folder of the layer it gives.
set -euo pipefail
cd "$(dirname "$0")/../src/docengine"

status=0
count=0
while IFS='|' read -r _ type layer _; do
    type=$(tr -d ' `' <<<"$type")
    layer=$(tr -d ' ' <<<"$layer")
    folder=$([ "$layer" = root ] && echo . || echo "$layer")
    count=$((count + 1))
    if ! grep -qsE "^(class|struct|enum class|using) $type\b" "$folder"/*.h; then
        echo "check-glossary: $type is not declared in src/docengine/$folder" >&2
        status=1
    fi
done < <(sed -n '/^## Glossary/,$p' README.md | grep -E '^\| `[A-Za-z]+` \|')
[ "$count" -gt 0 ] || { echo "check-glossary: no glossary found" >&2; exit 1; }
[ "$status" = 0 ] && echo "check-glossary: all $count types of the glossary exist under their names"
exit "$status"
