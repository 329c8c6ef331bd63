#!/usr/bin/env bash
# Windows viewer benchmark: mametan-view.exe under Wine on a fresh Xvfb with
# no window manager, on two generated ledgers: a month of 1,000,000
# purchases (the time until its total is shown, a month change away and
# back by PageUp and PageDown, an appended line) and eleven purchases
# followed by 2 GiB without a line end. The viewer's texts are read the way
# a screen reader reads them (window_text.exe), every 0.1 s, so each time is
# good to about the time one such read takes, and each start includes
# Wine's own start of a process (measured once, on an empty ledger, as
# "start"); the memory is the peak
# resident size of the viewer's process.
#   bench/viewer_bench_win.sh [build-dir]      (default: build-win)
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-win}")
viewer=$build/win32/mametan-view.exe
reader=$build/tests/window_text.exe
for f in "$viewer" "$reader"; do
  [[ -f $f ]] || { echo "missing $f: build the Windows tree first (scripts/test-windows.sh)"; exit 1; }
done
work=$(mktemp -d /tmp/mametan-bench-win.XXXXXX)
export WINEPREFIX=$build/bench-wineprefix WINEARCH=win64 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS DISPLAY
DESKTOP_LOGS=$work DESKTOP_NO_WM=1
source scripts/desktop.sh
cd "$work" || exit 1
mkdir -p "$WINEPREFIX"
wineserver -p || { echo "the Wine server does not start"; exit 1; }
wine wineboot --init >/dev/null 2>&1
start_x
trap 'wineserver -k 2>/dev/null; kill $XVFB_PID 2>/dev/null; rm -rf "$work"' EXIT

now_ms() { date +%s%3N; }
# Waits until a static text of the viewer contains $1; prints the ms since $2.
shown_after() {
  local want=$1 since=$2
  for _ in $(seq 1200); do
    if wine "$reader" Static 2>/dev/null | grep -qF "$want"; then
      echo $(($(now_ms) - since))
      return 0
    fi
    sleep 0.1
  done
  echo "never"
}
peak_mb() {
  local pid
  pid=$(pgrep -f 'mametan-view\.exe' | head -n1)
  awk '/^VmHWM:/ { printf "%.0f", $2 / 1024 }' "/proc/$pid/status" 2>/dev/null
}
key() {
  xdotool mousemove 200 300 key "$1"
}

# A first start builds the prefix's caches: not counted.
: >warm.csv
wine "$viewer" warm.csv >>program.log 2>&1 &
shown_after '（0件）' "$(now_ms)" >/dev/null
wineserver -k 2>/dev/null
wineserver -p
t=$(now_ms)
wine "$viewer" warm.csv >>program.log 2>&1 &
echo "start: an empty ledger shown after $(shown_after '（0件）' "$t")ms"
wineserver -k 2>/dev/null
wineserver -p

# 食費 in code page 932.
food=$'\x90\x48\x94\xEF'
awk -v food="$food" 'BEGIN { for (i = 0; i < 1000000; i++)
  printf "2026/11/%02d,%s,goods number %d,%d\r\n", i % 28 + 1, food, i, i % 5000 }' >month.csv
t=$(now_ms)
wine "$viewer" month.csv >>program.log 2>&1 &
open=$(shown_after '（1,000,000件）' "$t")
mem=$(peak_mb)
t=$(now_ms); key Prior; away=$(shown_after '（0件）' "$t")
t=$(now_ms); key Next; back=$(shown_after '（1,000,000件）' "$t")
t=$(now_ms); printf '2026/11/28,%s,appended,1\r\n' "$food" >>month.csv
append=$(shown_after '（1,000,001件）' "$t")
echo "month: 1,000,000 purchases, $(($(stat -c %s month.csv) / 1000000)) MB:" \
  "open=${open}ms month_away=${away}ms month_back=${back}ms append=${append}ms peak=${mem}MB"
wineserver -k 2>/dev/null
rm -f month.csv

awk -v food="$food" 'BEGIN { for (i = 0; i < 11; i++)
  printf "2026/11/%02d,%s,goods,%d\r\n", i + 1, food, 100 }' >long.csv
head -c 2147483648 /dev/zero >>long.csv
t=$(now_ms)
wine "$viewer" long.csv >>program.log 2>&1 &
open=$(shown_after '（11件）' "$t")
mem=$(peak_mb)
echo "2 GiB unfinished last line after 11 purchases: open=${open}ms peak=${mem}MB"
