#!/usr/bin/env bash
# The installer as a new user meets it: a silent install (/S) puts the program
# into %LOCALAPPDATA%\Programs\Mametan, makes Documents\まめたん家計簿 with the
# built-in kinds, a Start menu shortcut that starts the program there, the
# sign-in Run value and the uninstall entry. Started as the shortcut and as the
# sign-in start it, the program docks with no warning and writes its ledger
# there. The uninstaller removes the program, keeps the folder and settings.
#   install_test.sh <mametan.exe> <Wine prefix>
source "$(dirname "$0")/lib.sh"

SETUP=$(ls "$(dirname "$MAMETAN")"/../mametan-*-setup.exe 2>/dev/null | head -n1)
[[ -f $SETUP ]] || { echo "FAIL: no installer built beside $MAMETAN"; exit 1; }
echo "installer: $(basename "$SETUP"), $(stat -c %s "$SETUP") bytes"
start_desktop

unix_path() { winepath -u "$1" 2>/dev/null; }
# Wine names the user's profile after the Unix user.
profile=$WINEPREFIX/drive_c/users/$(id -un)
programs=$profile/AppData/Local/Programs/Mametan
folder=$profile/Documents/まめたん家計簿
shortcut="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/まめたん家計簿.lnk"
expected=$E2E_DIR/expected.csv today=$(date +%Y/%m/%d)
printf '日付,種類,商品名,価格\r\n' | iconv -f UTF-8 -t CP932 >"$expected"
# A new user: no account-book folder of an earlier case, no entries.
rm -rf "$folder"
wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mametan' /f >/dev/null 2>&1
reg_value() { wine reg query "HKCU\\$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/.*$2 *REG_SZ *//p"; }

# A shortcut's target (its LinkInfo's local path), working folder (its
# WORKING_DIR string), arguments and hotkey (the header's word at 0x40, the
# key's code low, the modifiers high) into LNK_TARGET, LNK_WORKDIR, LNK_ARGS
# and LNK_HOTKEY.
read_lnk() {
  local -a b
  mapfile -t b < <(od -An -v -tu1 "$1" | tr -s ' ' '\n' | sed '/^$/d')
  u16() { echo $((b[$1] | b[$1 + 1] << 8)); }
  u32() { echo $((b[$1] | b[$1 + 1] << 8 | b[$1 + 2] << 16 | b[$1 + 3] << 24)); }
  local flags pos i bit n text=""
  flags=$(u32 20) pos=76 LNK_TARGET="" LNK_WORKDIR="" LNK_ARGS=""
  LNK_HOTKEY=$(printf '0x%04X' "$(u16 64)")
  ((flags & 1)) && pos=$((pos + 2 + $(u16 $pos)))
  if ((flags & 2)); then
    i=$((pos + $(u32 $((pos + 16)))))
    while ((b[i])); do LNK_TARGET+=$(printf '\\x%02x' "${b[i]}") i=$((i + 1)); done
    LNK_TARGET=$(printf '%b' "$LNK_TARGET" | iconv -f CP932 -t UTF-8)
    pos=$((pos + $(u32 $pos)))
  fi
  for bit in 4 8 16 32; do
    ((flags & bit)) || continue
    n=$(u16 $pos) pos=$((pos + 2)) text=""
    for ((i = pos; i < pos + 2 * n; i++)); do text+=$(printf '\\x%02x' "${b[i]}"); done
    pos=$((pos + 2 * n))
    text=$(printf '%b' "$text" | iconv -f UTF-16LE -t UTF-8)
    ((bit == 16)) && LNK_WORKDIR=$text
    ((bit == 32)) && LNK_ARGS=$text
  done
  return 0
}

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
read_lnk "$shortcut" 2>/dev/null
check "the shortcut starts mametan.exe ($LNK_TARGET)" test "$(unix_path "$LNK_TARGET")" -ef "$programs/mametan.exe"
check "... in Documents\\まめたん家計簿 ($LNK_WORKDIR)" test "$(unix_path "$LNK_WORKDIR")" -ef "$folder"
read_lnk "${shortcut%.lnk} 一覧.lnk" 2>/dev/null
check "the viewer's shortcut starts mametan-view.exe in the same folder" \
  test "$(unix_path "$LNK_TARGET")" -ef "$programs/mametan-view.exe" -a "$(unix_path "$LNK_WORKDIR")" -ef "$folder"
# Ctrl+Alt+K: HOTKEYF_CONTROL|HOTKEYF_ALT (6) over the key code of K (0x4B).
read_lnk "${shortcut%.lnk} - 入力.lnk" 2>/dev/null
check "the input shortcut runs mametan-launch.exe ($LNK_TARGET) with /input ($LNK_ARGS)" \
  test "$(unix_path "$LNK_TARGET")" -ef "$programs/mametan-launch.exe" -a "$LNK_ARGS" = /input
check "... with the shortcut key Ctrl+Alt+K ($LNK_HOTKEY)" test "$LNK_HOTKEY" = 0x064B
read_lnk "$shortcut" 2>/dev/null

(cd "$(unix_path "$LNK_WORKDIR")" && exec wine "$(unix_path "$LNK_TARGET")") >>"$E2E_DIR/program.log" 2>&1 &
PROGRAM_PID=$!
# Past the end of the list Down stays on the last kind: 通信費 is the ninth.
check "started by the shortcut, the program offers the nine kinds and writes into the folder" \
  use_program 12 milk 198 "$today,通信費,milk,198"
# The launcher ends once the program runs; the program is known by its window.
wait_wine_idle
(cd "$E2E_DIR" && exec wine "$(unix_path "$run_value")") >>"$E2E_DIR/program.log" 2>&1
PROGRAM_PID=""
# The input shortcut beside it: the launcher passes /input on, and the
# running program opens its input window.
input_from_shortcut() {
  wait_docked || return 1
  read_lnk "${shortcut%.lnk} - 入力.lnk" 2>/dev/null
  (cd "$E2E_DIR" && exec wine "$(unix_path "$LNK_TARGET")" $LNK_ARGS) >>"$E2E_DIR/program.log" 2>&1
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
