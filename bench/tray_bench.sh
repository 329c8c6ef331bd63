#!/usr/bin/env bash
# Tray benchmark: the program against a bare Qt 6 tray program, in the same
# run, each under a fresh Xvfb with the trayer tray host and no window
# manager. Measures exec -> icon docked, PSS after 2 s idle, system calls in
# 10 s idle (strace -c), and left click -> window mapped (median of 5).
#   bench/tray_bench.sh [build-dir]      (default: build)
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
runs=${RUNS:-5}
source bench/desktop_env.sh "$build/mametan" "$build/bench/bench_floor_tray" "$build/bench/bench_traywatch"
printf 'food\r\n' >"$work/item.txt"
cd "$work" || exit 1

app_pid=""
stop_all() {
  for p in $app_pid $TRAY_PID $XVFB_PID; do kill "$p" 2>/dev/null; done
  for p in $app_pid $TRAY_PID $XVFB_PID; do wait "$p" 2>/dev/null; done
  app_pid="" TRAY_PID="" XVFB_PID=""
}
trap 'stop_all; rm -rf "$work"' EXIT

median() { sort -n | awk '{a[NR]=$1} END{print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

# One run of program $1: prints "dock_ms pss_kb syscalls click_median_ms".
measure() {
  local program=$1 line pid icon dock pss calls clicks
  start_x
  start_tray
  line=$("$build/bench/bench_traywatch" dock "$program")
  pid=$(sed -n 's/.*pid=\([0-9]*\).*/\1/p' <<<"$line")
  icon=$(sed -n 's/.*icon=\([0-9]*\).*/\1/p' <<<"$line")
  dock=$(sed -n 's/.*dock_ms=\([-0-9.]*\).*/\1/p' <<<"$line")
  app_pid=$pid
  sleep 2
  pss=$(awk '/^Pss:/{print $2}' "/proc/$pid/smaps_rollup")
  calls=$(timeout -s INT 10 strace -c -f -p "$pid" 2>&1 | awk '/^100.00|total$/{print $(NF-2)}' | tail -n1)
  [[ -z $calls ]] && calls=0
  clicks=$("$build/bench/bench_traywatch" click "$icon" 5 | sed 's/click_ms=//')
  echo "$dock $pss $calls $(tr ',' '\n' <<<"$clicks" | median)"
  stop_all
}

declare -A results
for name in floor mametan; do
  program=$build/mametan
  [[ $name == floor ]] && program=$build/bench/bench_floor_tray
  : >"$work/$name.txt"
  for _ in $(seq "$runs"); do
    rm -f "$XDG_CONFIG_HOME/VelmaroSoftware.ini"
    measure "$program" >>"$work/$name.txt"
  done
  results[$name]=$(for col in 1 2 3 4; do awk -v c=$col '{print $c}' "$work/$name.txt" | median; done | paste -sd' ')
done

read -r fd fp fs fc <<<"${results[floor]}"
read -r md mp ms mc <<<"${results[mametan]}"
printf '%-28s %10s %10s %8s %s\n' "median of $runs runs" floor mametan ratio target
printf '%-28s %10s %10s %8.2f %s\n' "exec -> icon docked (ms)" "$fd" "$md" "$(bc -l <<<"$md/$fd")" "<= 1.5x"
printf '%-28s %10s %10s %8.2f %s\n' "idle PSS after 2 s (kB)" "$fp" "$mp" "$(bc -l <<<"$mp/$fp")" "<= 1.25x"
printf '%-28s %10s %10s %8s %s\n' "syscalls in 10 s idle" "$fs" "$ms" "-" "0"
printf '%-28s %10s %10s %8s %s\n' "left click -> window (ms)" "$fc" "$mc" "-" "<= 30 ms"
