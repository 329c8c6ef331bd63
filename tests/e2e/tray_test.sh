#!/usr/bin/env bash
# The tray icon in a real XEmbed tray: docking, the popup menu, the exit
# command, the taskbar entry, and docking again when the tray restarts.
source "$(dirname "$0")/lib.sh"
start_x
start_tray

start_app
app=$LAST_PID
icon=$(wait_docked 10)
check "the icon docks in the tray" test -n "$icon"
size=$(xwininfo -id "${icon:-0}" 2>/dev/null | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w"x"h}')
check "... at least 22 x 22 (got $size)" test "${size%x*}" -ge 22 -a "${size#*x}" -ge 22
check "no taskbar entry while no window is open ($(taskbar_entry_state))" \
  test "$(taskbar_entry_state)" = none

# Right press: the popup menu at the cursor; "v" (the hidden list item) does
# nothing, Escape closes it.
click_icon 3
menu=$(wait_menu 5)
check "a right press opens the menu" test -n "$menu"
if [[ -n $menu ]]; then
  eval "$(xdotool getwindowgeometry --shell "$menu")"
  eval "$(xdotool getmouselocation --shell | sed 's/^/M/')"
  # Kept on the screen, so it may open to the pointer's left.
  check "... at the cursor (menu ${WIDTH}x$HEIGHT+$X+$Y; pointer $MX,$MY)" \
    test "$MX" -ge $((X - 2)) -a "$MX" -le $((X + WIDTH + 2)) -a "$MY" -ge $((Y - 2)) \
    -a "$MY" -le $((Y + HEIGHT + 2))
fi
xdotool key v
sleep 0.3
check "the hidden list item has no accelerator: the menu stays" wait_menu 1
check "... and nothing opened" test "$(count_windows 'form_|入力')" -eq 0
xdotool key Escape
sleep 0.3
check "Escape closes the menu" test -z "$(wait_menu 0)"

# The input command from the menu, then a left press with the window open.
click_icon 3
xdotool key i
input=$(wait_window '(form_Input|まめたん家計簿 - 入力)' 5)
check "入力(&I) opens the input window" test -n "$input"
check "... which stays out of the taskbar" \
  sh -c "xprop -id '${input:-0}' _NET_WM_STATE | grep -q SKIP_TASKBAR"
check "the taskbar entry is there while a window is open" \
  test "$(taskbar_entry_state)" = listed
click_icon 1
check "a left press with the input window open makes no second one" \
  test "$(count_windows '(form_Input|まめたん家計簿 - 入力)')" -eq 1

# The tray goes away and comes back: nothing of the icon stays on screen in
# between, and it docks in the new tray.
stop_tray
sleep 0.5
left=$(for id in $(xdotool search --classname '^mametan-tray$' 2>/dev/null); do
  xwininfo -id "$id" | grep -c IsViewable; done | paste -sd+ | bc 2>/dev/null)
check "with the tray gone the icon is off the screen" test "${left:-0}" -eq 0
check "... and the program runs on" kill -0 "$app"
start_tray
icon=$(wait_docked 10)
check "the icon docks again in the restarted tray" test -n "$icon"
click_icon 3
check "... and answers a right press" wait_menu 5
xdotool key Escape
sleep 0.3

# A panel as wide as the screen (trayer's default width), started anew a few
# times beside the running program: each time the panel is drawn and the
# icon sits in it.
drawn=0
for _ in 1 2 3 4 5; do
  stop_tray
  TRAYER_ARGS="--edge top --align right --height 32 --SetDockType true" start_tray
  wait_docked 10 >/dev/null || continue
  for _ in $(seq 40); do
    px=$(import -window root -crop 1x1+964+5 txt:- 2>/dev/null | grep -o '#[0-9A-F]*' | tail -n1)
    [[ -n $px && $px != '#000000' ]] && { drawn=$((drawn + 1)); break; }
    sleep 0.1
  done
done
check "a full-width panel is drawn with the icon in it at each of 5 starts (got $drawn)" \
  test "$drawn" -eq 5
stop_tray
start_tray
wait_docked 10 >/dev/null
click_icon 3
wait_menu 5 >/dev/null

# 終了(&E) with the input window open: its place goes into the ten
# settings, and the program ends with 0.
read -r X Y < <(frame_origin "${input:-0}")
want=$(sed -e "s/^InputWindow_Left=.*/InputWindow_Left=${X:-?}/" \
  -e "s/^InputWindow_Top=.*/InputWindow_Top=${Y:-?}/" <<<"$TEN_SETTINGS")
xdotool key e
wait_exit "$app" 10
check "終了 ends the program with 0 (got ${EXIT_CODE:-running})" test "${EXIT_CODE:-x}" = 0
check "... having written the ten settings, the input window's place among them" \
  test "$(settings_lines)" = "$want"
[[ "$(settings_lines)" == "$want" ]] || cat "$SETTINGS" 2>/dev/null

# Debug mode: form_Main and the taskbar entry.
rm -f "$SETTINGS"
start_app /debug
dbg=$LAST_PID
check "/debug shows form_Main" wait_window form_Main 10
sleep 0.3
check "... with the taskbar entry" test "$(taskbar_entry_state)" = listed
kill -TERM "$dbg"
wait_exit "$dbg" 10
check "SIGTERM ends the debug instance with 0" test "${EXIT_CODE:-x}" = 0

e2e_finish
