#!/usr/bin/env bash
# The program in a Wayland session: sway without a screen, waybar's tray as
# the StatusNotifierItem host, Xwayland beside it. The panel starting after
# the program; a purchase typed into the input window on X (through
# Xwayland, which the program picks when it is there) and on Wayland alone;
# where the input window's place comes from and what is stored of it; a
# host's ContextMenu call. sway refuses to run as root: as root the script
# runs itself again as a user of its own.
E2E_USER=mametan-e2e
if [[ -z ${MAMETAN_WL_INNER:-} ]]; then
  for tool in sway swaymsg waybar wtype grim Xwayland jq xdotool dbus-run-session setpriv; do
    command -v "$tool" >/dev/null || {
      echo "SKIP - $tool is not installed (scripts/deps.sh test)"
      exit 0
    }
  done
  built=$(realpath "${1:?path to the built mametan}")
  shots=$(dirname "$built")/e2e-shots/$(basename "$0" .sh)
  rm -rf "$shots"
  mkdir -p "$shots"
  inner=(env MAMETAN_WL_INNER=1 "E2E_SHOTS=$shots" "PATH=$PATH" dbus-run-session -- bash "$0")
  if [[ $(id -u) -ne 0 ]]; then exec "${inner[@]}" "$built"; fi
  id "$E2E_USER" >/dev/null 2>&1 ||
    useradd --system --user-group --no-create-home --home-dir /nonexistent \
      --shell /usr/sbin/nologin "$E2E_USER" || exit 1
  # The program is copied where that user may run it.
  bin=$(mktemp -d /tmp/mametan-wl-bin.XXXXXX)
  install -m 755 "$built" "$bin/mametan"
  chmod 755 "$bin"
  chown "$E2E_USER" "$shots"
  setpriv --reuid="$E2E_USER" --regid="$E2E_USER" --clear-groups "${inner[@]}" "$bin/mametan"
  code=$?
  rm -rf "$bin"
  exit $code
fi
bus=$DBUS_SESSION_BUS_ADDRESS
source "$(dirname "$0")/lib.sh"
export DBUS_SESSION_BUS_ADDRESS=$bus NO_AT_BRIDGE=1
unset DISPLAY

# --- The session -------------------------------------------------------------

screenshot() { timeout 5 grim "$E2E_SHOTS/$1.png" 2>/dev/null; }

start_sway() {
  cat >"$E2E_DIR/sway.conf" <<EOF
output HEADLESS-1 resolution 1024x768 bg #303030 solid_color
xwayland enable
exec env >$E2E_DIR/session.env
EOF
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$E2E_DIR/sway.conf" >"$E2E_DIR/sway.log" 2>&1 &
  WM_PID=$!
  for _ in $(seq 200); do
    grep -q '^DISPLAY=' "$E2E_DIR/session.env" 2>/dev/null && break
    sleep 0.05
  done
  WAYLAND_DISPLAY=$(sed -n 's/^WAYLAND_DISPLAY=//p' "$E2E_DIR/session.env")
  SESSION_DISPLAY=$(sed -n 's/^DISPLAY=//p' "$E2E_DIR/session.env")
  SWAYSOCK=$(sed -n 's/^SWAYSOCK=//p' "$E2E_DIR/session.env")
  [[ -n $WAYLAND_DISPLAY && -n $SESSION_DISPLAY ]] || {
    echo "FAIL: sway did not start"; tail -n 20 "$E2E_DIR/sway.log"; exit 1
  }
  export WAYLAND_DISPLAY SWAYSOCK XDG_SESSION_TYPE=wayland
}

# waybar with only its tray, in a flat colour: the icon is what is not that colour.
BAR_COLOUR='#204080'
mkdir -p "$XDG_CONFIG_HOME/waybar"
echo '{"layer": "top", "position": "top", "height": 28, "modules-right": ["tray"],
  "tray": {"icon-size": 20}}' >"$XDG_CONFIG_HOME/waybar/config"
echo "* { font-size: 12px; } window#waybar { background: $BAR_COLOUR; }" \
  >"$XDG_CONFIG_HOME/waybar/style.css"
start_bar() {
  waybar >>"$E2E_DIR/waybar.log" 2>&1 &
  TRAY_PID=$!
}

