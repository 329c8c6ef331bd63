#!/usr/bin/env bash
# A double press on the icon while the setup dialog is open: the first press
# opens the input window, the double click restores the program, and the
# keyboard stays with the input window, the window opened last. With the
# pointer moved off the icon onto the input window (no window manager: the
# keys go to the program through the window under the pointer, and to its
# window that has the keyboard from there), Esc closes the input window and
# leaves the setup dialog open.
#   restore_test.sh <mametan.exe> <Wine prefix>
source "$(dirname "$0")/lib.sh"

SETUP='まめたん家計簿 - 設定'
INPUT='まめたん家計簿 - 入力'

start_desktop
start_program
wait_docked || { echo "FAIL: the icon never docked"; exit 1; }

open_menu || { echo "FAIL: a right press on the icon opens no menu"; exit 1; }
xdotool mousemove $((X + WIDTH / 2)) $((Y + 4))
xdotool key s
SETUP_ID=$(wait_window "$SETUP")
check "the menu's setup command opens the setup dialog" test -n "$SETUP_ID"
[[ -n $SETUP_ID ]] || finish
sleep 0.5

xdotool mousemove "$ICON_X" "$ICON_Y" click --repeat 2 --delay 80 1
INPUT_ID=$(wait_window "$INPUT")
check "the double press opens the input window" test -n "$INPUT_ID"
[[ -n $INPUT_ID ]] || finish
sleep 1
eval "$(xdotool getwindowgeometry --shell "$INPUT_ID")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 4))
sleep 0.5
screenshot after-double-press

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
gone() {
  for _ in $(seq 30); do
    viewable "$1" || return 0
    sleep 0.1
  done
  return 1
}
xdotool key Escape
check "Esc reaches the input window, which closes" gone "$INPUT_ID"
sleep 0.3
check "the setup dialog stays open" viewable "$SETUP_ID"
screenshot after-escape

# Exit from the menu.
open_menu || { echo "FAIL: a right press on the icon opens no menu"; exit 1; }
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 8)) click 1
check "the program ends" wait_program_end
finish
