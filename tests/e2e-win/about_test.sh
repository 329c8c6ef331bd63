#!/usr/bin/env bash
# The about box opens from the icon's menu and closes with Enter on its
# default button; Esc leaves it open.
#   about_test.sh <mametan.exe> <Wine prefix>
source "$(dirname "$0")/lib.sh"

start_desktop
start_program
wait_docked || { echo "FAIL: the icon never docked"; exit 1; }

# The menu's accelerator A chooses バージョン情報(&A).... Without a window
# manager the keys go to the window under the pointer: the user's hand
# rests on the menu.
open_menu || { echo "FAIL: a right press on the icon opens no menu"; exit 1; }
xdotool mousemove $((X + WIDTH / 2)) $((Y + 4))
xdotool key a
ABOUT=$(wait_window 'バージョン情報')
check "the menu's about command opens the about box" test -n "$ABOUT"
[[ -n $ABOUT ]] || finish
sleep 0.3
screenshot about

# The user clicks on the box, then tries Esc and presses Enter.
eval "$(xdotool getwindowgeometry --shell "$ABOUT")"
xdotool mousemove $((X + 150)) $((Y + 60)) click 1
sleep 0.2
xdotool key Escape
sleep 0.3
check "Esc leaves the box open" bash -c "xwininfo -id $ABOUT | grep -q IsViewable"
xdotool key Return
box_closed() {
  for _ in $(seq 30); do
    xwininfo -id "$ABOUT" 2>/dev/null | grep -q IsViewable || return 0
    sleep 0.1
  done
  return 1
}
check "Enter presses OK and the box closes" box_closed
check "the program still runs" program_running
finish
