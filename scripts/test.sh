#!/usr/bin/env bash
# Builds the project and runs every test: once optimised, once under the
# address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check_include_arrows.sh
for preset in default sanitize; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  ctest --preset "$preset" --schedule-random
  # Each test executable once more as a whole, its tests in random order:
  # no test may lean on what an earlier one left behind.
  for exe in "$PWD/build/$preset/bin"/test_*; do
    (cd "build/$preset" &&
      QT_QPA_PLATFORM=offscreen TSW_BUILD_BIN="$PWD/bin" \
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      LSAN_OPTIONS="suppressions=$PWD/../../cmake/lsan.supp:print_suppressions=0" \
      "$exe" --gtest_shuffle --gtest_brief=1)
  done
done
