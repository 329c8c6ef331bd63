#!/usr/bin/env bash
# The real program with a large classification file, under Xvfb with the
# trayer tray host: exec -> icon docked, the first left click -> input window
# mapped (the kind box is filled then), and the process's memory after it.
#   bench/kindbox_bench.sh [build-dir] [kinds=1000000]
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
kinds=${2:-1000000}
source bench/desktop_env.sh "$build/mametan" "$build/bench/bench_traywatch"
# Mixed kinds of about 13 bytes a line, as the offscreen bench writes them.
awk -v n="$kinds" 'BEGIN { split("食費,雑貨  ,,水道光熱費,misc", k, ",");
  for (i = 0; i < n; i++) printf "%s%d\r\n", k[i % 5 + 1], i }' | iconv -f UTF-8 -t CP932 >"$work/item.txt"
cd "$work" || exit 1

pids=()
# The program saves its settings as it ends: its folder goes after it has.
finish() {
  kill "${pids[@]}" $TRAY_PID $XVFB_PID 2>/dev/null
  wait 2>/dev/null
  for p in "${pids[@]}"; do while kill -0 "$p" 2>/dev/null; do sleep 0.05; done; done
  rm -rf "$work"
}
trap finish EXIT
start_x
start_tray

line=$("$build/bench/bench_traywatch" dock "$build/mametan")
pid=$(sed -n 's/.*pid=\([0-9]*\).*/\1/p' <<<"$line")
icon=$(sed -n 's/.*icon=\([0-9]*\).*/\1/p' <<<"$line")
pids+=("$pid")
rss_before=$(awk '/^VmRSS:/{print int($2/1024)}' "/proc/$pid/status")
clicks=$("$build/bench/bench_traywatch" click "$icon" 3 | sed 's/click_ms=//')
read -r rss hwm < <(awk '/^VmRSS:/{r=int($2/1024)} /^VmHWM:/{h=int($2/1024)} END{print r, h}' \
  "/proc/$pid/status")
printf '%s kinds (%s bytes): exec -> docked %s ms; left click -> window %s ms (first, then later opens); ' \
  "$kinds" "$(stat -c %s item.txt)" "$(sed -n 's/.*dock_ms=\([-0-9.]*\).*/\1/p' <<<"$line")" "$clicks"
printf 'RSS %s MB before the click, %s MB after (peak %s MB); targets: first open < 1000 ms, < 120 MB\n' \
  "$rss_before" "$rss" "$hwm"
