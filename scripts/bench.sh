#!/usr/bin/env bash
# Builds the optimised preset and prints the benchmarks' figures.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default -j 3 --target bench_document bench_link bench_errorlist bench_editor bench_declarations
build/default/bin/bench_document
build/default/bin/bench_link
build/default/bin/bench_errorlist
build/default/bin/bench_editor
build/default/bin/bench_declarations
# Against tcc and SDCC: built only where SDCC and the simulator are installed.
# Each prints an ERROR line instead of a figure for a compile that failed
# or a program with wrong results, and exits 1; the other still runs.
status=0
if cmake --build --preset default -j 3 --target bench_code_quality bench_compile_speed 2>/dev/null; then
  build/default/bin/bench_code_quality || status=1
  build/default/bin/bench_compile_speed || status=1
fi
exit $status
