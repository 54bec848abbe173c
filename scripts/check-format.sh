#!/usr/bin/env bash
# Fails when a C++ file tracked by git is not laid out as .clang-format says (Debian 12's clang-format 14).
# Reformat with: git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || scripts/install-deps.sh --tests
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "== check-format: every C++ file follows .clang-format"
