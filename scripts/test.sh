#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DGLYPHMERE_WERROR=ON
cmake --build build-tests -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --test-dir build-tests --output-on-failure -j"$(nproc)"
