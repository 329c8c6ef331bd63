#!/usr/bin/env bash
# Tray benchmark: the program against a bare Qt 6 tray program, in the same
# run, each under a fresh Xvfb with the trayer tray host and no window
# manager. Measures exec -> icon docked, private anonymous memory (the
# stable figure: file-backed PSS depends on what else maps the libraries) and
# PSS after 2 s idle, system calls in 10 s idle (strace -c), and left click ->
# window mapped (median of 5); then the files one process maps and the other
# does not, or maps more of, from smaps.
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

# PSS in kB per mapped file of process $1, "kB path" lines, largest first.
mapped_files() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / {file = ($6 ~ /^\//) ? $6 : ""} /^Pss:/ && file != "" {kb[file] += $2}
       END {for (f in kb) print kb[f], f}' "/proc/$1/smaps" | sort -rn
}

# One run of program $1 named $2: prints "dock_ms pss_kb anon_kb syscalls
# click_median_ms" and keeps its mapped files in $work/$2.maps.
measure() {
  local program=$1 name=$2 line pid icon dock pss anon calls clicks
  start_x
  start_tray
  line=$("$build/bench/bench_traywatch" dock "$program")
  pid=$(sed -n 's/.*pid=\([0-9]*\).*/\1/p' <<<"$line")
  icon=$(sed -n 's/.*icon=\([0-9]*\).*/\1/p' <<<"$line")
  dock=$(sed -n 's/.*dock_ms=\([-0-9.]*\).*/\1/p' <<<"$line")
  app_pid=$pid
  sleep 2
  pss=$(awk '/^Pss:/{print $2}' "/proc/$pid/smaps_rollup")
  anon=$(awk '/^Pss_Anon:/{print $2}' "/proc/$pid/smaps_rollup")
  mapped_files "$pid" >"$work/$name.maps"
  calls=$(timeout -s INT 10 strace -c -f -p "$pid" 2>&1 | awk '/^100.00|total$/{print $(NF-2)}' | tail -n1)
  [[ -z $calls ]] && calls=0
  clicks=$("$build/bench/bench_traywatch" click "$icon" 5 | sed 's/click_ms=//')
  echo "$dock $pss $anon $calls $(tr ',' '\n' <<<"$clicks" | median)"
  stop_all
}

declare -A results
for name in floor mametan; do
  program=$build/mametan
  [[ $name == floor ]] && program=$build/bench/bench_floor_tray
  : >"$work/$name.txt"
  for _ in $(seq "$runs"); do
    rm -f "$XDG_CONFIG_HOME/VelmaroSoftware.ini"
    measure "$program" "$name" >>"$work/$name.txt"
  done
  results[$name]=$(for col in 1 2 3 4 5; do awk -v c=$col '{print $c}' "$work/$name.txt" | median; done | paste -sd' ')
done

read -r fd fp fa fs fc <<<"${results[floor]}"
read -r md mp ma ms mc <<<"${results[mametan]}"
printf '%-28s %10s %10s %8s %s\n' "median of $runs runs" floor mametan ratio target
printf '%-28s %10s %10s %8.2f %s\n' "exec -> icon docked (ms)" "$fd" "$md" "$(bc -l <<<"$md/$fd")" "<= 1.0x"
printf '%-28s %10s %10s %8.2f %s\n' "private anonymous (kB)" "$fa" "$ma" "$(bc -l <<<"$ma/$fa")" "<= 1.0x"
printf '%-28s %10s %10s %8.2f %s\n' "idle PSS after 2 s (kB)" "$fp" "$mp" "$(bc -l <<<"$mp/$fp")" "<= 1.1x"
printf '%-28s %10s %10s %8s %s\n' "syscalls in 10 s idle" "$fs" "$ms" "-" "0"
printf '%-28s %10s %10s %8s %s\n' "left click -> window (ms)" "$fc" "$mc" "-" "<= 30 ms"
echo "files mapped differently (PSS kB, last run; floor -> mametan):"
join -j 2 -a 1 -a 2 -e 0 -o 0,1.1,2.1 <(awk '{print $1, $2}' "$work/floor.maps" | sort -k2) \
  <(awk '{print $1, $2}' "$work/mametan.maps" | sort -k2) |
  awk '$2 != $3 && ($3 - $2 > 50 || $2 - $3 > 50) {printf "  %6d -> %6d  %s\n", $2, $3, $1}' | sort -k3 -rn
