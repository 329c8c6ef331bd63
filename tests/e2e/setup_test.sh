#!/usr/bin/env bash
# The setup dialog from the tray menu: the tax changed by typing and by the
# spin edit's Up key reaches the ledger and the settings file; Cancel copies
# nothing; the classification editor writes a new, unconfirmed file name;
# the delete-settings box removes the [Mametan] section at exit; a kind
# file the user may not write is refused, not replaced. Run as an ordinary
# user: root would write the read-only file.
E2E_AS_USER=1
source "$(dirname "$0")/lib.sh"
start_x
start_tray

SETUP='まめたん家計簿 - 設定'
INPUT='まめたん家計簿 - 入力'
EDITOR='まめたん家計簿 - 分類設定ファイルの編集'

# Clicks at client position $2,$3 of window $1, then lets the click settle.
click_at() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.5
}

# 設定(&S) from the tray menu; prints the dialog's window id.
open_setup() {
  click_icon 3
  wait_menu 5 >/dev/null
  xdotool key s
  wait_window "$SETUP" 5
}


start_app
app=$LAST_PID
wait_docked 10 >/dev/null

# The tax: 7 typed into the box, then Up makes it 8; OK by its accelerator.
setup=$(open_setup)
check "設定 opens '$SETUP'" test -n "$setup"
check "... which has the keyboard" wait_active "$SETUP" 3
click_at "$setup" 256 82
xdotool key ctrl+a; xdotool type --delay 50 7; xdotool key Up
sleep 0.3
screenshot tax
xdotool key alt+o
sleep 0.5
check "OK closes the dialog" test "$(count_windows "^$SETUP\$")" -eq 0

# A purchase of 1000 with tax: the tax box (Alt+T), Enter confirms.
click_icon 1
input=$(wait_window "$INPUT" 5)
check "the input window opens" test -n "$input"
click_at "$input" 100 55
xdotool type --delay 30 food; xdotool key Tab
xdotool type --delay 30 milk; xdotool key Tab
xdotool type --delay 30 1000
xdotool key alt+t; sleep 0.3
xdotool key Return
sleep 1
check "a purchase of 1000 with the tax of 8% writes 1080" \
  sh -c "tail -c 7 '$WORK/kakeibo.csv' | grep -q '^,1080'"

# Cancel after changes: the tax box and a check box changed, then Esc.
setup=$(open_setup)
click_at "$setup" 256 82
xdotool key ctrl+a; xdotool type --delay 50 50
click_at "$setup" 20 80  # ウィンドウ位置の保存
xdotool key Escape
sleep 0.5
check "Esc closes the dialog" test "$(count_windows "^$SETUP\$")" -eq 0

# A focused Cancel takes Enter itself: the tax typed in is not kept.
setup=$(open_setup)
click_at "$setup" 256 82
xdotool key ctrl+a; xdotool type --delay 50 7
xdotool key Tab Tab Tab Tab  # the ledger box, the delete box, OK, Cancel
screenshot cancel-focused
xdotool key Return
sleep 0.5
check "Enter on the focused Cancel closes the dialog" test "$(count_windows "^$SETUP\$")" -eq 0

# Minimised by the user, the dialog is not lost: 設定 brings it back.
setup=$(open_setup)
xdotool windowminimize "${setup:-0}"
sleep 0.5
check "the minimised setup dialog is out of sight" test "$(count_windows "^$SETUP\$")" -eq 0
open_setup >/dev/null
check "... and 設定 brings it back with the keyboard" wait_active "$SETUP" 3
xdotool key Escape
sleep 0.5

# The editor on a new name typed but not confirmed.
setup=$(open_setup)
click_at "$setup" 200 50
xdotool key ctrl+a; xdotool type --delay 30 new.txt
click_at "$setup" 363 51  # the edit button
wait_window Message 5 >/dev/null
check "the editor on a missing file says so" wait_active Message 3
screenshot missing
xdotool key Return
editor=$(wait_window "$EDITOR" 5)
check "... and opens '$EDITOR'" wait_active "$EDITOR" 3
click_at "$editor" 100 100
xdotool type --delay 30 food; xdotool key Return; xdotool type --delay 30 book
screenshot editor
xdotool key alt+o
sleep 0.5
check "the editor's OK writes the two lines as exact bytes" \
  cmp "$WORK/new.txt" <(printf 'food\r\nbook')
check "... and closes the editor" test "$(count_windows "^$EDITOR\$")" -eq 0
# Typed text, then Enter on the focused Cancel: nothing is written.
click_at "$setup" 363 51
editor=$(wait_active "$EDITOR" 3)
click_at "${editor:-0}" 100 100
xdotool type --delay 30 xyz; xdotool key Tab Tab Return
sleep 0.5
check "Enter on the editor's focused Cancel writes nothing" \
  cmp "$WORK/new.txt" <(printf 'food\r\nbook')
check "... and closes the editor" test "$(count_windows "^$EDITOR\$")" -eq 0
# The file made read-only: OK says it cannot be written and keeps the text.
chmod 444 "$WORK/new.txt"
click_at "$setup" 363 51
editor=$(wait_active "$EDITOR" 3)
click_at "${editor:-0}" 100 100
xdotool key ctrl+End; xdotool type --delay 30 xyz; xdotool key alt+o
check "OK on a read-only kind file says it cannot be written" \
  wait_active 'まめたん家計簿' 3
screenshot read-only
xdotool key Return
sleep 0.5
check "... leaves the file as it was" cmp "$WORK/new.txt" <(printf 'food\r\nbook')
check "... and read-only" test ! -w "$WORK/new.txt"
check "... and keeps the editor open" wait_active "$EDITOR" 3
xdotool key alt+c
sleep 0.5
check "... until Cancel closes it" test "$(count_windows "^$EDITOR\$")" -eq 0
xdotool key Escape
sleep 0.5
check "the setup dialog's Esc closes it" test "$(count_windows "^$SETUP\$")" -eq 0

click_icon 3
wait_menu 5 >/dev/null
xdotool key e
wait_exit "$app" 10
check "終了 ends the program with 0 (got ${EXIT_CODE:-running})" test "${EXIT_CODE:-x}" = 0
check "... leaving Tax=8 (Enter on Cancel kept no 7)" grep -qx 'Tax=8' "$SETTINGS"
check "... and the old kind file name (Cancel kept it)" grep -qx 'File_Kind=item.txt' "$SETTINGS"
check "... and what Cancel dropped unsaved" grep -qx 'SaveWindowPos=0' "$SETTINGS"

# DelRegistry: a fresh run starts with the box clear; ticked, then 終了.
start_app
app=$LAST_PID
wait_docked 10 >/dev/null
setup=$(open_setup)
click_at "$setup" 208 120  # 終了時にレジストリ情報を削除
xdotool key alt+o
sleep 0.5
click_icon 3
wait_menu 5 >/dev/null
xdotool key e
wait_exit "$app" 10
check "with the delete box ticked 終了 ends with 0 (got ${EXIT_CODE:-running})" test "${EXIT_CODE:-x}" = 0
check "... and the [Mametan] section is gone" sh -c "! grep -q 'Mametan' '$SETTINGS'"

e2e_finish
