# Shared set-up of the end-to-end scripts: a private X server with a window
# manager (openbox) and a tray host (trayer), private settings and runtime
# folders, and clean-up of exactly what the script started. Source it; the
# built program's path is in $MAMETAN. The focus is never set by hand: only
# the user's own actions (a press on the icon, keys, a click into a window)
# may bring it.
set -uo pipefail

MAMETAN=${1:?path to the built mametan}

# A script that sets E2E_AS_USER=1 runs as an ordinary user even when root
# starts it (as CI does): root may write read-only files and would hide what
# a user meets. The program is copied where that user may run it.
if [[ ${E2E_AS_USER:-} == 1 && $(id -u) -eq 0 ]]; then
  e2e_user=mametan-e2e
  id "$e2e_user" >/dev/null 2>&1 ||
    useradd --system --user-group --no-create-home --home-dir /nonexistent \
      --shell /usr/sbin/nologin "$e2e_user" || exit 1
  e2e_shots=$(dirname "$(realpath "$MAMETAN")")/e2e-shots/$(basename "$0" .sh)
  rm -rf "$e2e_shots"
  mkdir -p "$e2e_shots"
  chown "$e2e_user" "$e2e_shots"
  e2e_bin=$(mktemp -d /tmp/mametan-e2e-bin.XXXXXX)
  install -m 755 "$MAMETAN" "$e2e_bin/mametan"
  chmod 755 "$e2e_bin"
  setpriv --reuid="$e2e_user" --regid="$e2e_user" --clear-groups \
    env "E2E_SHOTS=$e2e_shots" "PATH=$PATH" "$BASH" "$0" "$e2e_bin/mametan" "${@:2}"
  e2e_code=$?
  rm -rf "$e2e_bin"
  exit $e2e_code
fi

# The program allows one copy per user, on a lock whose path depends on the
# user id alone. So that a run never meets the developer's own running copy,
# the script runs again in a mount namespace of its own whose private
# /run/user holds only this user's folder; the lock the program takes there
# is the run's own. Root needs only the mount namespace. Anyone else first
# becomes root of a new user namespace to mount, then maps back to their own
# ids, so the program sees its usual uid and owns its folder. The X socket
# folder is the run's own as well: in a user namespace the system's one
# belongs to nobody the run knows, and Xwayland refuses to use it.
if [[ ${E2E_ISOLATED:-} != 1 ]]; then
  e2e_uid=$(id -u) e2e_gid=$(id -g)
  e2e_enter=(unshare --mount)
  e2e_back=()
  if [[ $e2e_uid -ne 0 ]]; then
    e2e_enter=(unshare --user --map-root-user --mount)
    e2e_back=(unshare --user --map-user="$e2e_uid" --map-group="$e2e_gid")
  fi
  E2E_ISOLATED=1 exec "${e2e_enter[@]}" "$BASH" -c '
    uid=$1 n=$2; shift 2
    mkdir -p /run/user /tmp/.X11-unix 2>/dev/null
    mount -t tmpfs -o mode=755 e2e-run-user /run/user && mkdir -m 700 "/run/user/$uid" &&
      mount -t tmpfs -o mode=1777 e2e-x11 /tmp/.X11-unix ||
      { echo "FAIL: no private /run/user or X socket folder for the run"; exit 1; }
    exec "${@:1:n}" "$BASH" "${@:n+1}"' e2e "$e2e_uid" "${#e2e_back[@]}" "${e2e_back[@]}" "$0" "$@"
fi
unset E2E_ISOLATED
E2E_DIR=$(mktemp -d /tmp/mametan-e2e.XXXXXX)
export XDG_CONFIG_HOME=$E2E_DIR/config
export XDG_RUNTIME_DIR=$E2E_DIR/runtime
export HOME=$E2E_DIR/home
WORK=$E2E_DIR/work
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$HOME" "$WORK"
chmod 700 "$XDG_RUNTIME_DIR"
MAMETAN=$(realpath "$MAMETAN")
# Found before the cd below: a script run by a relative path still finds it.
E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The program runs in $WORK: its ledger and kind file resolve there.
cd "$WORK" || exit 1
# A kind file, so that no start-up warning waits for a click (食費, 雑貨).
printf '\x90\x48\x94\xEF\r\n\x8E\x47\x89\xDD\r\n' >"$WORK/item.txt"
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY SESSION_MANAGER QT_QPA_PLATFORM
export LANG=ja_JP.UTF-8 LC_ALL=C.UTF-8
SETTINGS=$XDG_CONFIG_HOME/VelmaroSoftware.ini

