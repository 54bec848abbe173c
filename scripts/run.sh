#!/usr/bin/env bash
# Installs what is missing, builds Glyphmere and starts its window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLYPHMERE_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)" --target glyphmere
exec build/src/app/glyphmere
