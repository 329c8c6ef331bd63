#!/usr/bin/env bash
# An installed copy as a new user meets it: laid out into a DESTDIR, started
# from the home folder by the menu entry's Exec line, it runs in
# ~/Documents/まめたん家計簿, which the launcher made with the built-in kinds:
# no warning, the nine kinds offered, the ledger written there. The next
# login's start (the autostart entry) finds the same folder; a kind file the
# user deleted is not made again, so the warning comes back.
source "$(dirname "$0")/lib.sh"

build=$(dirname "$MAMETAN")
root=$E2E_DIR/root
if ! cmake --build "$build" --target mametan_icons mametan_seed_kind_file >"$E2E_DIR/install.log" 2>&1 ||
  ! DESTDIR=$root cmake --install "$build" --prefix /usr >>"$E2E_DIR/install.log" 2>&1; then
  echo "FAIL - cmake --install"; cat "$E2E_DIR/install.log"
  exit 1
fi
export PATH=$root/usr/bin:$PATH
menu_exec=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/mametan.desktop")
autostart_exec=$(sed -n 's/^Exec=//p' "$root/etc/xdg/autostart/mametan.desktop")
folder=$HOME/Documents/まめたん家計簿
TITLE='まめたん家計簿 - 入力'
cd "$HOME" || exit 1
start_x
start_tray

# Runs an entry's Exec line as the session does, from the home folder; the
# program ends up with the PID ($LAST_PID), since every step execs the next.
start_entry() {
  sh -c "exec $1" >>"$E2E_DIR/app.log" 2>&1 &
  LAST_PID=$!
  E2E_PIDS+=("$LAST_PID")
}

no_warning() { sleep 1; test "$(count_windows '^Message$')" -eq 0; }

# Opens the input window from the icon, picks a kind with $1 presses of Down
# in the kind box, types goods $2 and price $3, and confirms.
buy() {
  click_icon 1
  wait_active "$TITLE" 5 >/dev/null || return 1
  local i
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  xdotool key Tab; xdotool type --delay 30 "$2"
  xdotool key Tab; xdotool type --delay 30 "$3"
  xdotool key Return
  sleep 1
}

end_program() {
  kill -TERM "$1"
  wait_exit "$1" 10
}

today=$(date +%Y/%m/%d)
expected=$E2E_DIR/expected.csv
printf '日付,種類,商品名,価格\r\n' | iconv -f UTF-8 -t CP932 >"$expected"

start_entry "$menu_exec"
app=$LAST_PID
check "the menu entry's program docks" wait_docked 15
check "... with no warning about the kind file" no_warning
# その他 教育費 交通費 雑貨 趣味 書籍 食費 水道光熱費 通信費, CR LF, code page 932.
printf '\x82\xBB\x82\xCC\x91\xBC\r\n\x8B\xB3\x88\xE7\x94\xEF\r\n\x8C\xF0\x92\xCA\x94\xEF\r\n\x8E\x47\x89\xDD\r\n\x8E\xEF\x96\xA1\r\n\x8F\x91\x90\xD0\r\n\x90\x48\x94\xEF\r\n\x90\x85\x93\xB9\x8C\xF5\x94\x4D\x94\xEF\r\n\x92\xCA\x90\x4D\x94\xEF\r\n' >"$E2E_DIR/kinds.txt"
check "the launcher made $folder with the nine built-in kinds" cmp "$E2E_DIR/kinds.txt" "$folder/item.txt"
# Past the end of the list Down stays on the last kind: 通信費 is the ninth.
buy 12 milk 198
screenshot first-start
printf '%s,\x92\xCA\x90\x4D\x94\xEF,milk,198\r\n' "$today" >>"$expected"
check "the purchase, of the last built-in kind, is in the folder's kakeibo.csv" cmp "$expected" "$folder/kakeibo.csv"
check "nothing lands in the home folder" test -z "$(find "$HOME" -maxdepth 1 -type f)"
end_program "$app"

start_entry "$autostart_exec"
app=$LAST_PID
check "at the next login the autostart entry's program docks" wait_docked 20
check "... with no warning" no_warning
buy 1 tea 150
printf '%s,\x82\xBB\x82\xCC\x91\xBC,tea,150\r\n' "$today" >>"$expected"
check "... and its purchase follows the first in the same ledger" cmp "$expected" "$folder/kakeibo.csv"
end_program "$app"

rm "$folder/item.txt"
start_entry "$menu_exec"
app=$LAST_PID
check "a kind file the user deleted brings the warning back" wait_window Message 15
check "... and is not made again" test ! -e "$folder/item.txt"
screenshot deleted-kind-file
xdotool key Return
end_program "$app"
e2e_finish
