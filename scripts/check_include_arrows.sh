#!/usr/bin/env bash
# Fails when a compiler source includes a header of a compiler folder that
# its folder may not reach. The arrows are the link dependencies of
# src/compcore/*/CMakeLists.txt; a folder may reach what its arrows reach
# in turn, and every folder may reach common.
set -euo pipefail
cd "$(dirname "$0")/../src/compcore"

declare -A arrows=(
  [common]=""
  [cc_er]=""
  [cc_in]="cc_er"
  [cc_stab]="cc_in"
  [cc_mod]="cc_in"
  [cc_reloc]="cc_er"
  [cc_gen]="cc_reloc cc_stab cc_in cc_er"
  [cc_parse]="cc_gen cc_mod cc_stab cc_in"
  [cc_fioz8]="cc_gen cc_reloc"
  [cc_rom]="cc_gen cc_reloc"
  [link]=""
)
arrows[cc_go]="${!arrows[*]}"

# reach[folder]: every folder it may include, itself and common among them.
declare -A reach
for folder in "${!arrows[@]}"; do
  seen=" $folder common "
  pending="${arrows[$folder]}"
  while [[ -n "${pending// /}" ]]; do
    read -r next pending <<<"$pending"
    [[ "$seen" == *" $next "* ]] && continue
    seen+="$next "
    pending+=" ${arrows[$next]}"
  done
  reach[$folder]="$seen"
done

status=0
while IFS= read -r -d '' file; do
  folder="${file#./}"
  folder="${folder%%/*}"
  if [[ -z "${reach[$folder]+set}" ]]; then
    echo "$file: not in a compiler folder"
    status=1
    continue
  fi
  while IFS=: read -r line target; do
    [[ -z "$line" ]] && continue
    if [[ "${reach[$folder]}" != *" $target "* ]]; then
      echo "$file:$line: $folder may not include $target"
      status=1
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]compcore/' "$file" |
           sed -E 's|^([0-9]+):[^"<]*["<]compcore/([^">]*)[">].*|\1:\2|; s|:([^/]*)/.*|:\1|; s|:[^/]*\.[a-z]+$|:(no folder)|')
done < <(find . -mindepth 1 \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' -o -name '*.g' \) -print0)

if [[ $status -ne 0 ]]; then
  echo "include arrows: see src/compcore/README.md for the folders and their arrows"
fi
exit $status
