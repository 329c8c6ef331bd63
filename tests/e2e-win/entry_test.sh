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
eval "$(xdotool getwindowgeometry --shell "$INPUT")"
xdotool mousemove $((X + 100)) $((Y + 55)) click 1
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
