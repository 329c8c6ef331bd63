#!/usr/bin/env bash
# An installed copy as a new user meets it: laid out into a DESTDIR and started
# from the home folder by the menu entry's Exec line, it runs in
# ~/Documents/まめたん家計簿, made with the built-in kinds: no warning, the nine
# kinds offered, the ledger there. The next login (the autostart entry, its
# panel late) finds the same; a kind file the user deleted is not made again.
source "$(dirname "$0")/lib.sh"

build=$(dirname "$MAMETAN") root=$E2E_DIR/root
{ cmake --build "$build" --target mametan_icons mametan_seed_kind_file &&
  DESTDIR=$root cmake --install "$build" --prefix /usr; } >"$E2E_DIR/install.log" 2>&1 ||
  { echo "FAIL - cmake --install"; cat "$E2E_DIR/install.log"; exit 1; }
export PATH=$root/usr/bin:$PATH
folder=$HOME/Documents/まめたん家計簿 expected=$E2E_DIR/expected.csv today=$(date +%Y/%m/%d)
printf '日付,種類,商品名,価格\r\n' | iconv -f UTF-8 -t CP932 >"$expected"
cd "$HOME" || exit 1
start_x
start_tray

# The Exec line of group $2 (default the entry itself) of entry $1, with no
# file for %f.
exec_line() {
  awk -v group="[${2:-Desktop Entry}]" '/^\[/ { inside = ($0 == group) }
    inside && sub(/^Exec=/, "") { print; exit }' "$root/$1" | sed 's/ %[fFuU]//'
}
# Runs an entry's Exec line as the session does; every step execs the next,
# so $LAST_PID ends up the program's.
start_entry() {
  sh -c "exec $(exec_line "$1")" >>"$E2E_DIR/app.log" 2>&1 &
  LAST_PID=$!
  E2E_PIDS+=("$LAST_PID")
}
no_warning() { sleep 1; test "$(count_windows '^Message$')" -eq 0; }
# From the icon: $1 presses of Down in the kind box, goods $2, price $3, Enter.
buy() {
  click_icon 1
  wait_active 'まめたん家計簿 - 入力' 5 >/dev/null || return 1
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  xdotool key Tab type --delay 30 "$2"
  xdotool key Tab type --delay 30 "$3"
  xdotool key Return
  sleep 1
}

start_entry usr/share/applications/mametan.desktop
check "the menu entry's program docks" wait_docked 15
check "... with no warning about the kind file" no_warning
# その他 教育費 交通費 雑貨 趣味 書籍 食費 水道光熱費 通信費, code page 932, CR LF.
check "... in $folder, made with the nine built-in kinds" cmp "$folder/item.txt" <(printf '\x82\xBB\x82\xCC\x91\xBC\r\n\x8B\xB3\x88\xE7\x94\xEF\r\n\x8C\xF0\x92\xCA\x94\xEF\r\n\x8E\x47\x89\xDD\r\n\x8E\xEF\x96\xA1\r\n\x8F\x91\x90\xD0\r\n\x90\x48\x94\xEF\r\n\x90\x85\x93\xB9\x8C\xF5\x94\x4D\x94\xEF\r\n\x92\xCA\x90\x4D\x94\xEF\r\n')
# Past the end of the list Down stays on the last kind: 通信費 is the ninth.
buy 12 milk 198
printf '%s,\x92\xCA\x90\x4D\x94\xEF,milk,198\r\n' "$today" >>"$expected"
check "the purchase of the last built-in kind is in the folder's kakeibo.csv" cmp "$expected" "$folder/kakeibo.csv"
check "nothing lands in the home folder" test -z "$(find "$HOME" -maxdepth 1 -type f)"
app=$LAST_PID
timeout 5 sh -c "exec $(exec_line usr/share/applications/mametan.desktop 'Desktop Action input')" \
  >>"$E2E_DIR/app.log" 2>&1
code=$?
check "the entry's action 買い物を入力 beside the running program ends with 0 (got $code)" \
  test "$code" = 0
