#!/usr/bin/env bash
# No notification area at all: after waiting for one, start-up shows the
# standard error box, creates nothing else, writes no settings and ends with 0.
source "$(dirname "$0")/lib.sh"
start_x

start=$(date +%s%N)
start_app
app=$LAST_PID
box=$(wait_window 'まめたん家計簿' 12)
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
check "the error box appears" test -n "$box"
check "... after waiting for a tray (${elapsed} ms)" test "$elapsed" -ge 4500
check "no other window was created" test "$(count_windows 'form_|入力')" -eq 0
check "... with the keyboard" wait_active 'まめたん家計簿' 3
xdotool key Return
wait_exit "$app" 10
check "the program ends with 0 (got ${EXIT_CODE:-running})" test "${EXIT_CODE:-x}" = 0
check "no settings were written" test ! -e "$SETTINGS"

# A tray that starts while the program waits is taken, each time.
docked=0 boxes=0
for run in $(seq 10); do
  start_app
  app=$LAST_PID
  sleep 2
  start_tray
  if [[ -n $(wait_docked 10) ]]; then docked=$((docked + 1)); else screenshot "late-tray-$run"; fi
  boxes=$((boxes + $(count_windows '^まめたん家計簿$')))
  kill -TERM "$app"
  wait_exit "$app" 10
  stop_tray
done
check "a tray that starts 2 s after the program is used: $docked of 10" test "$docked" -eq 10
check "... and no error box shows" test "$boxes" -eq 0

e2e_finish
