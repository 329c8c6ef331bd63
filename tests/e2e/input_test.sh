#!/usr/bin/env bash
# The keyboard way in: "mametan /input" with no copy running starts the
# program and opens the input window; beside a copy a killed program left
# (its lock file and socket stay) it does the same; beside a running copy it
# has that copy open its window with the keyboard in it and ends with 0, and
# a purchase typed with no mouse lands in the ledger. A copy that does not
# answer is named, and nothing starts.
source "$(dirname "$0")/lib.sh"
start_x
start_tray

TITLE='まめたん家計簿 - 入力'
SOCKET=/run/user/$(id -u)/Mametan.input
printf 'food\r\nbook\r\n' >"$WORK/item.txt"
# The X server's time now: that of the PropertyNotify a root property's
# change brings.
server_time() {
  local log=$E2E_DIR/xev.log
  timeout 3 xev -root -event property >"$log" 2>&1 &
  local spy=$!
  sleep 0.3
  xprop -root -f _MAMETAN_E2E_TIME 32c -set _MAMETAN_E2E_TIME 1
  sleep 0.3
  kill "$spy" 2>/dev/null; wait "$spy" 2>/dev/null
  sed -n 's/.*, time \([0-9]*\),.*/\1/p' "$log" | tail -n 1
}
# This run's copies of the program (other runs may have theirs), known by
# the private settings folder in their environment.
programs() {
  local pid n=0
  for pid in $(pgrep -x mametan); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "XDG_CONFIG_HOME=$XDG_CONFIG_HOME" &&
      n=$((n + 1))
  done
  echo "$n"
}

# No copy running.
start_app /input
first=$LAST_PID
check "'/input' alone starts the program, which opens the input window" wait_window "$TITLE" 10
check "... once its icon is docked" wait_docked 2
check "... and listens on a user-only socket beside its lock" \
  sh -c "stat -c %A '$SOCKET' | grep -qx 'srw-------'"
screenshot input-first

# Killed: the lock file and the socket stay behind.
kill -KILL "$first"; wait_exit "$first" 5
check "a killed copy leaves its socket" test -S "$SOCKET"
start_app /input
second=$LAST_PID
check "'/input' beside the leftovers starts one program with the input window" wait_window "$TITLE" 10
check "... and only one" test "$(programs)" -eq 1
kill -TERM "$second"; wait_exit "$second" 10

# In the tray, no window open, another window holding the keyboard.
start_app
app=$LAST_PID
wait_docked 10 >/dev/null
xmessage -name other -title other 'other window' &
E2E_PIDS+=("$!")
check "another window has the keyboard" wait_active other 5
# As a key bound in the desktop starts it: with the startup id the desktop
# made, which carries the time of the key press.
key_time=$(server_time)
echo "the key press at X time ${key_time:-unknown}"
DESKTOP_STARTUP_ID="e2e-key_TIME$key_time" "$MAMETAN" /input 2>"$E2E_DIR/ask.err" &
asker=$!
wait_exit "$asker" 3
check "'/input' beside the running copy ends at once with 0 (got ${EXIT_CODE:-running})" \
  test "${EXIT_CODE:-x}" = 0
check "... and the running copy's input window takes the keyboard" wait_active "$TITLE" 5
check "... one program still" test "$(programs)" -eq 1
screenshot input-asked
today=$(date +%Y/%m/%d)
xdotool type --delay 30 food; xdotool key Tab
xdotool type --delay 30 milk; xdotool key Tab
xdotool type --delay 30 198; xdotool key Return
sleep 1
expected=$E2E_DIR/expected.csv
{ printf '日付,種類,商品名,価格\r\n' | iconv -f UTF-8 -t CP932; printf '%s,food,milk,198\r\n' "$today"; } >"$expected"
check "the purchase typed with no mouse lands in kakeibo.csv as exact bytes" \
  cmp "$expected" "$WORK/kakeibo.csv"

# A plain second start still ends silently; an unknown switch is named.
"$MAMETAN" /bogus 2>"$E2E_DIR/plain.err"
code=$?
check "a second start without /input ends with 1 (got $code)" test "$code" = 1
check "... naming the unknown switch on stderr" grep -q '"/bogus"' "$E2E_DIR/plain.err"

# A copy that does not answer: stopped, its socket still accepts.
kill -STOP "$app"
"$MAMETAN" --input 2>"$E2E_DIR/stuck.err" &
asker=$!
wait_exit "$asker" 5
check "'--input' beside a copy that does not answer ends with 1 (got ${EXIT_CODE:-running})" \
  test "${EXIT_CODE:-x}" = 1
check "... saying so in one line" test "$(wc -l <"$E2E_DIR/stuck.err")" -eq 1
cat "$E2E_DIR/stuck.err"
check "... and starts nothing" test "$(programs)" -eq 1
kill -CONT "$app"

kill -TERM "$app"
wait_exit "$app" 10
check "the running copy removes its socket when it ends" test ! -e "$SOCKET"
e2e_finish
