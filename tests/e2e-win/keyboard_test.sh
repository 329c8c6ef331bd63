#!/usr/bin/env bash
# Every window of the program and of the viewer walked with the keyboard: the
# focus after each Tab, Shift+Tab, access key, Enter and Esc, read from
# outside the program as a screen reader reads it; a screenshot of each
# window. The display scale is E2E_DPI dots per inch (96 unless set; 144 is
# 150 %). Last, the shell forgets the icon and announces itself as a shell
# started again does: the icon comes back and takes a press.
#   keyboard_test.sh <mametan.exe> <Wine prefix>
source "$(dirname "$0")/lib.sh"

WINDOW_TEXT=$(dirname "$MAMETAN")/../tests/window_text.exe
[[ -f $WINDOW_TEXT ]] || { echo "FAIL: no $WINDOW_TEXT"; exit 1; }
VIEWER=$(dirname "$MAMETAN")/mametan-view.exe
RESOURCE_H=$E2E_LIB/../../win32/Resource.h
INPUT_TITLE='まめたん家計簿 - 入力'
SETUP_TITLE='まめたん家計簿 - 設定'
EDITOR_TITLE='まめたん家計簿 - 分類設定ファイルの編集'
FOCUS_LOG=$E2E_DIR/focus.log

# Designed pixels at the run's scale.
px() { echo $(($1 * E2E_DPI / 96)); }

# A control as the focus log names it: a resource name, IDOK and IDCANCEL,
# or the number or class itself; a trailing + or - asks for its check.
control_of() {
  case ${1%[+-]} in
    IDOK) echo 1 ;;
    IDCANCEL) echo 2 ;;
    IDC_*) sed -n "s/^#define ${1%[+-]} \([0-9]*\).*/\1/p" "$RESOURCE_H" ;;
    *) echo "${1%[+-]}" ;;
  esac
}

# Waits until the focus is in the window titled $1 on control $2.
focus_on() {
  local want check line title id class text mark
  want=$(control_of "$2")
  check=${2: -1}
  for _ in $(seq 50); do
    line=$(tail -n1 "$FOCUS_LOG" | tr -d '\r')
    IFS=$'\t' read -r title id class text mark <<<"$line"
    if [[ $title == "$1" && ($id == "$want" || $class == "$want") ]] &&
      [[ $check != + || $mark == '[x]' ]] && [[ $check != - || -z $mark ]]; then
      return 0
    fi
    sleep 0.05
  done
  echo "  wanted $2 in $1, the focus is on: $line"
  return 1
}

