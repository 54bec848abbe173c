#!/usr/bin/env bash
# Builds the Qt-free libraries and their tests with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs them; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DGLYPHMERE_WERROR=ON -DGLYPHMERE_SANITIZE=ON \
      -DGLYPHMERE_BUILD_GUI=OFF
cmake --build build-sanitize -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
