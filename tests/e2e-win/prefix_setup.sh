#!/usr/bin/env bash
# Makes a fresh Wine prefix for the Windows end-to-end cases of this run:
# the first start of a new prefix takes half a minute, the later ones a few
# seconds. Each case deletes the program's settings key before it starts.
#   prefix_setup.sh <prefix folder>
set -uo pipefail
prefix=${1:?prefix folder}
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
wine wineboot --init >/dev/null 2>&1
status=$?
wineserver -w
# Wine links the user's shell folders (Documents, Desktop, ...) to the Unix
# home folder; a case that writes into Documents must not reach the
# developer's own files, so each becomes a folder of the prefix.
for link in "$prefix"/drive_c/users/*/*; do
  [[ -L $link ]] && rm "$link" && mkdir "$link"
done
exit $status
