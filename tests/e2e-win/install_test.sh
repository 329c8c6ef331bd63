#!/usr/bin/env bash
# The installer as a new user meets it: a silent install (/S) lays out the
# program in %LOCALAPPDATA%\Programs\Mametan, makes Documents\まめたん家計簿
# with the nine built-in kinds, a Start menu shortcut that starts the program
# there, the sign-in Run value and the uninstall entry. Started as the
# shortcut starts it, and again as the sign-in does, the program docks with
# no warning and writes its ledger into that folder. A silent uninstall
# removes the program and its entries and keeps the folder and the settings.
#   install_test.sh <mametan.exe> <Wine prefix>
source "$(dirname "$0")/lib.sh"

SETUP=$(ls "$(dirname "$MAMETAN")"/../mametan-*-setup.exe 2>/dev/null | head -n1)
[[ -f $SETUP ]] || { echo "FAIL: no installer built beside $MAMETAN"; exit 1; }
echo "installer: $(basename "$SETUP"), $(stat -c %s "$SETUP") bytes"
start_desktop

unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
win_env() { wine cmd /c "echo %$1%" 2>/dev/null | tr -d '\r'; }
profile=$(unix_path "$(win_env USERPROFILE)")
programs=$(unix_path "$(win_env LOCALAPPDATA)")/Programs/Mametan
folder=$profile/Documents/まめたん家計簿
shortcut="$(unix_path "$(win_env APPDATA)")/Microsoft/Windows/Start Menu/Programs/まめたん家計簿.lnk"
[[ -L $profile/Documents ]] && { echo "FAIL: Documents is linked out of the prefix"; exit 1; }

# A shortcut's target (LinkInfo's local path) and working folder (its
# WORKING_DIR string) into LNK_TARGET and LNK_WORKDIR.
read_lnk() {
  local -a b
  mapfile -t b < <(od -An -v -tu1 "$1" | tr -s ' ' '\n' | sed '/^$/d')
  u16() { echo $((b[$1] | b[$1 + 1] << 8)); }
  u32() { echo $((b[$1] | b[$1 + 1] << 8 | b[$1 + 2] << 16 | b[$1 + 3] << 24)); }
  local flags pos i bit n text
  flags=$(u32 20) pos=76 LNK_TARGET="" LNK_WORKDIR=""
  ((flags & 1)) && pos=$((pos + 2 + $(u16 $pos)))
  if ((flags & 2)); then
    i=$((pos + $(u32 $((pos + 16)))))
    while ((b[i])); do LNK_TARGET+=$(printf '\\x%02x' "${b[i]}") i=$((i + 1)); done
    LNK_TARGET=$(printf '%b' "$LNK_TARGET" | iconv -f CP932 -t UTF-8)
    pos=$((pos + $(u32 $pos)))
  fi
  for bit in 4 8 16 32 64; do
    ((flags & bit)) || continue
    n=$(u16 $pos) pos=$((pos + 2)) text=""
    for ((i = pos; i < pos + 2 * n; i++)); do text+=$(printf "\\x%02x" "${b[i]}"); done
    ((bit == 16)) && LNK_WORKDIR=$(printf '%b' "$text" | iconv -f UTF-16LE -t UTF-8)
    pos=$((pos + 2 * n))
  done
}

no_warning() { sleep 2; [[ -z $(wait_window Message 2>/dev/null) ]]; }

# From the icon: the input window (its id in INPUT), $1 presses of Down in the
# kind box, goods $2, price $3, Enter.
buy() {
  xdotool mousemove "$ICON_X" "$ICON_Y" click 1
  INPUT=$(wait_window 'まめたん家計簿 - 入力') || return 1
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$INPUT")"
  xdotool mousemove $((X + 100)) $((Y + 55)) click 1
  sleep 0.3
  for ((n = 0; n < $1; n++)); do xdotool key Down; done
  xdotool key Tab; sleep 0.3; xdotool type --delay 30 "$2"
  xdotool key Tab; sleep 0.3; xdotool type --delay 30 "$3"
  xdotool key Return
}

ledger_is() {
  for _ in $(seq 50); do
    cmp -s "$1" "$folder/kakeibo.csv" && return 0
    sleep 0.1
  done
  od -c "$folder/kakeibo.csv" 2>&1 | head
  return 1
}

# Once the input window has gone, 終了, the menu's last item.
exit_from_menu() {
  for _ in $(seq 30); do
    xwininfo -id "$INPUT" 2>/dev/null | grep -q IsViewable || break
    sleep 0.1
  done
  open_menu || return 1
  sleep 0.5
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 8)) click 1
  wait_program_end
}

