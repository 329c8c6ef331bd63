#!/usr/bin/env bash
# Fails when a file includes a header of a higher layer. The layers, lowest
# first (ARCHITECTURE.md explains them):
#   common < platform < controls < tray < entry < dialogs < app < viewer < win32
# A folder may include its own headers and those of any lower layer.
#   scripts/check-layers.sh [root]   (default: the project root)
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2
layers=(common platform controls tray entry dialogs app viewer win32)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

bad=0
for dir in "${layers[@]}"; do
  [[ -d $dir ]] || continue
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$rest")
    [[ -n ${rank[$target]:-} ]] || continue
    if ((rank[$target] > rank[$dir])); then
      echo "$file:$line: $dir/ includes $target/ (a higher layer)"
      bad=1
    fi
  done < <(grep -rnE '^\s*#\s*include "[a-z]+/' "$dir" --include='*.h' --include='*.cpp' | sed -E 's/^([^:]+):([0-9]+):/\1:\2:/')
done
if ((bad)); then
  echo "layer check: upward includes found"
  exit 1
fi
echo "layer check: no upward includes"
