#!/usr/bin/env bash
# Installs every Debian package the project needs. Does nothing slow when all
# of them are present already.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  googletest libgtest-dev libgmock-dev
  qt6-base-dev qt6-tools-dev
  pccts libfmt-dev libmd-dev
  sdcc sdcc-ucsim tcc
  clang
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
