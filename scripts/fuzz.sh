#!/usr/bin/env bash
# Builds the document engine's fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs it in one process for a bounded time (FUZZ_SECONDS, 60 by default). Any crash, leak, sanitizer report
# or breach of the target's checks fails the run; the input that caused it is kept in build-fuzz/artifacts/.
# Seeds: generated packages and part lists, the zip fixtures under tests/data/ and every regression fixture.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-fuzz
seconds=${FUZZ_SECONDS:-60}

scripts/install-deps.sh --tests
CXX=clang++ cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target engine_fuzzer

rm -rf "$build/seeds"
mkdir -p "$build/seeds" "$build/corpus" "$build/artifacts"
python3 fuzz/make_seeds.py "$build/seeds"
if [ -d tests/data ]; then
    find tests/data -type f \( -name '*.docx' -o -name '*.docm' -o -name '*.dotx' -o -name '*.dotm' \
        -o -path '*/regressions/*' \) ! -name '*.md' -size -64k -exec cp {} "$build/seeds/" \;
fi

# The target writes each input into a folder of its own under TMPDIR; a private TMPDIR shows that nothing
# is left behind.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
TMPDIR=$scratch "$build/engine_fuzzer" -max_total_time="$seconds" -max_len=32768 \
    -rss_limit_mb=2560 -timeout=30 -dict=fuzz/wordml.dict -artifact_prefix="$build/artifacts/" \
    -print_final_stats=1 "$build/corpus" "$build/seeds"
leftovers=$(find "$scratch" -mindepth 1 | head -5)
if [ -n "$leftovers" ]; then
    echo "the fuzz target left files behind:"
    echo "$leftovers"
    exit 1
fi
