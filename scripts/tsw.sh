#!/usr/bin/env bash
# Builds the IDE and starts it, optionally on a source file.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

(
  cd "$root"
  scripts/setup.sh
  cmake --preset default >/dev/null
  cmake --build --preset default -j "$(nproc)" >/dev/null
)
exec "$root/build/default/bin/tsw" "$@"