# walk <title> <first control> [<key> <control>]...: the focus starts on the
# first control and each key takes it to the control after it.
walk() {
  local title=$1
  focus_on "$title" "$2" || return 1
  shift 2
  while (($# >= 2)); do
    xdotool key "$1"
    focus_on "$title" "$2" || { echo "  after $1"; return 1; }
    shift 2
  done
}

gone() {
  for _ in $(seq 30); do
    xwininfo -id "$1" 2>/dev/null | grep -q IsViewable || return 0
    sleep 0.1
  done
  return 1
}

# The user's hand rests on a spot of window $1 where no control is
# (designed client pixels $2,$3 of a client area $4 x $5), and clicks there.
rest_on() {
  client_origin "$1" "$(px "$4")" "$(px "$5")"
  xdotool mousemove $((CX + $(px "$2"))) $((CY + $(px "$3"))) click 1
  sleep 0.3
}

start_desktop
start_program
wait_docked || { echo "FAIL: the icon never docked"; exit 1; }
wine "$WINDOW_TEXT" /focus >"$FOCUS_LOG" 2>/dev/null &

# The input window: the kind box first, Tab round the six stops, back
# with Shift+Tab; each access key; Enter on a check box presses OK, whose
# message sends the focus to the empty kind; Enter on Cancel closes.
xdotool mousemove "$ICON_X" "$ICON_Y" click 1
INPUT=$(wait_window "$INPUT_TITLE")
check "a left press on the icon opens the input window" test -n "$INPUT"
[[ -n $INPUT ]] || finish
rest_on "$INPUT" 300 20 345 161
screenshot input
check "input window: Tab and Shift+Tab go round its six stops" walk "$INPUT_TITLE" IDC_KIND \
  Tab IDC_GOODS Tab IDC_PRICE Tab IDC_OK Tab IDC_CANCEL Tab IDC_DATE Tab IDC_KIND \
  shift+Tab IDC_DATE shift+Tab IDC_CANCEL
check "input window: Alt+G, P, D, K reach the fields, Alt+T, N, H tick and untick" \
  walk "$INPUT_TITLE" IDC_CANCEL alt+g IDC_GOODS alt+p IDC_PRICE alt+d IDC_DATE alt+k IDC_KIND \
  alt+t IDC_AUTO_TAX+ alt+t IDC_AUTO_TAX- alt+n IDC_NEXT_INPUT+ alt+n IDC_NEXT_INPUT- \
  alt+h IDC_HOLD_DATE+ alt+h IDC_HOLD_DATE-
check "... Enter on a check box presses OK: the missing kind's message" \
  walk "$INPUT_TITLE" IDC_HOLD_DATE- Return IDC_HOLD_DATE-
check "... which Enter closes" focus_on Message IDOK
xdotool key Return
check "... and the kind box has the focus" focus_on "$INPUT_TITLE" IDC_KIND
check "Tab four times from there reaches Cancel" \
  walk "$INPUT_TITLE" IDC_KIND Tab IDC_GOODS Tab IDC_PRICE Tab IDC_OK Tab IDC_CANCEL
xdotool key Return
check "... and Enter on it closes the window" gone "$INPUT"

# The setup dialog: Tab in the order that leaves the layout for the
# buttons; the Enter-moves-on box ticked with Space and confirmed with Alt+O;
# shown again, the focus is where it was; Enter on the box presses OK.
open_setup() {
  open_menu || return 1
  xdotool mousemove $((X + WIDTH / 2)) $((Y + 4))
  xdotool key s
  SETUP=$(wait_window "$SETUP_TITLE") || return 1
  rest_on "$SETUP" 150 150 385 173
}
open_setup
check "the menu's S opens the setup dialog" test -n "$SETUP"
[[ -n $SETUP ]] || finish
screenshot setup
check "setup dialog: Tab goes round its nine stops in its order" walk "$SETUP_TITLE" \
  IDC_FILE_KAKEIBO Tab IDC_DEL_REGISTRY Tab IDOK Tab IDCANCEL Tab IDC_FILE_KIND \
  Tab IDC_SAVE_WINDOW_POS Tab IDC_OPEN_AT_BOOT Tab IDC_ENTER_TO_NEXT Tab IDC_TAX \
  Tab IDC_FILE_KAKEIBO shift+Tab IDC_TAX shift+Tab IDC_ENTER_TO_NEXT- space IDC_ENTER_TO_NEXT+
xdotool key alt+o
check "... Alt+O closes it" gone "$SETUP"
open_setup
check "shown again, the focus is on the box it was on, ticked" \
  walk "$SETUP_TITLE" IDC_ENTER_TO_NEXT+
xdotool key Return
check "... Enter on it presses OK" gone "$SETUP"

# The input window with Enter moving on: Enter walks to OK, Shift+Enter
# back round to Cancel, Enter there presses it.
xdotool mousemove "$ICON_X" "$ICON_Y" click 1
INPUT=$(wait_window "$INPUT_TITLE")
rest_on "$INPUT" 300 20 345 161
check "with Enter moving on, Enter and Shift+Enter walk the input window" walk "$INPUT_TITLE" \
  IDC_KIND Return IDC_GOODS Return IDC_PRICE Return IDC_OK shift+Return IDC_PRICE \
  shift+Return IDC_GOODS shift+Return IDC_KIND shift+Return IDC_DATE shift+Return IDC_CANCEL
xdotool key Return
check "... Enter on Cancel closes it" gone "$INPUT"

# The editor, from the setup dialog's edit button (a button without a stop):
# Enter in the text starts a line; Tab round; Esc on Cancel writes nothing.
open_setup
cp item.txt "$E2E_DIR/item.before"
xdotool mousemove $((CX + $(px 363))) $((CY + $(px 51))) click 1
EDITOR=$(wait_window "$EDITOR_TITLE")
check "the edit button opens the editor" test -n "$EDITOR"
[[ -n $EDITOR ]] || finish
rest_on "$EDITOR" 100 305 301 309
screenshot editor
check "editor: Enter stays in the text, Tab goes round text, OK, Cancel" walk "$EDITOR_TITLE" \
  IDC_KIND_TEXT Return IDC_KIND_TEXT Tab IDOK Tab IDCANCEL Tab IDC_KIND_TEXT shift+Tab IDCANCEL
xdotool key Escape
check "... Esc on Cancel closes it" gone "$EDITOR"
check "... and the kind file is as it was" cmp -s item.txt "$E2E_DIR/item.before"
check "the setup dialog has the keyboard again" focus_on "$SETUP_TITLE" IDC_ENTER_TO_NEXT+
rest_on "$SETUP" 150 150 385 173
xdotool key Escape
check "... and Esc closes it" gone "$SETUP"

# The about box: its one stop keeps the focus.
open_menu
xdotool mousemove $((X + WIDTH / 2)) $((Y + 4))
xdotool key a
ABOUT=$(wait_window 'バージョン情報')
check "the menu's A opens the about box" test -n "$ABOUT"
if [[ -n $ABOUT ]]; then
  rest_on "$ABOUT" 290 200 301 209
  screenshot about
  xdotool key Tab
  sleep 0.3
  check "about box: Tab stays on OK" walk 'バージョン情報' IDOK Tab IDOK
  xdotool key Return
  gone "$ABOUT"
fi

# The menu: Esc closes it with nothing chosen, I opens the input window.
open_menu
screenshot menu
menu=$MENU
xdotool mousemove $((X + WIDTH / 2)) $((Y + 4)) key Escape
check "Esc closes the menu" gone "$menu"
sleep 0.5
check "... and opens no window" test -z "$(xdotool search --name "^$INPUT_TITLE\$" 2>/dev/null |
  while read -r id; do xwininfo -id "$id" | grep -q IsViewable && echo "$id"; done)"
open_menu
xdotool mousemove $((X + WIDTH / 2)) $((Y + 4)) key i
INPUT=$(wait_window "$INPUT_TITLE")
check "the menu's I opens the input window" test -n "$INPUT"
rest_on "$INPUT" 300 20 345 161
xdotool key alt+c
check "... and its Alt+C closes it" gone "$INPUT"

# The viewer: the keyboard starts in the list, Tab goes along the top row
# from the charts; Enter on the unreadable lines' button opens them, their
# window walks list, 閉じる, and Enter there closes it; Esc the viewer.
printf '2025/01/05,a,x,100\r\n2025/01/06,b\r\n' >view.csv
wine "$VIEWER" view.csv >>"$E2E_DIR/viewer.log" 2>&1 &
VIEW=$(wait_window 'まめたん家計簿 一覧 - view.csv')
check "the viewer opens" test -n "$VIEW"
if [[ -n $VIEW ]]; then
  eval "$(xdotool getwindowgeometry --shell "$VIEW")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - $(px 4))) click 1
  sleep 0.3
  screenshot viewer
  VIEW_TITLE=$(xdotool getwindowname "$VIEW")
  check "viewer: Tab goes list, charts, the top row, back to the list" walk "$VIEW_TITLE" \
    SysListView32 Tab MametanViewerChart Tab 100 Tab 101 Tab 102 Tab 103 Tab SysListView32 \
    shift+Tab 103
  xdotool key Return
  LINES=$(wait_window '読めなかった行')
  check "... Enter on its button opens the unreadable lines" test -n "$LINES"
  if [[ -n $LINES ]]; then
    sleep 0.3
    screenshot viewer-unreadable
    check "unreadable lines: Tab goes list, 閉じる, list" walk '読めなかった行' \
      SysListView32 Tab 104 Tab SysListView32 shift+Tab 104
    xdotool key Return
    check "... Enter on 閉じる closes them" gone "$LINES"
  fi
  check "... the viewer has the keyboard again" focus_on "$VIEW_TITLE" 103
  xdotool key Escape
  check "Esc closes the viewer" gone "$VIEW"
fi

# A shell started again knows no icon and says so to every window: the
# icon comes back, and a press on it opens the input window.
old_icon=$ICON_WINDOW
check "a new shell without the icon announces itself" wine "$WINDOW_TEXT" /new-shell
check "... the old icon is gone" gone "$old_icon"
check "the icon comes back to the new shell" wait_docked
xdotool mousemove "$ICON_X" "$ICON_Y" click 1
INPUT=$(wait_window "$INPUT_TITLE")
check "... and a press on it opens the input window" test -n "$INPUT"
[[ -n $INPUT ]] && rest_on "$INPUT" 300 20 345 161 && xdotool key Escape && gone "$INPUT"

# The menu's E ends the program.
open_menu
xdotool mousemove $((X + WIDTH / 2)) $((Y + 4)) key e
check "the menu's E ends the program" wait_program_end
finish
