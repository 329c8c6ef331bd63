#!/usr/bin/env bash
# Cross-compiles the core and the Windows half of the platform layer with
# mingw-w64 into build-win and runs their tests under Wine, headless, in a
# Wine prefix of its own inside the build folder (the preset "mingw").
#   scripts/test-windows.sh [extra ctest arguments]
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="$root/build-win"

./scripts/deps.sh build test || exit 1

# The Japanese locale (scripts/deps.sh generates it) makes Wine's ANSI code
# page 932, as on a Japanese system.
locale_name=ja_JP.UTF-8

mkdir -p "$build"
if ! cmake --preset mingw >"$build/configure.log" 2>&1; then
  cat "$build/configure.log"
  exit 1
fi
if ! cmake --build --preset mingw >"$build/build.log" 2>&1; then
  tail -n 60 "$build/build.log"
  exit 1
fi

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEARCH=win64
export LC_ALL=$locale_name
unset DISPLAY WAYLAND_DISPLAY
# No desktop integration or Mono/Gecko prompts in a throw-away prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A persistent server for the whole run; without it every test program
# starts and stops one and waits for its own prefix set-up.
wineserver -p
started_server=1
cleanup() { [[ -n ${started_server:-} ]] && wineserver -k 2>/dev/null; }
trap cleanup EXIT
wine wineboot --init >/dev/null 2>&1

ctest --preset mingw "$@"
