#!/usr/bin/env bash
# Bad input and faults met through the real program: long pasted and listed
# texts, a hand-edited settings file, a ledger without a final line break,
# the file-size limit, an unsavable settings file at SIGTERM, a stored window
# place off every screen, and a second start with another environment.
source "$(dirname "$0")/lib.sh"
start_x
start_tray

TITLE='まめたん家計簿 - 入力'
today=$(date +%Y/%m/%d)
cp932() { iconv -f UTF-8 -t CP932; }

# Opens the input window with a left press on the icon; prints its id.
open_input() {
  click_icon 1 || return 1
  wait_window "$TITLE" 5
}

# Ends the program with SIGTERM; its exit code in $EXIT_CODE.
term_app() {
  kill -TERM "$1" 2>/dev/null
  wait_exit "$1" 10
}

# --- A hand-edited settings file shared with another program: commas,
# semicolons and backslashes are literal, blanks around "=" are no part of
# the value, and the exit keeps every byte the file had (a BOM, CR LF,
# comments, a stray CR, code page 932 in another section, a "/" in a key),
# adding only the values it lacked; the ledger that lacks a final line
# break gets one first; a text longer than 32,767 characters is written
# whole (a 1 MB kind picked from the list, 100 KB of goods pasted).
ledger='kake, bo;2024\data.csv'
printf '\xEF\xBB\xBF; shared\r\n[Other]\r\nkeep=a, b; c\r\n# note\r\npath/with/slash=1\r\n%s\r\n\r\n%s' \
  'no equals sign' $'\x89\xC6=caf\xE9\r\r\n[Mametan]\r\nFile_Kakeibo = '"$ledger"$'\r\nTax=8\r\n' \
  >"$SETTINGS"
cp "$SETTINGS" "$E2E_DIR/settings.before"
old=$'x,y,z,100'
printf '%s' "$old" >"$WORK/$ledger"
bigkind=$(head -c 1048576 /dev/zero | tr '\0' k)
printf 'food\r\n%s\r\n' "$bigkind" >"$WORK/item.txt"
{ head -c 102400 /dev/zero | tr '\0' g; printf 'おわり'; } >"$E2E_DIR/goods.txt"
xclip -quiet -selection clipboard -i "$E2E_DIR/goods.txt" 2>/dev/null &
E2E_PIDS+=("$!")

start_app
app=$LAST_PID
input=$(open_input)
check "a left press opens the input window" test -n "$input"
# Down twice in the kind box picks the second kind, the 1 MB one.
xdotool key Down Down Tab ctrl+v Tab; sleep 0.5
xdotool type --delay 30 150; xdotool key Return
for _ in $(seq 100); do [[ $(stat -c %s "$WORK/$ledger" 2>/dev/null) -gt 9 ]] && break; sleep 0.1; done
sleep 0.5
{
  printf '%s\r\n%s,%s,' "$old" "$today" "$bigkind"
  head -c 102400 /dev/zero | tr '\0' g
  printf 'おわり' | cp932
  printf ',150\r\n'
} >"$E2E_DIR/expected.csv"
check "the ledger named with ', ; \\' gets a break, then the whole 1 MB kind and 100 KB goods" \
  cmp -s "$E2E_DIR/expected.csv" "$WORK/$ledger"
term_app "$app"
check "SIGTERM ends the program with 0 (got ${EXIT_CODE:-running})" test "${EXIT_CODE:-x}" = 0
size=$(stat -c %s "$E2E_DIR/settings.before")
check "the settings file keeps every byte it had" cmp -n "$size" "$E2E_DIR/settings.before" "$SETTINGS"
tail -c +$((size + 1)) "$SETTINGS" | sed 's/=-\?[0-9][0-9]*\r$/=N\r/' >"$E2E_DIR/settings.added"
printf '%s\r\n' File_Kind=item.txt SaveWindowPos=N OpenWindowAtBoot=N InputWindow_Left=N \
  InputWindow_Top=N AutoTax=N NextInput=N EnterToNext=N >"$E2E_DIR/settings.expected"
