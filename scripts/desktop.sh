# A private desktop for the program: Xvfb on a free display, the openbox
# window manager and the trayer tray host, each started and waited for until
# it really serves, with a second try where a host dies at start. Sourced by
# scripts/run.sh, the end-to-end tests and the desktop benchmarks; they kill
# $XVFB_PID, $WM_PID and $TRAY_PID themselves. Logs go to $DESKTOP_LOGS.
DESKTOP_LOGS=${DESKTOP_LOGS:-$(mktemp -d /tmp/mametan-desktop.XXXXXX)}
XVFB_PID=${XVFB_PID:-}
WM_PID=${WM_PID:-}
TRAY_PID=${TRAY_PID:-}
# The tray host's panel; callers may set other trayer options.
TRAYER_ARGS=${TRAYER_ARGS:---edge top --align right --widthtype request --height 24 --SetDockType true}

# Starts Xvfb on a free display, exports DISPLAY, and starts the window
# manager (unless DESKTOP_NO_WM is set). -noreset: without it the server
# resets whenever its last client leaves, and a host that connects during that reset is refused ("cannot open
# display"), as a polling xdotool makes happen at random.
start_x() {
  local fdfile=$DESKTOP_LOGS/displayfd
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fdfile" \
    2>"$DESKTOP_LOGS/xvfb.log" &
  XVFB_PID=$!
  for _ in $(seq 200); do [[ $(cat "$fdfile" 2>/dev/null) == *$'\n'* ]] && break; sleep 0.05; done
  [[ -s $fdfile ]] || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -n1 "$fdfile")"
  [[ ${DESKTOP_NO_WM:-} ]] || start_wm
}

# Starts openbox and waits until it manages the screen (its check window is
# named on the root window).
start_wm() {
  openbox --sm-disable >"$DESKTOP_LOGS/openbox.log" 2>&1 &
  WM_PID=$!
  local check
  for _ in $(seq 200); do
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*# \(0x[0-9a-f]*\).*/\1/p')
    if [[ -n $check ]] && xprop -id "$check" _NET_WM_NAME 2>/dev/null | grep -q Openbox; then
      return 0
    fi
    kill -0 "$WM_PID" 2>/dev/null || break
    sleep 0.05
  done
  echo "FAIL: openbox did not start"; exit 1
}

# True when a tray host owns the system tray selection of screen 0: only
# then does an icon added now dock (Wine's shell otherwise keeps it in a
# window of its own).
tray_selection_owned() {
  python3 - <<'EOF_PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XGetSelectionOwner.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
d = x.XOpenDisplay(None)
sys.exit(0 if d and x.XGetSelectionOwner(d, x.XInternAtom(d, b"_NET_SYSTEM_TRAY_S0", 0)) else 1)
EOF_PY
}

# Starts the trayer tray host and waits until its panel exists (it stays
# unmapped while empty) and it owns the tray selection. A host that died at
# start is started once more.
start_tray() {
  local attempt
  for attempt in 1 2; do
    echo "--- trayer start $attempt" >>"$DESKTOP_LOGS/trayer.log"
    # shellcheck disable=SC2086
    trayer $TRAYER_ARGS >>"$DESKTOP_LOGS/trayer.log" 2>&1 &
    TRAY_PID=$!
    for _ in $(seq 200); do
      if xdotool search --classname '^trayer$' >/dev/null 2>&1 && tray_selection_owned; then
        return 0
      fi
      kill -0 "$TRAY_PID" 2>/dev/null || break
      sleep 0.05
    done
    echo "trayer attempt $attempt failed (exit $(kill -0 "$TRAY_PID" 2>/dev/null && echo running || { wait "$TRAY_PID"; echo $?; }))" >>"$DESKTOP_LOGS/trayer.log"
    kill "$TRAY_PID" 2>/dev/null; wait "$TRAY_PID" 2>/dev/null
    TRAY_PID=""
  done
  echo "FAIL: trayer did not start"; exit 1
}

stop_tray() {
  [[ -n $TRAY_PID ]] || return 0
  kill "$TRAY_PID" 2>/dev/null; wait "$TRAY_PID" 2>/dev/null
  TRAY_PID=""
}

# The viewable windows of an X class, one id a line.
viewable_windows() {
  local id
  for id in $(xdotool search --classname "$1" 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' && echo "$id"
  done
}

# Windows programs under Wine: waits for the icon docked into trayer, a
# viewable window of Wine's explorer.exe inside the tray host's panel (class
# "panel"; before it docks, the icon can show elsewhere for a moment), and
# drawn there as the user sees the screen: more than a few colours where it
# is. Sets ICON_X, ICON_Y
# (its centre) and ICON_WINDOW.
wait_docked() {
  local id geometry panel px py pw ph
  for _ in $(seq 300); do
    panel=$(viewable_windows '^panel$' | head -n1)
    if [[ -n $panel ]] && geometry=$(xdotool getwindowgeometry --shell "$panel" 2>/dev/null); then
      eval "$geometry"
      px=$X py=$Y pw=$WIDTH ph=$HEIGHT
      for id in $(viewable_windows explorer.exe); do
        geometry=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null) || continue
        eval "$geometry"
        ICON_X=$((X + WIDTH / 2))
        ICON_Y=$((Y + HEIGHT / 2))
        if ((WIDTH <= 64 && ICON_X >= px && ICON_X < px + pw && ICON_Y >= py && ICON_Y < py + ph)) &&
          (($(import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" png:- 2>/dev/null |
            convert - -format %k info: 2>/dev/null || echo 0) > 4)); then
          ICON_WINDOW=$id
          return 0
        fi
      done
    fi
    sleep 0.1
  done
  return 1
}
