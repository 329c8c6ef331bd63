# Shared set-up of the Windows end-to-end cases: a private X server with the
# trayer tray host, into which Wine's own explorer.exe docks the program's
# notification-area icon; the Wine prefix
# of the run (prefix_setup.sh) with the program's settings key deleted; a
# work folder the program runs in. Source it with the program's path and the
# prefix. The display scale is E2E_DPI dots per inch, 96 unless set. The
# focus is never set by hand: only the user's own actions (a press on the
# icon, a click into a window, keys) bring it.
set -uo pipefail
E2E_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

MAMETAN=$(realpath "${1:?path to mametan.exe}")
export WINEPREFIX=$(realpath -m "${2:?Wine prefix}")
export WINEARCH=win64 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS

E2E_DIR=$(mktemp -d /tmp/mametan-e2e-win.XXXXXX)
WORK=$E2E_DIR/work
mkdir -p "$WORK"
cd "$WORK" || exit 1
# A kind file (食費, 雑貨), so that no start-up warning waits for a click.
printf '\x90\x48\x94\xEF\r\n\x8E\x47\x89\xDD\r\n' >"$WORK/item.txt"

E2E_DPI=${E2E_DPI:-96}
E2E_NAME=$(basename "$0" .sh)
((E2E_DPI != 96)) && E2E_NAME+=-$E2E_DPI
E2E_SHOTS=$(dirname "$MAMETAN")/e2e-shots/$E2E_NAME
rm -rf "$E2E_SHOTS"
mkdir -p "$E2E_SHOTS"
E2E_FAILS=0
PROGRAM_PID=""

DESKTOP_LOGS=$E2E_DIR
# No window manager. Under openbox a grey window of Wine's explorer.exe, as
# large as the tray panel's frame, often ends up stacked over the docked
# icon: the icon is never seen and a press lands on that window instead. With
# no window manager nothing restacks it and the icon takes every press.
export DESKTOP_NO_WM=1
# shellcheck source=../../scripts/desktop.sh
source "$E2E_LIB/../../scripts/desktop.sh"

e2e_cleanup() {
  local code=$?
  [[ $code -ne 0 ]] && screenshot at-exit
  wineserver -k 2>/dev/null
  [[ -n $PROGRAM_PID ]] && wait "$PROGRAM_PID" 2>/dev/null
  for pid in $TRAY_PID $WM_PID $XVFB_PID; do kill "$pid" 2>/dev/null; done
  for pid in $TRAY_PID $WM_PID $XVFB_PID; do wait "$pid" 2>/dev/null; done
  if [[ $code -ne 0 ]]; then
    for log in program xvfb openbox trayer; do
      [[ -s $E2E_DIR/$log.log ]] || continue
      echo "--- $log log"; tail -n 30 "$E2E_DIR/$log.log"
    done
    echo "--- screenshots kept in $E2E_SHOTS"
  fi
  rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

screenshot() { import -window root "$E2E_SHOTS/$1.png" 2>/dev/null; }

check() {
  local what=$1; shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAIL: $what"
    E2E_FAILS=$((E2E_FAILS + 1))
    screenshot "fail-$E2E_FAILS"
  fi
}

finish() {
  if ((E2E_FAILS)); then
    echo "$E2E_NAME: $E2E_FAILS failed"
    exit 1
  fi
  echo "$E2E_NAME: all passed"
  exit 0
}

# The desktop, and the prefix's server with the settings key of an earlier
# case gone and the display scale of this one (Wine reads it from either key
# as each process starts).
start_desktop() {
  start_x
  start_tray
  wineserver -p
  wine reg delete 'HKCU\Software\VelmaroSoftware' /f >/dev/null 2>&1
  printf 'REGEDIT4\n\n[%s]\n"LogPixels"=dword:%08x\n\n[%s]\n"LogPixels"=dword:%08x\n' \
    'HKEY_CURRENT_USER\Control Panel\Desktop' "$E2E_DPI" \
    'HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    "$E2E_DPI" >"$E2E_DIR/dpi.reg"
  wine reg import "Z:${E2E_DIR//\//\\}\\dpi.reg" >/dev/null 2>&1
}

start_program() {
  wine "$MAMETAN" "$@" >>"$E2E_DIR/program.log" 2>&1 &
  PROGRAM_PID=$!
}

# Waits for a viewable window titled exactly $1; prints its id.
wait_window() {
  local id
  for _ in $(seq 100); do
    for id in $(xdotool search --name "^$1\$" 2>/dev/null); do
      if xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable'; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

# The top-left corner of a window's client area, designed $2 x $3 pixels:
# sets CX, CY. Wine frames a window itself (caption and border inside the X
# window) when it was not active as it was mapped, as happens on a loaded
# machine, and leaves the frame to the absent window manager otherwise.
client_origin() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local border=$(((WIDTH - $2) / 2))
  ((border < 0)) && border=0
  CX=$((X + border))
  CY=$((Y + HEIGHT - $3 - border))
  ((CY < Y)) && CY=$Y
}

# A right press on the icon, then waits for the popup menu: a viewable window
# of the program's own that no window manager would frame. Sets MENU (its id) and X, Y, WIDTH, HEIGHT. Keys typed
# before the menu is on screen would reach the icon instead, so nothing is
# typed until it is there.
open_menu() {
  MENU=""
  xdotool mousemove "$ICON_X" "$ICON_Y" click 3
  local id
  for _ in $(seq 100); do
    for id in $(viewable_windows mametan.exe); do
      xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && MENU=$id
    done
    [[ -n $MENU ]] && break
    sleep 0.1
  done
  [[ -n $MENU ]] && eval "$(xdotool getwindowgeometry --shell "$MENU")"
}

# Waits until Wine's explorer.exe of this prefix, which carries the tray, has
# ended: it ends a moment after the last program and would take an icon
# added meanwhile with it.
wait_wine_idle() {
  local pid busy
  for _ in $(seq 100); do
    busy=""
    for pid in $(pgrep -x explorer.exe 2>/dev/null); do
      { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && busy=1
    done
    [[ -z $busy ]] && return 0
    sleep 0.1
  done
  return 1
}

# True while the program runs.
program_running() { [[ -n $PROGRAM_PID ]] && kill -0 "$PROGRAM_PID" 2>/dev/null; }

wait_program_end() {
  for _ in $(seq 100); do
    program_running || return 0
    sleep 0.1
  done
  return 1
}
