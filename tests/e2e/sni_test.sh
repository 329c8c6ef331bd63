#!/usr/bin/env bash
# The icon on a StatusNotifierItem host (a watcher and a panel on a private
# session bus, under openbox): it registers, the panel draws it, the clicks
# a host can report, the program's own menu drawn by the panel with its exit
# command, registering again after the watcher restarts, and the icon moving
# between an XEmbed tray and such a panel when one replaces the other.
if [[ -z ${MAMETAN_SNI_BUS:-} ]]; then
  for tool in dbus-run-session dbus-send status-notifier-watcher gtk-sni-tray-standalone openbox; do
    command -v "$tool" >/dev/null || {
      echo "SKIP - $tool is not installed (scripts/deps.sh test)"
      exit 0
    }
  done
  MAMETAN_SNI_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
bus=$DBUS_SESSION_BUS_ADDRESS
source "$(dirname "$0")/lib.sh"
export DBUS_SESSION_BUS_ADDRESS=$bus NO_AT_BRIDGE=1

# --- The desktop: a watcher and a panel ------------------------------------

WATCHER_PID=""
HOST_PID=""

start_watcher() {
  status-notifier-watcher --log-level INFO >>"$E2E_DIR/watcher.log" 2>&1 &
  WATCHER_PID=$!
  E2E_PIDS+=("$WATCHER_PID")
  for _ in $(seq 200); do
    watcher_prop ProtocolVersion >/dev/null && return 0
    sleep 0.05
  done
  echo "FAIL: status-notifier-watcher did not start"; exit 1
}

stop_watcher() {
  kill "$WATCHER_PID" 2>/dev/null; wait "$WATCHER_PID" 2>/dev/null
}

# The panel: a bar at the top of the screen in a flat colour, so that the
# icon is what is not that colour.
BAR_COLOUR='#204080'
start_host() {
  gtk-sni-tray-standalone --top --end --size 28 --color "$BAR_COLOUR" >>"$E2E_DIR/host.log" 2>&1 &
  HOST_PID=$!
  E2E_PIDS+=("$HOST_PID")
  for _ in $(seq 200); do
    bar_window >/dev/null && return 0
    sleep 0.05
  done
  echo "FAIL: gtk-sni-tray-standalone shows no bar"; exit 1
}

# The panel's bar: its mapped, managed window.
bar_window() {
  local id
  for id in $(xdotool search --pid "$HOST_PID" 2>/dev/null); do
    if xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' &&
      xwininfo -id "$id" | grep -q 'Override Redirect State: no'; then
      echo "$id"; return 0
    fi
  done
  return 1
}

# Where the icon is drawn: the centre of what on the bar is not the bar's
# colour, as a user sees it. Sets IX and IY; waits up to $1 seconds.
find_icon() {
  local bar box w h x y
  for _ in $(seq $(($1 * 4))); do
    if bar=$(bar_window); then
      eval "$(xdotool getwindowgeometry --shell "$bar")"
      box=$(import -window "$bar" png:- 2>/dev/null | convert png:- -fuzz 8% -bordercolor "$BAR_COLOUR" \
        -border 1 -trim -format '%w %h %X %Y' info: 2>/dev/null)
      read -r w h x y <<<"$box"
      if [[ -n $box && $w -gt 8 && $w -lt 64 && $h -gt 8 ]]; then
        IX=$((X + x - 1 + w / 2)) IY=$((Y + y - 1 + h / 2))
        return 0
      fi
    fi
    sleep 0.25
  done
  return 1
}

# Clicks button $1 on the icon, then waits until the next click is no double click.
click_sni() {
  find_icon 5 || return 1
  xdotool mousemove "$IX" "$IY" click "$1"
  sleep 0.6
}

# The panel's menu: a mapped override-redirect window of the panel.
host_menu() {
  local id info
  for _ in $(seq $((${1:-5} * 20 + 1))); do
    for id in $(xdotool search --pid "$HOST_PID" 2>/dev/null); do
      info=$(xwininfo -id "$id" 2>/dev/null)
      if grep -q 'IsViewable' <<<"$info" && grep -q 'Override Redirect State: yes' <<<"$info" &&
        [[ $(sed -n 's/.*Width: //p' <<<"$info") -gt 40 ]]; then
        echo "$id"; return 0
      fi
    done
    sleep 0.05
  done
  return 1
}

# --- The run -----------------------------------------------------------------

start_x

# A panel that starts after the program, as at login: the watcher and its
# host come 2 s later, and the icon appears each time.
shown=0
for run in $(seq 10); do
  start_app
  app=$LAST_PID
  sleep 2
  start_watcher
  start_host
  if find_icon 8 && kill -0 "$app" 2>/dev/null; then shown=$((shown + 1)); else screenshot "late-$run"; fi
  kill -TERM "$app"; wait_exit "$app" 10
  kill "$HOST_PID" 2>/dev/null; wait "$HOST_PID" 2>/dev/null
  stop_watcher
done
check "the icon appears when the panel starts 2 s after the program: $shown of 10" test "$shown" -eq 10

# The panel replaced by one of the other kind while the program runs: the
# icon moves from the XEmbed tray to the StatusNotifierItem panel and back.
start_tray
start_app
app=$LAST_PID
check "with only an XEmbed tray the icon docks there" wait_docked 10
stop_tray
start_watcher
start_host
check "the tray replaced by a StatusNotifierItem panel: the panel draws the icon" find_icon 15
screenshot 0-moved-to-sni
click_sni 1
check "... and a left click on it opens the input window" wait_active 'まめたん家計簿 - 入力' 5
xdotool key Escape
kill "$HOST_PID" 2>/dev/null; wait "$HOST_PID" 2>/dev/null
stop_watcher
start_tray
check "the panel replaced by an XEmbed tray again: the icon docks there" wait_docked 15
kill -TERM "$app"; wait_exit "$app" 10
stop_tray