# Waits up to $1 seconds until waybar draws an icon: something on the bar not of its colour.
wait_icon() {
  local w
  for _ in $(seq $(($1 * 10))); do
    w=$(grim -g '0,0 1024x28' - 2>/dev/null | convert png:- -fuzz 8% -bordercolor "$BAR_COLOUR" \
      -border 1 -trim -format '%w' info: 2>/dev/null)
    [[ -n $w && $w -gt 8 && $w -lt 64 ]] && return 0
    sleep 0.1
  done
  return 1
}

# The windows sway manages: "app_id-or-class<TAB>title<TAB>x,y<TAB>shell" per line.
sway_windows() {
  swaymsg -t get_tree 2>/dev/null | jq -r '.. | objects | select(.pid? != null and .type? != "workspace")
    | "\(.app_id // .window_properties.class)\t\(.name)\t\(.rect.x),\(.rect.y)\t\(.shell)"'
}

# Waits until sway gives the keyboard to the window titled $1.
wait_focused() {
  for _ in $(seq 50); do
    swaymsg -t get_tree | jq -e --arg t "$1" '.. | objects | select(.focused? == true and .name == $t)' \
      >/dev/null && return 0
    sleep 0.1
  done
  return 1
}

has_window() { sway_windows | grep -q "$1"; }
no_window() { ! has_window "$1"; }
settings_value() { sed -n "s/^$1=//p" "$SETTINGS"; }

# Calls a method of the program's item as a host does: Activate or ContextMenu at x, y.
item_call() {  # item_call pid method x y
  local item
  item=$(registered_items "$1") || return 1
  bus_call "${item%%/*}" /StatusNotifierItem "org.kde.StatusNotifierItem.$2" "int32:$3" "int32:$4"
}

write_settings() {  # write_settings SaveWindowPos left top
  printf '[Mametan]\nFile_Kakeibo=kakeibo.csv\nFile_Kind=item.txt\nSaveWindowPos=%s\nInputWindow_Left=%s\nInputWindow_Top=%s\nTax=5\n' \
    "$1" "$2" "$3" >"$SETTINGS"
}

TITLE='まめたん家計簿 - 入力'
start_sway
printf 'food\r\nbook\r\n' >"$WORK/item.txt"

# --- A panel that starts after the program ---------------------------------
# Half the runs on X through Xwayland (the program's own choice here), half
# on Wayland alone.
shown=0 shown_x=0 shown_wl=0
for run in $(seq 10); do
  if ((run % 2)); then DISPLAY=$SESSION_DISPLAY start_app; else start_app; fi
  app=$LAST_PID
  sleep 2
  start_bar
  if wait_icon 8 && kill -0 "$app" 2>/dev/null; then
    shown=$((shown + 1))
    if ((run % 2)); then shown_x=$((shown_x + 1)); else shown_wl=$((shown_wl + 1)); fi
  else
    screenshot "late-panel-$run"
  fi
  [[ $run == 1 ]] && screenshot 1-late-panel
  kill -TERM "$app"; wait_exit "$app" 10
  stop_tray
done
check "the icon appears when waybar starts 2 s after the program: $shown of 10 (X $shown_x of 5, Wayland $shown_wl of 5)" \
  test "$shown" -eq 10

# --- On X through Xwayland -------------------------------------------------
export DISPLAY=$SESSION_DISPLAY
start_bar
write_settings 1 100 80
start_app
app=$LAST_PID
wait_icon 10 >/dev/null
item_call "$app" Activate 1000 10 >/dev/null
input=$(wait_window "$TITLE" 5)
check "Activate from the host opens the input window on X" test -n "$input"
# Keys go where the keyboard is: sway gives it to the new window a moment
# after mapping it, and a slow (sanitizer) build maps it later still.
check "... and the window has the keyboard" wait_active "$TITLE" 5
xdotool type --delay 30 food; xdotool key Tab
xdotool type --delay 30 milk; xdotool key Tab
xdotool type --delay 30 198; xdotool key Return
sleep 1
today=$(date +%Y/%m/%d)
expected=$E2E_DIR/expected.csv
{ printf '日付,種類,商品名,価格\r\n' | iconv -f UTF-8 -t CP932; printf '%s,food,milk,198\r\n' "$today"; } >"$expected"
check "the purchase typed with xdotool lands in kakeibo.csv as exact bytes" cmp "$expected" "$WORK/kakeibo.csv"

# sway puts every floating window in the middle, whatever place it asks for:
# the place stored is the one the window system reports, not the one asked.
item_call "$app" Activate 1000 10 >/dev/null
fx=none fy=none
input=$(wait_window "$TITLE" 5) && read -r fx fy < <(frame_origin "$input")
screenshot 2-input-x
xdotool key Escape
sleep 0.3