check "... and adds after them only the values it lacked, with CR LF" \
  cmp -s "$E2E_DIR/settings.expected" "$E2E_DIR/settings.added"
printf 'food\r\nbook\r\n' >"$WORK/item.txt"

# --- A ledger beyond the file-size limit: the write is refused with the
# ledger message instead of SIGXFSZ ending the process.
rm -f "$SETTINGS"
head -c 4096 /dev/zero | tr '\0' '\n' >"$WORK/kakeibo.csv"
cp "$WORK/kakeibo.csv" "$E2E_DIR/before.csv"
(ulimit -f 2; exec "$MAMETAN" >>"$E2E_DIR/app.log" 2>&1) &
app=$!
E2E_PIDS+=("$app")
input=$(open_input)
xdotool type --delay 30 food; xdotool key Tab
xdotool type --delay 30 tea; xdotool key Tab
xdotool type --delay 30 120; xdotool key Return
check "past the file-size limit the ledger message is shown" wait_window Message 5
check "... the program still runs" kill -0 "$app"
check "... and the ledger is as it was" cmp -s "$E2E_DIR/before.csv" "$WORK/kakeibo.csv"
xdotool key Return; sleep 0.5
term_app "$app"
check "... and SIGTERM still saves and ends it with 0 (got ${EXIT_CODE:-running})" \
  test "${EXIT_CODE:-x}" = 0
check "... and the settings were saved" grep -qx 'Tax=5' "$SETTINGS"
rm -f "$WORK/kakeibo.csv"

# --- A stored place that would put the title bar off every screen: the
# window opens where it can be seen; the stored values stay until it moves.
printf '[Mametan]\nSaveWindowPos=1\nInputWindow_Left=0\nInputWindow_Top=2147483647\n' >"$SETTINGS"
start_app
app=$LAST_PID
input=$(open_input)
eval "$(xdotool getwindowgeometry --shell "$input" 2>/dev/null)"
check "the window with an impossible stored top opens on the screen (at ${X:-?},${Y:-?})" \
  test "${Y:-9999}" -ge 0 -a "${Y:-9999}" -le 600
xdotool key Escape; sleep 0.5
term_app "$app"
check "... and the stored top is kept" grep -qx 'InputWindow_Top=2147483647' "$SETTINGS"

# --- One instance per user, whatever the environment: started with a
# runtime folder, then without one and with another, the later starts end
# with 1.
start_app
app=$LAST_PID
wait_docked 10 >/dev/null
timeout 10 env -u XDG_RUNTIME_DIR "$MAMETAN" >/dev/null 2>&1; code=$?
check "a start without XDG_RUNTIME_DIR beside a running one exits with 1 (got $code)" \
  test "$code" -eq 1
mkdir -p "$E2E_DIR/runtime2"; chmod 700 "$E2E_DIR/runtime2"
XDG_RUNTIME_DIR=$E2E_DIR/runtime2 timeout 10 "$MAMETAN" >/dev/null 2>&1; code=$?
check "... and one with another XDG_RUNTIME_DIR as well (got $code)" test "$code" -eq 1
term_app "$app"

# --- Settings that cannot be saved when SIGTERM comes: no box waits for a
# click, stderr says why and the exit code is not 0.
: >"$E2E_DIR/notadir"
XDG_CONFIG_HOME=$E2E_DIR/notadir/config "$MAMETAN" >"$E2E_DIR/unsaved.log" 2>&1 &
app=$!
E2E_PIDS+=("$app")
wait_docked 10 >/dev/null
term_app "$app"
check "SIGTERM with unsavable settings ends the program, no box waiting (exit ${EXIT_CODE:-none})" \
  test -n "$EXIT_CODE" -a "${EXIT_CODE:-0}" -ne 0
check "... and says why on stderr" grep -q 'キー Mametan の作成に失敗しました' "$E2E_DIR/unsaved.log"

e2e_finish
