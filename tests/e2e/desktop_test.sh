#!/usr/bin/env bash
# On a desktop with a window manager, typing reaches the input window at the
# moments it is meant for: after the first run's warning, after each message
# box, after the date field's own error. The kind is written as typed, the
# boxes paint at once, and the window's place holds over three runs.
source "$(dirname "$0")/lib.sh"
start_x
start_tray

TITLE='まめたん家計簿 - 入力'
today=$(date +%Y/%m/%d)
cat >"$SETTINGS" <<'EOF'
[Mametan]
SaveWindowPos=1
InputWindow_Left=50
InputWindow_Top=60
NextInput=1
EOF

# Run 1, the first run: no kind file, so the warning comes first. Return
# dismisses it; a left press then opens the input window with the keyboard.
rm -f item.txt
start_app
app=$LAST_PID
check "run 1: the missing kind file's warning has the keyboard" wait_active Message 10
xdotool key Return
wait_docked 10 >/dev/null
click_icon 1
input=$(wait_active "$TITLE" 5)
check "run 1: after the warning a left press gives the input window the keyboard" test -n "$input"
place=$(frame_origin "${input:-0}")
check "run 1: the frame at the saved 50,60 (got $place)" test "$place" = "50 60"
kill -TERM "$app"; wait_exit "$app" 10

# Types one entry: kind, goods, price, each followed by the key given.
type_fields() {
  xdotool type --delay 20 "$1"; xdotool key Tab
  xdotool type --delay 20 "$2"; xdotool key Tab
  xdotool type --delay 20 "$3"; xdotool key Return
  sleep 0.5
}
# The ledger's lines after the header, UTF-8.
ledger() { tail -n +2 kakeibo.csv 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r'; }

# Run 2: kinds food, foodstuff and book; the continued input keeps the
# window open after each purchase.
printf 'food\r\nfoodstuff\r\nbook\r\n' >item.txt
start_app
app=$LAST_PID
wait_docked 10 >/dev/null
click_icon 1
input=$(wait_active "$TITLE" 5)
check "run 2: a left press gives the input window the keyboard" test -n "$input"
place=$(frame_origin "${input:-0}")
check "run 2: the frame at the saved 50,60 (got $place)" test "$place" = "50 60"

# A kind typed by hand is written as typed, never completed from the list.
type_fields fo milk 1
type_fields BO pen 2
type_fields FOOD rice 3
kinds=$(ledger | cut -d, -f2 | paste -sd' ')
check "typed kinds are written as typed (fo, BO, FOOD; got $kinds)" test "$kinds" = "fo BO FOOD"

# A missing price: the box has the keyboard; after it the price field has it.
type_fields food tea ''
box=$(wait_active Message 3)
check "the missing price's box has the keyboard" test -n "$box"
check "... and is transient for the input window" \
  sh -c "xprop -id '${box:-0}' WM_TRANSIENT_FOR | grep -qi '$(printf '0x%x' "${input:-0}")'"
xdotool key Return
check "... after it the input window has the keyboard again" wait_active "$TITLE" 3
xdotool type --delay 20 120; xdotool key Return; sleep 0.5
check "... in the price field" test "$(ledger | tail -n1)" = "$today,food,tea,120"

# A missing kind: its box paints at once (not one colour within 500 ms).
xdotool key Return
start=$(date +%s%N)
box=$(wait_window Message 1)
[[ -n $box ]] && timeout 5 import -window "$box" "$E2E_SHOTS/kind-box.png" 2>/dev/null
elapsed=$((($(date +%s%N) - start) / 1000000))
colours=$(convert "$E2E_SHOTS/kind-box.png" -format %k info: 2>/dev/null)
check "the missing kind's box is painted within 500 ms (${colours:-no} colours at ${elapsed} ms)" \
  test "${colours:-1}" -gt 1 -a "$elapsed" -le 500
xdotool key Return
check "... after it the input window has the keyboard again" wait_active "$TITLE" 3

# The date's mask error: its advice, Esc, works once the box is gone.
xdotool key shift+Tab; xdotool type --delay 20 2026; xdotool key Return
check "an unfinished date's error box has the keyboard" wait_active まめたん家計簿 3
xdotool key Return
check "... after it the input window has the keyboard again" wait_active "$TITLE" 3
xdotool key Escape Tab; sleep 0.2
type_fields food egg 4
check "... and Esc took the date back" test "$(ledger | tail -n1)" = "$today,food,egg,4"

# An emptied date and Enter: OK's own check speaks first.
xdotool key shift+Tab Delete Return
check "an emptied date and Enter shows \"Message\" (no date), not the mask error" \
  wait_active Message 3
screenshot emptied-date
xdotool key Return
check "... after it the input window has the keyboard again" wait_active "$TITLE" 3
kill -TERM "$app"; wait_exit "$app" 10
saved_place() { grep -qx "InputWindow_Left=$1" "$SETTINGS" && grep -qx "InputWindow_Top=$2" "$SETTINGS"; }
check "run 2: the saved place is still 50,60 ($(grep InputWindow_ "$SETTINGS" | paste -sd' '))" \
  saved_place 50 60

# Run 3: the place holds once more.
start_app
app=$LAST_PID
wait_docked 10 >/dev/null
click_icon 1
input=$(wait_active "$TITLE" 5)
place=$(frame_origin "${input:-0}")
check "run 3: the frame at the saved 50,60 (got $place)" test "$place" = "50 60"
kill -TERM "$app"; wait_exit "$app" 10

e2e_finish