# The host's ContextMenu call: the program's popup at the place given, kept
# on the screen; no window sway would manage.
item_call "$app" ContextMenu 1000 10 >/dev/null
popup=$(wait_menu 5)
check "a host's ContextMenu call opens a popup menu" test -n "$popup"
if [[ -n $popup ]]; then
  eval "$(xdotool getwindowgeometry --shell "$popup")"
  check "... at the place given, kept on the screen (menu ${WIDTH}x$HEIGHT+$X+$Y)" \
    test $((X + WIDTH)) -le 1024 -a $((X + WIDTH)) -ge 1000 -a "$Y" -le 12
fi
check "... and sway manages no window of the menu" no_window '^mametan	Mametan	' 
sway_windows >"$E2E_SHOTS/windows-menu.txt"
screenshot 3-context-menu
xdotool key Escape
# The panel restarts, with a watcher of its own: the icon comes back.
stop_tray
start_bar
check "after waybar restarts the icon is back" wait_icon 8
kill -TERM "$app"; wait_exit "$app" 10
check "the place stored is the one sway gave the window ($fx,$fy; stored $(settings_value InputWindow_Left),$(settings_value InputWindow_Top))" \
  test "$(settings_value InputWindow_Left),$(settings_value InputWindow_Top)" = "$fx,$fy"

# --- On Wayland alone --------------------------------------------------------
# DISPLAY names a server that is not there: Wayland is used, nothing ends.
for n in $(seq 90 199); do [[ -e /tmp/.X11-unix/X$n ]] || break; done
export DISPLAY=:$n
write_settings 0 100 80
start_app
app=$LAST_PID
wait_icon 10 >/dev/null
item_call "$app" ContextMenu 1000 10 >/dev/null
sleep 1
check "with a stale DISPLAY the program runs on Wayland" kill -0 "$app"
check "with no window of its own, a ContextMenu call opens no top-level window" no_window '^mametan	' 
item_call "$app" Activate 1000 10 >/dev/null
for _ in $(seq 50); do has_window "^mametan	$TITLE	.*	xdg_shell" && break; sleep 0.1; done
check "Activate opens the input window on Wayland" has_window "^mametan	$TITLE	.*	xdg_shell"
wait_focused "$TITLE"
# One keyboard for the whole purchase: each wtype brings a keyboard of its
# own, which sway hands the window with the first key; a Shift goes first so
# that no letter is typed before the window has its keymap.
wtype -P Shift_L -p Shift_L -s 300 -d 30 book -k Tab '牛乳' -k Tab 250 -k Return
sleep 1
printf '%s,book,%s,250\r\n' "$today" "$(printf '牛乳' | iconv -f UTF-8 -t CP932)" >>"$expected"
check "the purchase typed with wtype lands in kakeibo.csv as exact bytes" cmp "$expected" "$WORK/kakeibo.csv"
cmp "$expected" "$WORK/kakeibo.csv" >/dev/null || od -c "$WORK/kakeibo.csv" | tail -n 5
item_call "$app" Activate 1000 10 >/dev/null
sleep 1
screenshot 4-input-wayland
wtype -k Escape
sleep 0.3
# The keyboard way in: a start with /input (as a key bound in the desktop
# runs it) has the running copy show its window, which takes the keyboard.
timeout 10 "$MAMETAN" /input >>"$E2E_DIR/app.log" 2>&1
code=$?
check "'/input' beside the copy on Wayland ends with 0 (got $code)" test "$code" = 0
check "... and its input window takes the keyboard" wait_focused "$TITLE"
wtype -P Shift_L -p Shift_L -s 300 -d 30 food -k Tab tea -k Tab 120 -k Return
sleep 1
printf '%s,food,tea,120\r\n' "$today" >>"$expected"
check "... and a purchase typed there lands in kakeibo.csv as exact bytes" cmp "$expected" "$WORK/kakeibo.csv"
kill -TERM "$app"; wait_exit "$app" 10
# Wayland tells no client where its window is: the saved place is kept.
check "on Wayland the saved place is kept, none made up (stored $(settings_value InputWindow_Left),$(settings_value InputWindow_Top))" \
  test "$(settings_value InputWindow_Left),$(settings_value InputWindow_Top)" = "100,80"

if [[ $E2E_FAILS -ne 0 ]]; then
  for log in sway waybar; do
    echo "--- $log log"; tail -n 30 "$E2E_DIR/$log.log"
  done
fi
e2e_finish
