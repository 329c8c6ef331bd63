#!/usr/bin/env bash
# Runs a Win32 front-end test program under Wine on a private X server: its
# windows need a display, which the headless unit tests' Wine prefix has
# not, so it runs in a prefix of its own (made on first use).
#   with_display.sh <prefix> <program> [arguments]
set -uo pipefail
export WINEPREFIX=${1:?prefix}
shift
export WINEARCH=win64 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WAYLAND_DISPLAY
xvfb-run -a wine "$@"
status=$?
wineserver -k 2>/dev/null
exit $status
