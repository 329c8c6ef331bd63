#!/usr/bin/env bash
# Cross-compiles the core, the Windows half of the platform layer and the
# Windows program mametan.exe with mingw-w64 into build-win and runs the
# tests under Wine (the preset "mingw"): the unit tests headless in a Wine
# prefix of their own inside the build folder, then the end-to-end cases
# (tests/e2e-win), each on a private X server with a tray host, in a fresh
# prefix of their own.
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

# A persistent server for the whole run. Without it every test program
# starts a server that lingers three seconds after its last client and then
# exits; a program that connects just as it goes ends with "wine client
# error:0: recvmsg: connection reset by peer". The server refuses to start
# for a prefix folder that does not exist yet, as on a clean clone, so the
# folder is made first and a server that does not start stops the run.
mkdir -p "$WINEPREFIX"
if ! wineserver -p; then
  echo "FAIL: the Wine server does not start for $WINEPREFIX"
  exit 1
fi
started_server=1
cleanup() { [[ -n ${started_server:-} ]] && wineserver -k 2>/dev/null; }
trap cleanup EXIT
wine wineboot --init >/dev/null 2>&1

ctest --preset mingw "$@"