check "the installer runs silently and succeeds" timeout 120 wine "$SETUP" /S
installed() {
  local f
  for f in mametan.exe mametan-launch.exe mametan.html item.txt uninstall.exe; do
    [[ -f $programs/$f ]] || { echo "missing: $f"; return 1; }
  done
}
check "the program, its launcher, help page and kinds are in %LOCALAPPDATA%\\Programs\\Mametan" installed
# その他 教育費 交通費 雑貨 趣味 書籍 食費 水道光熱費 通信費, CR LF, code page 932.
printf '\x82\xBB\x82\xCC\x91\xBC\r\n\x8B\xB3\x88\xE7\x94\xEF\r\n\x8C\xF0\x92\xCA\x94\xEF\r\n\x8E\x47\x89\xDD\r\n\x8E\xEF\x96\xA1\r\n\x8F\x91\x90\xD0\r\n\x90\x48\x94\xEF\r\n\x90\x85\x93\xB9\x8C\xF5\x94\x4D\x94\xEF\r\n\x92\xCA\x90\x4D\x94\xEF\r\n' >"$E2E_DIR/kinds.txt"
check "Documents\\まめたん家計簿 holds the nine built-in kinds" cmp "$E2E_DIR/kinds.txt" "$folder/item.txt"
uninstall_listed() {
  wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mametan' 2>/dev/null |
    tr -d '\r' | grep -q 'UninstallString *REG_SZ *".*\\uninstall.exe"'
}
check "the uninstaller is in the user's installed programs" uninstall_listed
run_value=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Mametan 2>/dev/null |
  tr -d '\r' | sed -n 's/.*Mametan *REG_SZ *"\(.*\)"$/\1/p')
check "the sign-in Run value names the launcher ($run_value)" \
  test "$(unix_path "$run_value")" -ef "$programs/mametan-launch.exe"

read_lnk "$shortcut" 2>/dev/null
check "the shortcut starts mametan.exe ($LNK_TARGET)" test "$(unix_path "$LNK_TARGET")" -ef "$programs/mametan.exe"
check "... in Documents\\まめたん家計簿 ($LNK_WORKDIR)" test "$(unix_path "$LNK_WORKDIR")" -ef "$folder"

# As the shortcut starts it.
today=$(date +%Y/%m/%d)
printf '日付,種類,商品名,価格\r\n' | iconv -f UTF-8 -t CP932 >"$E2E_DIR/expected.csv"
(cd "$(unix_path "$LNK_WORKDIR")" && exec wine "$(unix_path "$LNK_TARGET")") >>"$E2E_DIR/program.log" 2>&1 &
PROGRAM_PID=$!
check "started from the shortcut, the program docks" wait_docked
check "... with no warning about the kind file" no_warning
screenshot shortcut-start
# Past the end of the list Down stays on the last kind: 通信費 is the ninth.
check "... and offers the kinds in its input window" buy 12 milk 198
printf '%s,\x92\xCA\x90\x4D\x94\xEF,milk,198\r\n' "$today" >>"$E2E_DIR/expected.csv"
check "... and writes the purchase of the last built-in kind into the folder's ledger" ledger_is "$E2E_DIR/expected.csv"
check "... and ends from its menu" exit_from_menu

# As the sign-in starts it: the Run value's launcher, from another folder.
(cd "$E2E_DIR" && exec wine "$(unix_path "$run_value")") >>"$E2E_DIR/program.log" 2>&1
check "started as at sign-in, the program docks" wait_docked
check "... with no warning" no_warning
check "... and offers the kinds in its input window" buy 1 tea 150
printf '%s,\x82\xBB\x82\xCC\x91\xBC,tea,150\r\n' "$today" >>"$E2E_DIR/expected.csv"
check "... and its purchase follows the first in the same ledger" ledger_is "$E2E_DIR/expected.csv"
# The launcher has ended; the program is known by its window.
PROGRAM_PID=$(xdotool getwindowpid "$INPUT" 2>/dev/null)
# Run in place (_?=), the uninstaller's exit code is its own.
refused_while_running() {
  timeout 60 wine "$programs/uninstall.exe" /S "_?=$(winepath -w "$programs" 2>/dev/null)"
  [[ $? -eq 2 && -f $programs/mametan.exe ]]
}
check "the uninstaller refuses to run beside the running program" refused_while_running
check "... and ends from its menu" exit_from_menu

check "the uninstaller runs silently and succeeds" timeout 120 wine "$programs/uninstall.exe" /S
# The uninstaller copies itself to a temporary folder and runs from there.
gone() {
  for _ in $(seq 100); do
    [[ ! -e $programs && ! -e $shortcut ]] && return 0
    sleep 0.2
  done
  ls -la "$programs" 2>&1
  return 1
}
check "the program's folder and the shortcut are gone" gone
check "... and its Run value and uninstall entry" \
  sh -c "! wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run' /v Mametan >/dev/null 2>&1 &&
    ! wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mametan' >/dev/null 2>&1"
check "the account-book folder stays, ledger and kinds" \
  sh -c "cmp -s '$E2E_DIR/kinds.txt' '$folder/item.txt' && cmp -s '$E2E_DIR/expected.csv' '$folder/kakeibo.csv'"
check "the settings stay unless asked for" \
  sh -c "wine reg query 'HKCU\\Software\\VelmaroSoftware\\Mametan' /v File_Kakeibo >/dev/null 2>&1"
finish
