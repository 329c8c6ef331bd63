#!/usr/bin/env bash
# The setup dialog from the icon's menu: the tax typed, stepped with the Up
# key and with the spin edit's up arrow, confirmed with Alt+O, reaches the
# registry at the exit; Enter on the focused Cancel keeps nothing; the
# classification editor opened from the dialog writes the kinds the user
# typed as exact code page 932 bytes; a ledger in a folder whose name code
# page 932 cannot hold is saved at 終了 as it stands.
#   setup_test.sh <mametan.exe> <Wine prefix>
source "$(dirname "$0")/lib.sh"

SETUP='まめたん家計簿 - 設定'
EDITOR='まめたん家計簿 - 分類設定ファイルの編集'

start_desktop
# The ledger in a folder whose name code page 932 cannot hold (Korean and an
# emoji), as the file chooser can give it: 終了 keeps it as it stands.
mkdir -p "$WINEPREFIX/drive_c/한글😀"
wine reg add 'HKCU\Software\VelmaroSoftware\Mametan' /v File_Kakeibo /d 'C:\한글😀\kakeibo.csv' \
  /f >/dev/null 2>&1
start_program
wait_docked || { echo "FAIL: the icon never docked"; exit 1; }

# 設定(&S) from the menu, the pointer resting on the menu; prints the
# dialog's window id.
open_setup() {
  open_menu || return 1
  xdotool mousemove $((X + WIDTH / 2)) $((Y + 4))
  xdotool key s
  wait_window "$SETUP"
}

# Clicks at client position $2,$3 of window $1 (its geometry is the client
# area's), then lets the click settle.
click_at() {
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$1") || return 1
  eval "$geometry"
  xdotool mousemove $((X + $2)) $((Y + $3)) click 1
  sleep 0.4
}

window_gone() {
  for _ in $(seq 30); do
    xwininfo -id "$1" 2>/dev/null | grep -q IsViewable || return 0
    sleep 0.1
  done
  return 1
}

SETUP_ID=$(open_setup)
check "the menu's setup command opens the setup dialog" test -n "$SETUP_ID"
[[ -n $SETUP_ID ]] || finish
sleep 0.3
screenshot setup

# The tax box: the user clicks into its text, empties it and types 7, the
# Up key makes it 8 and a press on the up arrow 9; Alt+O confirms while the
# box still has the focus.
click_at "$SETUP_ID" 245 82
xdotool key End BackSpace BackSpace BackSpace
xdotool type --delay 50 7
xdotool key Up
sleep 0.2
click_at "$SETUP_ID" 273 77
screenshot tax
xdotool key alt+o
check "Alt+O closes the dialog" window_gone "$SETUP_ID"

# Shown again: the tax as confirmed. Typed 50, then Tab to Cancel (tax box,
# ledger box, delete box, OK, Cancel) and Enter: nothing is kept.
SETUP_ID=$(open_setup)
check "the setup dialog opens again" test -n "$SETUP_ID"
[[ -n $SETUP_ID ]] || finish
sleep 0.3
screenshot setup-again
click_at "$SETUP_ID" 245 82
xdotool key End BackSpace BackSpace BackSpace
xdotool type --delay 50 50
xdotool key Tab Tab Tab Tab
sleep 0.2
screenshot cancel-focused
xdotool key Return
check "Enter on the focused Cancel closes the dialog" window_gone "$SETUP_ID"

# The editor from the setup dialog's edit button, on the kind file the
# program started with: the user adds a kind on the last line, tries Esc
# and presses Alt+O.
SETUP_ID=$(open_setup)
[[ -n $SETUP_ID ]] || finish
click_at "$SETUP_ID" 363 51
EDITOR_ID=$(wait_window "$EDITOR")
check "the edit button opens the editor" test -n "$EDITOR_ID"
[[ -n $EDITOR_ID ]] || finish
sleep 0.3
click_at "$EDITOR_ID" 150 200
xdotool key ctrl+End
xdotool type --delay 100 '日用品'
xdotool key Escape
sleep 0.3
screenshot editor
check "Esc in the text box leaves the editor open" \
  bash -c "xwininfo -id $EDITOR_ID | grep -q IsViewable"
xdotool key alt+o
check "OK closes the editor" window_gone "$EDITOR_ID"
kinds_written() {
  cmp -s item.txt <(printf '食費\r\n雑貨\r\n日用品' | iconv -f UTF-8 -t CP932) && return 0
  echo "item.txt:"; od -c item.txt
  return 1
}
check "the kind file holds the typed kind in code page 932" kinds_written
check "the setup dialog stays open" bash -c "xwininfo -id $SETUP_ID | grep -q IsViewable"
xdotool key Escape
check "Esc closes the setup dialog" window_gone "$SETUP_ID"

# Exit from the menu; the confirmed tax is saved.
open_menu || { echo "FAIL: a right press on the icon opens no menu"; exit 1; }
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 8)) click 1
check "the program ends" wait_program_end
tax_saved() {
  wine reg query 'HKCU\Software\VelmaroSoftware\Mametan' /v Tax 2>/dev/null | tr -d '\r' |
    grep -q 'Tax *REG_SZ *9$'
}
check "the tax 9 is in the registry" tax_saved
ledger_kept() {
  wine reg export 'HKCU\Software\VelmaroSoftware\Mametan' "$E2E_DIR/mametan.reg" /y >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$E2E_DIR/mametan.reg" | tr -d '\r' |
    grep -qxF '"File_Kakeibo"="C:\\한글😀\\kakeibo.csv"'
}
check "... and the ledger in the Korean and emoji folder is kept" ledger_kept
finish