E2E_PIDS=()
E2E_FAILS=0
XVFB_PID=""
WM_PID=""
TRAY_PID=""
E2E_NAME=$(basename "$0" .sh)
# Screenshots of the run (and of the screen at a failure) are kept beside the
# built program.
# A script that runs as another user is handed a folder made for it.
if [[ -z ${E2E_SHOTS:-} ]]; then
  E2E_SHOTS=$(dirname "$MAMETAN")/e2e-shots/$E2E_NAME
  rm -rf "$E2E_SHOTS"
fi
mkdir -p "$E2E_SHOTS"

e2e_cleanup() {
  local code=$? pid
  [[ $code -ne 0 ]] && screenshot at-exit
  for pid in "${E2E_PIDS[@]}" $TRAY_PID $WM_PID $XVFB_PID; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${E2E_PIDS[@]}" $TRAY_PID $WM_PID $XVFB_PID; do
    wait "$pid" 2>/dev/null
  done
  if [[ $code -ne 0 ]]; then
    # The hosts' own logs tell why a set-up failed; they outlive the run.
    local log
    for log in xvfb openbox trayer; do
      [[ -s $E2E_DIR/$log.log ]] || continue
      echo "--- $log log"; tail -n 40 "$E2E_DIR/$log.log"
      cp "$E2E_DIR/$log.log" "$E2E_SHOTS/"
    done
    echo "--- screenshots and logs kept in $E2E_SHOTS"
  fi
  rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

# Saves a picture of the whole screen as $E2E_SHOTS/$1.png.
screenshot() {
  [[ -n ${DISPLAY:-} ]] && timeout 5 import -window root "$E2E_SHOTS/$1.png" 2>/dev/null
}

# Xvfb, openbox and trayer, logging into $E2E_DIR.
DESKTOP_LOGS=$E2E_DIR
source "$E2E_LIB_DIR/../../scripts/desktop.sh"

# Starts the program in the background with the given arguments; its PID in $LAST_PID.
start_app() {
  "$MAMETAN" "$@" >>"$E2E_DIR/app.log" 2>&1 &
  LAST_PID=$!
  E2E_PIDS+=("$LAST_PID")
}

# Waits up to $2 seconds (default 10) for a window with exactly the title $1; prints its id.
wait_window() {
  local title=$1 limit=${2:-10} id
  for _ in $(seq $((limit * 20))); do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}

# Waits up to $2 seconds for process $1 to end; its exit code in $EXIT_CODE.
wait_exit() {
  local pid=$1 limit=${2:-10}
  for _ in $(seq $((limit * 20))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"; EXIT_CODE=$?
      return 0
    fi
    sleep 0.05
  done
  EXIT_CODE=""
  return 1
}

check() {  # check "description" command...
  local what=$1; shift
  if "$@" >/dev/null; then
    echo "ok   - $what"
  else
    echo "FAIL - $what"
    E2E_FAILS=$((E2E_FAILS + 1))
  fi
}

e2e_finish() {
  if [[ $E2E_FAILS -ne 0 ]]; then
    echo "--- program output"; cat "$E2E_DIR/app.log" 2>/dev/null
    exit 1
  fi
  exit 0
}

# --- Focus, as the window manager sees it ------------------------------------

# The window the manager has made active (_NET_ACTIVE_WINDOW), in decimal.
active_window() {
  xdotool getactivewindow 2>/dev/null
}

# Waits up to $2 seconds (default 3) until the window titled $1 is the active
# one and holds the X input focus (itself or a child of it); prints its id.
wait_active() {
  local title=$1 limit=${2:-3} id focus
  for _ in $(seq $((limit * 20))); do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1)
    if [[ -n $id && $(active_window) == "$id" ]]; then
      focus=$(xdotool getwindowfocus -f 2>/dev/null)
      if [[ $focus == "$id" ]] || xwininfo -tree -id "$id" 2>/dev/null | grep -qi "$(printf '0x%x' "${focus:-0}") "; then
        echo "$id"; return 0
      fi
    fi
    sleep 0.05
  done
  return 1
}

# --- The tray icon ---------------------------------------------------------

# Prints the id of the program's icon window once it sits in the tray (its
# parent is no longer the root window); waits up to $1 seconds (default 10).
wait_docked() {
  local limit=${1:-10} id parent
  for _ in $(seq $((limit * 20))); do
    for id in $(xdotool search --classname '^mametan-tray$' 2>/dev/null); do
      parent=$(xwininfo -children -id "$id" 2>/dev/null | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
      if [[ -n $parent ]] && ! xwininfo -id "$parent" 2>/dev/null | grep -q '(the root window)' \
        && xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable'; then
        sleep 0.3  # the panel grows to take the icon: let it settle
        echo "$id"; return 0
      fi
    done
    sleep 0.05
  done
  return 1
}

# Presses and releases mouse button $1 (1 left, 2 middle, 3 right) on the
# icon, then waits long enough that the next press is no double click.
click_icon() {
  local id
  id=$(wait_docked 5) || return 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove "$((X + WIDTH / 2))" "$((Y + HEIGHT / 2))" click "$1"
  sleep 0.5
}

# Number of visible windows whose title matches the extended regex $1.
count_windows() {
  xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l
}

# The settings file's [Mametan] lines, sorted, without blank lines.
settings_lines() {
  grep -v '^\s*$' "$SETTINGS" 2>/dev/null | sed '/^\[/d' | sort
}

TEN_SETTINGS='AutoTax=0
EnterToNext=0
File_Kakeibo=kakeibo.csv
File_Kind=item.txt
InputWindow_Left=0
InputWindow_Top=0
NextInput=0
OpenWindowAtBoot=0
SaveWindowPos=0
Tax=5'

# "listed" while the program has an entry in the window manager's task list
# (a managed window of it not marked skip-taskbar: the carrier), else "none".
taskbar_entry_state() {
  local id
  for id in $(xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*'); do
    xprop -id "$id" WM_CLASS 2>/dev/null | grep -q '"mametan"' || continue
    xprop -id "$id" _NET_WM_STATE 2>/dev/null | grep -q SKIP_TASKBAR && continue
    echo listed; return 0
  done
  echo none
}

# Prints "X Y": the outer top-left of window $1's frame (the client's place
# less the frame's left and top extents).
frame_origin() {
  local ext left top
  eval "$(xwininfo -id "$1" 2>/dev/null | sed -n \
    -e 's/.*Absolute upper-left X: *\(-\?[0-9]*\).*/X=\1/p' \
    -e 's/.*Absolute upper-left Y: *\(-\?[0-9]*\).*/Y=\1/p')"
  ext=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p')
  left=$(cut -d, -f1 <<<"$ext"); top=$(cut -d, -f3 <<<"$ext")
  echo "$((X - ${left:-0})) $((Y - ${top:-0}))"
}

# Drags window $1 by its title bar, as a user moves it, by $2,$3 pixels.
drag_window() {
  local id=$1 dx=$2 dy=$3
  read -r fx fy < <(frame_origin "$id")
  xdotool mousemove "$((fx + 60))" "$((fy + 8))" mousedown 1
  sleep 0.1
  xdotool mousemove_relative -- "$((dx / 2))" "$((dy / 2))"
  sleep 0.1
  xdotool mousemove "$((fx + 60 + dx))" "$((fy + 8 + dy))"
  sleep 0.1
  xdotool mouseup 1
  sleep 0.3
}

skip() { echo "SKIP - $*"; }

# Prints the id of the program's open popup menu (a mapped override-redirect
# window of the program); waits up to $1 seconds (default 5).
wait_menu() {
  local limit=${1:-5} id info
  for _ in $(seq $((limit * 20 + 1))); do
    for id in $(xdotool search --classname '^mametan$' 2>/dev/null); do
      info=$(xwininfo -id "$id" 2>/dev/null)
      if grep -q 'IsViewable' <<<"$info" && grep -q 'Override Redirect State: yes' <<<"$info"; then
        echo "$id"; return 0
      fi
    done
    sleep 0.05
  done
  return 1
}

# --- StatusNotifierItem hosts, on the session bus ----------------------------

bus_call() {  # bus_call destination path interface.method args...
  dbus-send --session --print-reply=literal --dest="$1" "$2" "${@:3}" 2>/dev/null
}

watcher_prop() {
  bus_call org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher "string:$1"
}

# The items registered with the watcher whose bus connection is process $1's;
# the watcher names each by its bus name, perhaps followed by its path.
registered_items() {
  local name owner
  watcher_prop RegisteredStatusNotifierItems >"$E2E_DIR/items.txt" || return 1
  for name in $(tr -s ' \t' '\n\n' <"$E2E_DIR/items.txt" | grep -E '^[:a-zA-Z]' | grep -vE '^(variant|array)$'); do
    owner=$(bus_call org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus.GetConnectionUnixProcessID "string:${name%%/*}" | grep -o '[0-9]*$')
    [[ $owner == "$1" ]] && { echo "$name"; return 0; }
  done
  return 1
}

wait_registered() {  # wait_registered pid seconds
  for _ in $(seq $(($2 * 20))); do
    registered_items "$1" && return 0
    sleep 0.05
  done
  return 1
}