start_watcher
start_host

start_app
app=$LAST_PID
item=$(wait_registered "$app" 10) || cat "$E2E_DIR/items.txt"
check "the program registers its item with the watcher (${item:-none})" test -n "$item"
check "the panel draws the icon" find_icon 10
screenshot 1-icon

# The exported menu as any host reads it: the seven items in order, the list
# item hidden, captions with their accelerators, the six images.
service=${item%%/*}
menu_path=$(bus_call "${service:-none}" /StatusNotifierItem org.freedesktop.DBus.Properties.Get \
  string:org.kde.StatusNotifierItem string:Menu | grep -o '/[^ ]*')
layout=$(bus_call "${service:-none}" "${menu_path:-/none}" com.canonical.dbusmenu.GetLayout \
  int32:0 int32:-1 array:string:)
echo "$layout" >"$E2E_SHOTS/menu-layout.txt"
flat=$(tr -s ' \n' '  ' <<<"$layout")
labels=$(grep -o 'label variant [^ ]*' <<<"$flat" | sed 's/^label variant //' | paste -sd'|')
check "the item exports its menu (${menu_path:-none}) with the program's captions ($labels)" \
  test "$labels" = '入力(_I)...|一覧(_V)...|設定(_S)...|ヘルプ(_H)|バージョン情報(_A)...|終了(_E)'
check "... the list item hidden" test "$(grep -o 'visible variant boolean false' <<<"$flat" | wc -l)" -eq 1
check "... one separator" test "$(grep -o 'type variant separator' <<<"$flat" | wc -l)" -eq 1
check "... six images" test "$(grep -c 'icon-data' <<<"$layout")" -eq 6

# A middle click opens nothing.
click_sni 2
check "a middle click opens nothing" test "$(count_windows 'form_|入力')" -eq 0
check "... and no menu" test -z "$(host_menu 0)"

# A left click: the input window with the keyboard focus.
click_sni 1
check "a left click opens the input window" wait_window 'まめたん家計簿 - 入力' 5
check "... with the keyboard focus" wait_active 'まめたん家計簿 - 入力' 3
screenshot 2-input
xdotool key Escape
sleep 0.5
check "Escape hides it, and no taskbar entry stays ($(taskbar_entry_state))" \
  test "$(taskbar_entry_state)" = none

# A host that asks the item for its context menu instead of drawing one (the
# test plays that host on the bus): the program's own popup at the cursor.
find_icon 5 && xdotool mousemove "$IX" "$IY"
bus_call "${service:-none}" /StatusNotifierItem org.kde.StatusNotifierItem.ContextMenu \
  "int32:${IX:-0}" "int32:${IY:-0}" >/dev/null
popup=$(wait_menu 5)
check "a host's ContextMenu call pops the program's menu" test -n "$popup"
if [[ -n $popup ]]; then
  eval "$(xdotool getwindowgeometry --shell "$popup")"
  # Kept on the screen and off the panel: beside the pointer, or just below the bar.
  check "... at the cursor (menu ${WIDTH}x$HEIGHT+$X+$Y; pointer $IX,$IY)" \
    test "$IX" -ge $((X - 2)) -a "$IX" -le $((X + WIDTH + 2)) -a "$IY" -ge $((Y - 32)) \
    -a "$IY" -le $((Y + HEIGHT + 2))
fi
xdotool key Escape
sleep 0.3

# A double click restores the application: with the middle button, which
# opens nothing, its taskbar entry alone appears.
find_icon 5 && xdotool mousemove "$IX" "$IY" click --repeat 2 --delay 80 2
sleep 0.6
check "a middle double click restores the taskbar entry ($(taskbar_entry_state))" \
  test "$(taskbar_entry_state)" = listed
check "... and opens no window" test "$(count_windows 'form_|入力')" -eq 0
find_icon 5 && xdotool mousemove "$IX" "$IY" click --repeat 2 --delay 80 1
check "a left double click shows the input window" wait_window 'まめたん家計簿 - 入力' 5
sleep 0.6

# The watcher goes away and comes back: the item registers again and the
# panel draws it again.
stop_watcher
sleep 0.5
check "the program runs on without the watcher" kill -0 "$app"
start_watcher
item=$(wait_registered "$app" 10) || cat "$E2E_DIR/items.txt"
check "the item registers again with the restarted watcher (${item:-none})" test -n "$item"
check "... and the panel draws it" find_icon 5

# A right click: the panel draws the program's menu; 終了 from it ends the
# program with 0, having saved the settings.
click_sni 3
menu=$(host_menu 5)
check "a right click shows the menu" test -n "$menu"
screenshot 3-menu
if [[ -n $menu ]]; then
  eval "$(xdotool getwindowgeometry --shell "$menu")"
  echo "     menu ${WIDTH}x$HEIGHT+$X+$Y"
fi
xdotool key e
wait_exit "$app" 10
check "終了 from it ends the program with 0 (got ${EXIT_CODE:-running})" test "${EXIT_CODE:-x}" = 0
check "... having written the ten settings" test "$(settings_lines | cut -d= -f1 | paste -sd,)" = \
  "$(cut -d= -f1 <<<"$TEN_SETTINGS" | paste -sd,)"
screenshot 4-after
if [[ $E2E_FAILS -ne 0 ]]; then
  for log in watcher host; do
    echo "--- $log log"; tail -n 40 "$E2E_DIR/$log.log"
  done
fi

e2e_finish
