#!/usr/bin/env bash
# The installer as a new user meets it, in a profile whose name holds letters
# outside the ANSI code page (C:\users\한é): a silent install (/S) puts the
# program into %LOCALAPPDATA%\Programs\Mametan, makes Documents\まめたん家計簿
# with the built-in kinds, Start menu shortcuts that start the program and the
# viewer there, the sign-in Run value and the uninstall entry. Started from its
# shortcut as the Start menu starts it, and as the sign-in start, the program
# docks with no warning and writes its ledger there. The uninstaller removes
# the program, keeps the folder and settings.
#   install_test.sh <mametan.exe> <Wine prefix>
source "$(dirname "$0")/lib.sh"

SETUP=$(ls "$(dirname "$MAMETAN")"/../mametan-*-setup.exe 2>/dev/null | head -n1)
[[ -f $SETUP ]] || { echo "FAIL: no installer built beside $MAMETAN"; exit 1; }
echo "installer: $(basename "$SETUP"), $(stat -c %s "$SETUP") bytes"
# Wine names the user's profile after $USER. Its shell folders are made first
# as folders of the prefix, like the Unix user's (prefix_setup.sh), so that
# Wine links none of them to the home folder.
export USER=한é
profile=$WINEPREFIX/drive_c/users/$USER
for dir in "$WINEPREFIX/drive_c/users/$(id -un)"/*/; do mkdir -p "$profile/$(basename "$dir")"; done
start_desktop

unix_path() { winepath -u "$1" 2>/dev/null; }
programs=$profile/AppData/Local/Programs/Mametan
folder=$profile/Documents/まめたん家計簿
shortcut="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/まめたん家計簿.lnk"
expected=$E2E_DIR/expected.csv today=$(date +%Y/%m/%d)
printf '日付,種類,商品名,価格\r\n' | iconv -f UTF-8 -t CP932 >"$expected"
# A new user: no account-book folder of an earlier case, no entries.
rm -rf "$folder"
wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mametan' /f >/dev/null 2>&1
# A string value, from an export: reg's console output holds only the letters
# of the ANSI code page. The export escapes \ and ".
reg_value() {
  wine reg export "HKCU\\$1" "$E2E_DIR/value.reg" /y >/dev/null 2>&1 || return 0
  iconv -f UTF-16LE -t UTF-8 "$E2E_DIR/value.reg" | tr -d '\r' |
    sed -n "s/^\"$2\"=\"\(.*\)\"\$/\1/p" | sed 's/\\\(.\)/\1/g'
}

# A shortcut's key: the header's word at 0x40, the key's code low, the
# modifiers high.
lnk_hotkey() { printf '0x%04X' "$(od -An -tu2 -j64 -N2 "$1" | tr -d ' ')"; }
# Opens a shortcut as the Start menu does, through the shell. A shortcut that
# cannot be started leaves the shell's error box up.
start_shortcut() { timeout 60 wine start /unix "$1" >>"$E2E_DIR/program.log" 2>&1 & }

# After the icon docks, with no warning: from the icon the input window (its
# id in INPUT), $1 presses of Down in the kind box, goods $2, price $3, Enter;
# then the ledger holds line $4; with $5 "refuse", a silent uninstall run in
# place (_?=, so that its exit code is its own) is refused; then 終了 from the
# menu ends the program.
use_program() {
  wait_docked || { echo "the icon never docked"; ps -eo pid,etime,args | grep -i '[m]ametan\|[e]xplorer'; return 1; }
  sleep 2
  [[ -z $(wait_window Message) ]] || { echo "a message box"; return 1; }
  xdotool mousemove "$ICON_X" "$ICON_Y" click 1
  INPUT=$(wait_window 'まめたん家計簿 - 入力') || { echo "no input window from the icon"; return 1; }
  [[ -n $PROGRAM_PID ]] || PROGRAM_PID=$(xdotool getwindowpid "$INPUT")
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$INPUT")"
  xdotool mousemove $((X + 100)) $((Y + 55)) click 1
  sleep 0.3
  for ((n = 0; n < $1; n++)); do xdotool key Down; done
  xdotool key Tab sleep 0.3 type --delay 30 "$2"
  xdotool key Tab sleep 0.3 type --delay 30 "$3"
  xdotool key Return
  printf '%s\r\n' "$4" | iconv -f UTF-8 -t CP932 >>"$expected"
  for _ in $(seq 50); do cmp -s "$expected" "$folder/kakeibo.csv" && break; sleep 0.1; done
  cmp "$expected" "$folder/kakeibo.csv" || return 1
  if [[ ${5:-} == refuse ]]; then
    timeout 60 wine "$programs/uninstall.exe" /S "_?=$(winepath -w "$programs")"
    [[ $? -eq 2 && -f $programs/mametan.exe ]] || { echo "uninstalled beside the program"; return 1; }
  fi
  for _ in $(seq 30); do xwininfo -id "$INPUT" | grep -q IsViewable || break; sleep 0.1; done
  open_menu || return 1
  sleep 0.5
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 8)) click 1
  wait_program_end
}

check "the installer runs silently and succeeds" timeout 120 wine "$SETUP" /S
check "the program, launcher, help page and kinds are installed" \
  bash -c 'cd "$1" && ls mametan.exe mametan-launch.exe mametan-view.exe mametan.html item.txt uninstall.exe' - "$programs"
check "Documents\\まめたん家計簿 holds the nine built-in kinds" cmp "$folder/item.txt" "$(dirname "$MAMETAN")/../seed/item.txt"
check "the uninstaller is in the user's installed programs" \
  test -n "$(reg_value 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Mametan' UninstallString)"
run_value=$(reg_value 'Software\Microsoft\Windows\CurrentVersion\Run' Mametan | tr -d '"')
check "the sign-in Run value starts the launcher" test "$(unix_path "$run_value")" -ef "$programs/mametan-launch.exe"
# Ctrl+Alt+K: HOTKEYF_CONTROL|HOTKEYF_ALT (6) over the key code of K (0x4B).
check "the input shortcut has the key Ctrl+Alt+K" test "$(lnk_hotkey "${shortcut%.lnk} - 入力.lnk")" = 0x064B

PROGRAM_PID=""
start_shortcut "$shortcut"
# Past the end of the list Down stays on the last kind: 通信費 is the ninth.
check "started by its shortcut, the program offers the nine kinds and writes into the folder" \
  use_program 12 milk 198 "$today,通信費,milk,198"
wait_wine_idle
# The viewer's process: the installed mametan-view.exe, in the same folder.
viewer_from_shortcut() {
  start_shortcut "${shortcut%.lnk} 一覧.lnk"
  local pid status window=""
  # A first start after the prefix's shell has ended takes a while.
  for _ in 1 2 3; do window=$(wait_window 'まめたん家計簿 一覧 - kakeibo.csv') && break; done
  pid=$(xdotool getwindowpid "$window") || return 1
  [[ $(unix_path "$(tr '\0' '\n' <"/proc/$pid/cmdline" | head -n1)") -ef $programs/mametan-view.exe &&
    /proc/$pid/cwd -ef $folder ]]
  status=$?
  kill "$pid"
  return $status
}
check "the viewer's shortcut starts mametan-view.exe in the same folder" viewer_from_shortcut
# The launcher ends once the program runs; the program is known by its window.
wait_wine_idle
(cd "$E2E_DIR" && exec wine "$(unix_path "$run_value")") >>"$E2E_DIR/program.log" 2>&1
# The input shortcut beside it: the launcher passes /input on, and the
# running program opens its input window.
input_from_shortcut() {
  wait_docked || return 1
  start_shortcut "${shortcut%.lnk} - 入力.lnk"
  wait_window 'まめたん家計簿 - 入力' >/dev/null
}
check "the input shortcut beside the running program opens its input window" input_from_shortcut
check "started as at sign-in, the same; a silent uninstall beside it is refused" \
  use_program 1 tea 150 "$today,その他,tea,150" refuse

check "the uninstaller runs silently and succeeds" timeout 120 wine "$programs/uninstall.exe" /S
# It copies itself to a temporary folder and runs from there.
for _ in $(seq 100); do [[ -e $programs || -e $shortcut ]] && sleep 0.2; done
check "the program's folder and shortcuts are gone" test ! -e "$programs" -a ! -e "$shortcut" -a ! -e "${shortcut%.lnk} 一覧.lnk" -a ! -e "${shortcut%.lnk} - 入力.lnk"
check "... and its Run value and uninstall entry" test -z "$(reg_value 'Software\Microsoft\Windows\CurrentVersion\Run' Mametan)$(reg_value 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Mametan' UninstallString)"
check "the account-book folder stays" cmp "$expected" "$folder/kakeibo.csv"
check "the settings stay unless asked for" test -n "$(reg_value 'Software\VelmaroSoftware\Mametan' File_Kakeibo)"
finish
