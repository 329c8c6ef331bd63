#!/usr/bin/env bash
# Windows tray benchmark: mametan.exe against a bare Win32 tray program
# (bench_floor_tray_win.exe: Shell_NotifyIconW and a popup menu), in the same
# run, under the same Wine, each start on a fresh Xvfb with the trayer tray
# host and no window manager (the bed of the Windows end-to-end cases).
# Measures exec -> icon docked in trayer and, after 2 s idle, the private
# memory of the program's process; prints the medians, their ratios and the
# size of mametan.exe.
#   bench/tray_bench_win.sh [build-dir]      (default: build-win)
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-win}")
runs=${RUNS:-5}
program=$build/win32/mametan.exe
floor=$build/bench/bench_floor_tray_win.exe
for f in "$program" "$floor"; do
  [[ -f $f ]] || { echo "missing $f: build the Windows tree first (scripts/test-windows.sh)"; exit 1; }
done
work=$(mktemp -d /tmp/mametan-bench-win.XXXXXX)
export WINEPREFIX=$build/bench-wineprefix WINEARCH=win64 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS DISPLAY
DESKTOP_LOGS=$work DESKTOP_NO_WM=1 TRAYER_ARGS="--edge top --align right --widthtype request --height 24"
source scripts/desktop.sh
printf '\x90\x48\x94\xEF\r\n' >"$work/item.txt"
cd "$work" || exit 1

mkdir -p "$WINEPREFIX"
wineserver -p || { echo "the Wine server does not start"; exit 1; }
wine wineboot --init >/dev/null 2>&1

stop_all() {
  wine reg delete 'HKCU\Software\VelmaroSoftware' /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  for p in $TRAY_PID $XVFB_PID; do kill "$p" 2>/dev/null; done
  for p in $TRAY_PID $XVFB_PID; do wait "$p" 2>/dev/null; done
  TRAY_PID="" XVFB_PID=""
}
trap 'stop_all; rm -rf "$work"' EXIT

median() { sort -n | awk '{a[NR]=$1} END{print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
now_ms() { date +%s%3N; }

# One start of $1: prints "dock_ms anonymous_kB private_kB". The docking
# time includes the start of Wine's explorer.exe, which carries the tray, for
# both programs alike. Anonymous memory is what Windows counts as the
# process's private bytes (committed memory no file backs); the private
# pages also count the pages of files only this process maps, the program's
# image among them, which Windows would count as shared.
measure() {
  local exe=$1 name pid start dock anon private
  name=$(basename "$exe")
  start_x
  start_tray
  wineserver -p
  start=$(now_ms)
  wine "$exe" >>"$work/program.log" 2>&1 &
  if ! wait_docked; then
    echo "never docked: $name" >&2
    stop_all
    return 1
  fi
  dock=$(($(now_ms) - start))
  sleep 2
  pid=$(pgrep -f -n "^$exe")
  anon=$(awk '/^Anonymous:/{print $2}' "/proc/$pid/smaps_rollup")
  private=$(awk '/^Private_(Clean|Dirty):/{kb += $2} END{print kb}' "/proc/$pid/smaps_rollup")
  echo "$dock $anon $private"
  stop_all
}

declare -A results
for name in floor mametan; do
  exe=$program
  [[ $name == floor ]] && exe=$floor
  measure "$exe" >/dev/null  # a first start fills the caches
  : >"$work/$name.txt"
  for _ in $(seq "$runs"); do measure "$exe" >>"$work/$name.txt"; done
  results[$name]=$(for col in 1 2 3; do awk -v c=$col '{print $c}' "$work/$name.txt" | median; done | paste -sd' ')
done

read -r fd fa fp <<<"${results[floor]}"
read -r md ma mp <<<"${results[mametan]}"
printf '%-30s %10s %10s %8s %s\n' "median of $runs runs" floor mametan ratio target
printf '%-30s %10s %10s %8.2f %s\n' "exec -> icon docked (ms)" "$fd" "$md" "$(bc -l <<<"$md/$fd")" "<= 1.2x"
printf '%-30s %10s %10s %8.2f %s\n' "private bytes after 2 s (kB)" "$fa" "$ma" "$(bc -l <<<"$ma/$fa")" "<= 1.2x"
printf '%-30s %10s %10s %8.2f %s\n' "private pages after 2 s (kB)" "$fp" "$mp" "$(bc -l <<<"$mp/$fp")" "-"
printf '%-30s %10s %21s\n' "size of mametan.exe (bytes)" "" "$(stat -c %s "$program") (target <= 1.5 MB)"
