#!/usr/bin/env bash
# Starts the IDE offscreen on FILE with empty settings, waits for the end of
# start-up and writes a picture of the main window to OUT.png.
#   scripts/screenshot.sh FILE OUT.png [WIDTHxHEIGHT]
# TSW_BIN names the program to run; by default the optimised build is made.
set -euo pipefail
if [[ $# -lt 2 ]]; then
  echo "usage: $0 FILE OUT.png [WIDTHxHEIGHT]" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
file="$1"
out="$(realpath -m "$2")"
size="${3:-1024x768}"

bin="${TSW_BIN:-}"
if [[ -z "$bin" ]]; then
  (
    cd "$root"
    cmake --preset default >/dev/null
    cmake --build --preset default -j "$(nproc)" >/dev/null
  )
  bin="$root/build/default/bin/tsw"
fi

settings="$(mktemp -d)"
trap 'rm -rf "$settings"' EXIT
rm -f "$out"
XDG_CONFIG_HOME="$settings" QT_QPA_PLATFORM=offscreen TSW_SCREENSHOT="$out" TSW_SCREENSHOT_SIZE="$size" \
  timeout 60 "$bin" "$file"
[[ -s "$out" ]] || { echo "$0: no picture written" >&2; exit 1; }
echo "$out"