check "... and the program's input window takes the keyboard" wait_active 'まめたん家計簿 - 入力' 5
start_entry usr/share/applications/mametan-view.desktop
check "the viewer's menu entry opens that ledger" wait_window 'まめたん家計簿 一覧 - kakeibo.csv'
check "... from that folder" test "$(readlink "/proc/$LAST_PID/cwd")" = "$folder"
screenshot viewer
kill -TERM "$LAST_PID" "$app"; wait_exit "$LAST_PID"; wait_exit "$app"

# The next login's panel comes up 15 s after the program (20 s after the
# entry, which waits 5 s itself): the program waits for it.
stop_tray
start_entry etc/xdg/autostart/mametan.desktop
sleep 20
check "at the next login no error box shows while the panel is late" \
  test "$(count_windows '^まめたん家計簿$')" -eq 0
start_tray
check "... and the autostart entry's program docks in the late panel" wait_docked 20
check "... with no warning" no_warning
buy 1 tea 150
printf '%s,\x82\xBB\x82\xCC\x91\xBC,tea,150\r\n' "$today" >>"$expected"
check "... and its purchase follows the first in the same ledger" cmp "$expected" "$folder/kakeibo.csv"
kill -TERM "$LAST_PID"; wait_exit "$LAST_PID"

rm "$folder/item.txt"
start_entry usr/share/applications/mametan.desktop
check "a kind file the user deleted brings the warning back" wait_window Message 15
check "... and is not made again" test ! -e "$folder/item.txt"
kill -TERM "$LAST_PID"; wait_exit "$LAST_PID"

# A file where the folder should be: the box names the folder and the
# reason, OK ends the program with 1, and no ledger is made anywhere.
rm -rf "$folder"; : >"$folder"
start_entry usr/share/applications/mametan.desktop
check "an account-book folder that is a file brings the error box" wait_window 'まめたん家計簿' 15
screenshot unusable-folder
xdotool key Return
check "... and OK ends the program with 1" wait_exit "$LAST_PID" 5
check "... (exit ${EXIT_CODE:-none})" test "${EXIT_CODE:-0}" -eq 1
check "... with no ledger anywhere" test -z "$(find "$HOME" -name kakeibo.csv)"
check "... naming folder and reason on stderr" \
  grep -qF "家計簿のフォルダ $folder が使えません" "$E2E_DIR/app.log"
rm -f "$folder"

# Without HOME the password database gives the home; a user-dirs value with
# shell escapes names the folder it spells.
pwhome=$E2E_DIR/pwhome stub=$E2E_DIR/stub
mkdir -p "$pwhome" "$stub"
printf '#!/bin/sh\necho "me:x:%s:%s::%s:/bin/sh"\n' "$(id -u)" "$(id -g)" "$pwhome" >"$stub/getent"
chmod +x "$stub/getent"
for home in unset empty; do
  if [[ $home == unset ]]; then
    (export PATH=$stub:$PATH XDG_CONFIG_HOME=$pwhome/.config; unset HOME; start_entry usr/share/applications/mametan.desktop; echo "$LAST_PID" >"$E2E_DIR/pid")
  else
    (export PATH=$stub:$PATH XDG_CONFIG_HOME=$pwhome/.config HOME=; start_entry usr/share/applications/mametan.desktop; echo "$LAST_PID" >"$E2E_DIR/pid")
  fi
  pid=$(cat "$E2E_DIR/pid")
  check "HOME $home: the program docks" wait_docked 15
  check "... in the folder under the password database's home" \
    test "$(readlink "/proc/$pid/cwd")" = "$pwhome/Documents/まめたん家計簿"
  kill -TERM "$pid"; wait_exit "$pid"
done
mkdir -p "$XDG_CONFIG_HOME"
printf 'XDG_DOCUMENTS_DIR="$HOME/My \\"Docs\\" \\\\ \\$x"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"
start_entry usr/share/applications/mametan.desktop
check "an escaped user-dirs value: the program docks" wait_docked 15
check "... in the folder the value spells" \
  test "$(readlink "/proc/$LAST_PID/cwd")" = "$HOME/My \"Docs\" \\ \$x/まめたん家計簿"
kill -TERM "$LAST_PID"; wait_exit "$LAST_PID"
e2e_finish
