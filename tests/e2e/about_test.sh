#!/usr/bin/env bash
# The about box and the help page, met through an installed copy of the
# program: バージョン情報 from the tray menu, Enter closes it, it opens again;
# ヘルプ hands the installed page to the desktop's opener. Screenshots of the
# input window, the menu, the setup dialog and the about box are saved in the
# build folder's e2e-screenshots/.
source "$(dirname "$0")/lib.sh"
build=$(dirname "$MAMETAN")
SHOTS=$build/e2e-screenshots
mkdir -p "$SHOTS"

# The program as `cmake --install` lays it out.
if ! DESTDIR=$E2E_DIR/inst cmake --install "$build" --prefix /usr >"$E2E_DIR/install.log" 2>&1; then
  cat "$E2E_DIR/install.log"
  echo "FAIL: cmake --install"; exit 1
fi
MAMETAN=$E2E_DIR/inst/usr/bin/mametan
HELP_PAGE=$E2E_DIR/inst/usr/share/mametan/mametan.html

# The desktop's opener, replaced by one that writes down what it was given.
mkdir -p "$E2E_DIR/bin"
cat >"$E2E_DIR/bin/xdg-open" <<STUB
#!/bin/sh
printf '%s\n' "\$*" >>"$E2E_DIR/opened"
STUB
chmod +x "$E2E_DIR/bin/xdg-open"
export PATH=$E2E_DIR/bin:$PATH

shot() {  # shot name [window id]: the window, or the whole screen
  import -window "${2:-root}" "$SHOTS/$1.png" 2>/dev/null
}

# Opens the menu with a right press on the icon and chooses the item of key $1.
menu_command() {
  click_icon 3
  wait_menu 5 >/dev/null || return 1
  xdotool key "$1"
}

start_x
start_tray
start_app
app=$LAST_PID
check "the installed program docks in the tray" wait_docked 10

click_icon 3
menu=$(wait_menu 5)
check "a right press opens the menu" test -n "$menu"
shot menu
xdotool key a
about=$(wait_window 'バージョン情報' 5)
check "バージョン情報(&A) opens the about box" test -n "$about"
size=$(xwininfo -id "${about:-0}" 2>/dev/null | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w"x"h}')
check "... with a client area of 301 x 209 (got $size)" test "$size" = 301x209
sleep 0.3
shot about "${about:-root}"
xdotool key Escape
sleep 0.5
check "Esc leaves it open" test "$(count_windows '^バージョン情報$')" -eq 1
xdotool key Return
sleep 0.5
check "Enter closes it" test "$(count_windows '^バージョン情報$')" -eq 0
menu_command a
about=$(wait_window 'バージョン情報' 5)
check "it opens again" test -n "$about"
# Minimised by the user, it is not lost: the menu item brings it back.
xdotool windowminimize "${about:-0}"
sleep 0.5
check "... is minimised" test "$(count_windows '^バージョン情報$')" -eq 0
menu_command a
check "... and バージョン情報 brings it back with the keyboard" wait_active 'バージョン情報' 3
xdotool key Return
sleep 0.5
check "... and Enter closes it again" test "$(count_windows '^バージョン情報$')" -eq 0

menu_command h
for _ in $(seq 100); do [[ -s $E2E_DIR/opened ]] && break; sleep 0.05; done
opened=$(cat "$E2E_DIR/opened" 2>/dev/null)
check "ヘルプ(&H) opens the installed help page (got '${opened:-nothing}')" \
  test "$opened" = "file://$HELP_PAGE"

click_icon 1
input=$(wait_window 'まめたん家計簿 - 入力' 5)
check "a left press opens the input window" test -n "$input"
sleep 0.3
shot input "${input:-root}"

menu_command s
setup=$(wait_window '(form_Setup|まめたん家計簿 - 設定)' 5)
check "設定(&S) opens the setup dialog" test -n "$setup"
sleep 0.3
shot setup "${setup:-root}"

menu_command e
wait_exit "$app" 10
check "終了 ends the program (got ${EXIT_CODE:-running})" test "${EXIT_CODE:-x}" = 0

e2e_finish
