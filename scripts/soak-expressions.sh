#!/usr/bin/env bash
# Runs thousands of generated expression programs on the simulator, three
# at a time, and keeps each disagreement as a minimal reproducer. DEPTH
# nests the expressions deeper than the 4 operator levels of the CI seeds.
#   scripts/soak-expressions.sh [COUNT] [FIRST_SEED] [OUT_DIR] [PRESET] [sdcc|tswcc] [DEPTH]
set -euo pipefail
cd "$(dirname "$0")/.."

count=${1:-3000}
first=${2:-1000}
out=${3:-build/soak}
preset=${4:-dev}
compiler=${5:-sdcc}
depth=${6:-4}
jobs=3

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs" --target tsw_expr_soak
soak="build/$preset/bin/tsw_expr_soak"

share=$(( (count + jobs - 1) / jobs ))
status=0
pids=()
for ((i = 0; i < jobs; i++)); do
  "$soak" $((first + i * share)) "$share" "$out" "$compiler" "$depth" &
  pids+=($!)
done
for pid in "${pids[@]}"; do
  wait "$pid" || status=1
done
[ "$status" -eq 0 ] && echo "no disagreements" || echo "reproducers in $out"
exit "$status"
