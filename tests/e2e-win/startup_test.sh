#!/usr/bin/env bash
# The program under Wine as a user meets it: the icon docks into the tray
# host, a second start ends at once (with /input, having the running copy
# open its input window), a right press on the icon opens the menu
# and its exit command ends the program with the settings in the registry.
#   startup_test.sh <mametan.exe> <Wine prefix>
source "$(dirname "$0")/lib.sh"

start_desktop
started=$(date +%s%N)
start_program
check "the icon docks into the tray host" wait_docked
echo "docked after $((($(date +%s%N) - started) / 1000000)) ms"

second_start() {
  local begun rc
  begun=$(date +%s%N)
  timeout 30 wine "$MAMETAN" >>"$E2E_DIR/program.log" 2>&1
  rc=$?
  echo "second start: exit code $rc after $((($(date +%s%N) - begun) / 1000000)) ms"
  [[ $rc -eq 1 ]] && program_running && [[ $(viewable_windows mametan.exe | wc -l) -eq 0 ]]
}
check "a second start ends at once with exit code 1 and shows nothing" second_start

# With /input the second start has the running copy open its input window.
input_start() {
  local rc
  timeout 30 wine "$MAMETAN" /input >>"$E2E_DIR/program.log" 2>&1
  rc=$?
  echo "/input beside the running copy: exit code $rc"
  [[ $rc -eq 0 ]] && program_running && wait_window 'まめたん家計簿 - 入力' >/dev/null
}
check "'/input' beside the running copy ends with 0 and the copy opens its input window" input_start
screenshot input

# The popup menu: a new window of the program, at the pointer.
check "a right press on the icon opens the menu" open_menu
sleep 0.3
screenshot menu

# 終了 is the menu's last item: the user clicks it.
exit_from_menu() {
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$MENU") || return 1
  eval "$geometry"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 8)) click 1
  wait_program_end
}
check "the menu's exit command ends the program" exit_from_menu

settings_saved() {
  local values
  values=$(wine reg query 'HKCU\Software\VelmaroSoftware\Mametan' 2>/dev/null | tr -d '\r')
  grep -q 'File_Kakeibo *REG_SZ *kakeibo.csv' <<<"$values" &&
    grep -q 'InputWindow_Left *REG_SZ' <<<"$values"
}
check "the settings are in the registry after the exit" settings_saved
finish
