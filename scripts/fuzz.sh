#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds each (20 by
# default), starting from its seed corpus; new inputs go to a scratch copy.
# A crash leaves its input in build/fuzz/crashes: minimise it, fix the
# fault, and keep the input in the target's corpus folder.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang is not installed (scripts/setup.sh installs it); skipped"
  exit 0
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target $(ls tests/fuzz/corpus | sed 's/^/fuzz_/')
mkdir -p build/fuzz/crashes
for corpus in tests/fuzz/corpus/*/; do
  name="$(basename "$corpus")"
  scratch="build/fuzz/corpus/$name"
  mkdir -p "$scratch"
  cp -n "$corpus"* "$scratch"/ 2>/dev/null || true
  echo "== fuzz_$name for ${seconds}s"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS="suppressions=$PWD/cmake/lsan.supp:print_suppressions=0" \
    "build/fuzz/bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="build/fuzz/crashes/$name-" "$scratch"
done
