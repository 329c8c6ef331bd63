#!/usr/bin/env bash
# A purchase typed into the input window reaches the ledger as exact code
# page 932 bytes, with the tax added, and the tax box's state reaches the
# registry at the exit.
#   entry_test.sh <mametan.exe> <Wine prefix>
source "$(dirname "$0")/lib.sh"

start_desktop
# The tax rate the user set in an earlier run.
wine reg add 'HKCU\Software\VelmaroSoftware\Mametan' /v Tax /t REG_SZ /d 5 /f >/dev/null 2>&1
start_program
wait_docked || { echo "FAIL: the icon never docked"; exit 1; }

xdotool mousemove "$ICON_X" "$ICON_Y" click 1
INPUT=$(wait_window 'まめたん家計簿 - 入力')
check "a left press on the icon opens the input window" test -n "$INPUT"
[[ -n $INPUT ]] || finish
sleep 0.3
screenshot input

# The user clicks into the kind box, picks the first kind, types the goods
# and the price, ticks the tax box and presses Enter.
client_origin "$INPUT" 345 161
xdotool mousemove $((CX + 100)) $((CY + 55)) click 1
sleep 0.3
xdotool key Down
xdotool key Tab
sleep 0.3
xdotool type --delay 100 'りんご'
xdotool key Tab
sleep 0.3
xdotool type --delay 30 '1980'
xdotool key alt+t
sleep 0.3
screenshot typed
xdotool key Return

ledger_written() {
  local expected
  expected=$(printf '日付,種類,商品名,価格\r\n%s,食費,りんご,2079\r\n' "$(date +%Y/%m/%d)" |
    iconv -f UTF-8 -t CP932 | od -An -tx1)
  for _ in $(seq 50); do
    [[ -s kakeibo.csv && $(od -An -tx1 kakeibo.csv) == "$expected" ]] && return 0
    sleep 0.1
  done
  echo "ledger:"; od -c kakeibo.csv 2>&1
  return 1
}
check "the ledger holds the purchase with tax in code page 932" ledger_written

window_hidden() {
  for _ in $(seq 30); do
    xwininfo -id "$INPUT" 2>/dev/null | grep -q IsViewable || return 0
    sleep 0.1
  done
  return 1
}
check "OK hides the input window" window_hidden

# An unfinished date is refused with one box, whichever way the user tries to
# leave it: the box closed, the keyboard is back on the first unfilled digit,
# and the digits typed next finish the date. Boxes are top-level windows of
# the program; the one wanted is titled $1.
# (The application window that carries the taskbar entry shares the title but
# lies off the screen.)
program_boxes() {
  local id
  for id in $(viewable_windows mametan.exe); do
    xdotool getwindowname "$id" 2>/dev/null | grep -qx "$1" || continue
    eval "$(xdotool getwindowgeometry --shell "$id")"
    ((X >= 0 && Y >= 0 && WIDTH > 50)) && echo "$id"
  done
}
wait_boxes() {
  local want=$1 title=$2 n
  for _ in $(seq 40); do
    n=$(program_boxes "$title" | wc -l)
    ((n == want)) && break
    sleep 0.1
  done
  # A second box would follow the first within moments.
  sleep 1
  n=$(program_boxes "$title" | wc -l)
  ((n == want)) || { echo "$n boxes titled $title, wanted $want"; return 1; }
}
# Closes the box with Enter, typed over it as the user would.
close_box() {
  local box
  box=$(program_boxes "$1" | head -n1)
  [[ -n $box ]] || return 1
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + 10)) key Return
}
open_input() {
  xdotool mousemove "$ICON_X" "$ICON_Y" click 1
  INPUT=$(wait_window 'まめたん家計簿 - 入力') || return 1
  sleep 0.3
  client_origin "$INPUT" 345 161
  IX=$CX IY=$CY
}
day=14
for way in tab ok-click alt-o; do
  day=$((day + 1))
  open_input || { echo "FAIL: the input window did not open again"; break; }
  base=$(program_boxes 'まめたん家計簿' | wc -l)
  # Into the date field, the day's two digits taken away.
  xdotool mousemove $((IX + 100)) $((IY + 23)) click 1
  sleep 0.2
  xdotool key End BackSpace BackSpace
  case $way in
    tab) xdotool key Tab ;;
    ok-click) xdotool mousemove $((IX + 297)) $((IY + 84)) click 1 ;;
    alt-o) xdotool key alt+o ;;
  esac
  check "$way with an unfinished date: one error box" wait_boxes $((base + 1)) 'まめたん家計簿'
  [[ $way == tab ]] && screenshot unfinished-date-box
  close_box 'まめたん家計簿'
  check "$way: the box closed, no other follows" wait_boxes "$base" 'まめたん家計簿'
  # The day typed goes where the digits were taken away; then the purchase.
  xdotool mousemove $((IX + 200)) $((IY + 150))
  xdotool type --delay 100 "$day"
  xdotool key Tab Down Tab
  xdotool type --delay 50 'x'
  xdotool key Tab
  xdotool type --delay 50 '100'
  xdotool key Return
  dated() {
    for _ in $(seq 30); do
      iconv -f CP932 -t UTF-8 kakeibo.csv 2>/dev/null | grep -q "^$(date +%Y/%m/)$day,.*,x," && return 0
      sleep 0.1
    done
    iconv -f CP932 -t UTF-8 kakeibo.csv
    return 1
  }
  check "$way: the keyboard went back to the first unfilled digit" dated
  window_hidden
done

# An emptied date and Enter: the input window's own message only.
if open_input; then
  base=$(program_boxes 'まめたん家計簿' | wc -l)
  xdotool mousemove $((IX + 100)) $((IY + 23)) click 1
  sleep 0.2
  xdotool key Home shift+End Delete Return
  check "an emptied date with Enter gives one message" wait_boxes 1 'Message'
  check "and no invalid-input box" wait_boxes "$base" 'まめたん家計簿'
  screenshot empty-date-message
  close_box 'Message'
  check "the message closed, no box follows" wait_boxes 0 'Message'
  xdotool mousemove $((IX + 200)) $((IY + 150)) key Escape
  window_hidden
fi

# Exit from the menu; the tax box's state is saved.
open_menu || { echo "FAIL: a right press on the icon opens no menu"; exit 1; }
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 8)) click 1
check "the program ends" wait_program_end
auto_tax_saved() {
  wine reg query 'HKCU\Software\VelmaroSoftware\Mametan' /v AutoTax 2>/dev/null | tr -d '\r' |
    grep -q 'AutoTax *REG_SZ *1'
}
check "the tax box's state is in the registry" auto_tax_saved
finish
