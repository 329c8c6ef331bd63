#!/usr/bin/env bash
# Fails when an include runs up the layers (ARCHITECTURE.md explains them):
#   core/  common < platform < controls < tray < entry < dialogs < app < viewer
#          a core folder includes its own headers and those of lower core
#          folders; it never includes a front end nor a Qt or Windows header
#   qt/    the Linux front end: core and qt/ only
#   win32/ the Windows front end: core and win32/ only, never Qt
#   scripts/check-layers.sh [root]   (default: the project root)
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2
layers=(common platform controls tray entry dialogs app viewer)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

bad=0
complain() {
  echo "$1"
  bad=1
}

# Project includes: "core/<layer>/...", "qt/...", "win32/...".
while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  target=$(sed -E 's/.*#[[:space:]]*include "([^"]+)".*/\1/' <<<"$rest")
  case $file in
    core/*)
      dir=$(cut -d/ -f2 <<<"$file")
      case $target in
        core/*)
          tl=$(cut -d/ -f2 <<<"$target")
          if [[ -n ${rank[$tl]:-} && -n ${rank[$dir]:-} ]] && ((rank[$tl] > rank[$dir])); then
            complain "$file:$line: core/$dir/ includes core/$tl/ (a higher layer)"
          fi
          ;;
        qt/* | win32/*) complain "$file:$line: core includes the front end $target" ;;
      esac
      ;;
    qt/*) [[ $target == win32/* ]] && complain "$file:$line: qt/ includes $target" ;;
    win32/*) [[ $target == qt/* ]] && complain "$file:$line: win32/ includes $target" ;;
  esac
done < <(grep -rnE '^\s*#\s*include "' core qt win32 --include='*.h' --include='*.cpp')

# System headers of a front end: Qt in core or win32/, windows.h outside core's
# *_win.cpp halves and win32/.
while IFS= read -r hit; do
  complain "${hit%%:*}: includes a Qt header outside qt/"
done < <(grep -rlE '^\s*#\s*include <Q' core win32 --include='*.h' --include='*.cpp')
while IFS= read -r hit; do
  complain "$hit: includes windows.h in a file built for Linux"
done < <(grep -rlE '^\s*#\s*include <windows.h>' core qt --include='*.h' --include='*.cpp' |
  grep -vE '_win\.(cpp|h)$')

if ((bad)); then
  echo "layer check: upward includes found"
  exit 1
fi
echo "layer check: no upward includes"
