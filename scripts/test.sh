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
  ctest --preset "$preset"
done
