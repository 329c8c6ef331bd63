#!/usr/bin/env bash
# Japanese input through a real input method, fcitx5 with mozc, left on from
# the first key to the last: the kind and the goods take composed kanji, the
# date and the price take the digits as typed, and Enter that commits a
# composition writes no line. mozc's server will not run as root, so a root
# caller hands the test to an unprivileged user of its own.
IME_USER=mametan-ime
HERE=$(cd "$(dirname "$0")" && pwd)

if [[ $(id -u) -eq 0 ]]; then
  program=$(realpath "${1:?path to the built mametan}")
  for need in fcitx5 /usr/lib/mozc/mozc_server dbus-daemon runuser openbox \
    /usr/lib/x86_64-linux-gnu/qt6/plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so; do
    command -v "$need" >/dev/null || [[ -e $need ]] ||
      { echo "SKIP - $need is missing (scripts/deps.sh build test installs it)"; exit 0; }
  done
  locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8' ||
    { echo "SKIP - no ja_JP.UTF-8 locale (scripts/deps.sh build test generates it)"; exit 0; }
  id "$IME_USER" >/dev/null 2>&1 ||
    useradd --system --no-create-home --shell /usr/sbin/nologin "$IME_USER" ||
    { echo "SKIP - cannot create the user $IME_USER to run mozc as"; exit 0; }
  # The user gets its own copy of the program and the scripts; what the run
  # keeps (screenshots) comes back beside the built program.
  stage=$(mktemp -d /tmp/mametan-ime.XXXXXX)
  mkdir -p "$stage/bin" "$stage/tests/e2e" "$stage/scripts"
  cp "$program" "$stage/bin/mametan" && cp "$HERE"/*.sh "$stage/tests/e2e/" &&
    cp "$HERE/../../scripts/desktop.sh" "$stage/scripts/"
  chown -R "$IME_USER:" "$stage"
  runuser -u "$IME_USER" -- bash "$stage/tests/e2e/$(basename "$0")" "$stage/bin/mametan"
  rc=$?
  if [[ -d $stage/bin/e2e-shots ]]; then
    mkdir -p "$(dirname "$program")/e2e-shots"
    cp -r "$stage/bin/e2e-shots/." "$(dirname "$program")/e2e-shots/"
  fi
  rm -rf "$stage"
  exit "$rc"
fi

source "$HERE/lib.sh"
export LC_ALL=ja_JP.UTF-8
if ! declare -F screenshot >/dev/null; then
  screenshot() {
    mkdir -p "$(dirname "$MAMETAN")/e2e-shots/ime_test"
    import -window root "$(dirname "$MAMETAN")/e2e-shots/ime_test/$1.png" 2>/dev/null
  }
fi
start_x
# The window manager gives the opened window the keyboard, as on a desktop.
if ! declare -F start_wm >/dev/null; then
  openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
  E2E_PIDS+=($!)
  sleep 1
fi

# fcitx5 with mozc as the active engine, on in every new input context.
export XDG_DATA_HOME=$E2E_DIR/data XDG_CACHE_HOME=$E2E_DIR/cache
mkdir -p "$XDG_CONFIG_HOME/fcitx5" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
cat >"$XDG_CONFIG_HOME/fcitx5/profile" <<'EOF'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
EOF
cat >"$XDG_CONFIG_HOME/fcitx5/config" <<'EOF'
[Behavior]
ActiveByDefault=True
ShareInputState=All
EOF

# The private bus starts no services on demand: with the system's service
# files, a poll of fcitx5-remote before fcitx5 owns its name makes the bus
# start a second fcitx5, and whichever loses the race for the name exits
# ("Unable to request dbus name"), often the one this script waits on.
cat >"$E2E_DIR/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$XDG_RUNTIME_DIR/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
dbus-daemon --config-file="$E2E_DIR/bus.conf" --nofork --nopidfile \
  >"$E2E_DIR/dbus.log" 2>&1 &
DBUS_PID=$!
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
for _ in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/bus ]] && break; sleep 0.05; done
[[ -S $XDG_RUNTIME_DIR/bus ]] || { echo "FAIL: the private dbus-daemon did not start"; cat "$E2E_DIR/dbus.log"; exit 1; }

fcitx5 --disable=wayland,waylandim,xim,notificationitem,kimpanel,notifications,fcitx4frontend,ibusfrontend \
  >"$E2E_DIR/fcitx5.log" 2>&1 &
FCITX_PID=$!

# mozc's server is started by fcitx5 and leaves it; it is found by the private
# runtime folder it inherited, so only this run's server is ended.
own_mozc_servers() {
  local env pid
  for env in /proc/[0-9]*/environ; do
    pid=${env#/proc/}; pid=${pid%/environ}
    [[ $(readlink "/proc/$pid/exe" 2>/dev/null) == */mozc_server ]] || continue
    tr '\0' '\n' <"$env" 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" && echo "$pid"
  done
}
ime_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}" $FCITX_PID; do kill "$pid" 2>/dev/null; done
  wait "$FCITX_PID" 2>/dev/null
  for pid in $(own_mozc_servers); do kill "$pid" 2>/dev/null; done
  kill "$DBUS_PID" 2>/dev/null; wait "$DBUS_PID" 2>/dev/null
}
trap 'rc=$?; ime_cleanup; (exit $rc); e2e_cleanup' EXIT

# mozc loads on demand: it is running once fcitx5 reports it as the
# current engine and its addon is loaded.
ready=""
for _ in $(seq 200); do
  if [[ $(fcitx5-remote -n 2>/dev/null) == mozc ]] && grep -q 'Loaded addon mozc' "$E2E_DIR/fcitx5.log"; then
    ready=yes; break
  fi
  kill -0 "$FCITX_PID" 2>/dev/null || break
  sleep 0.05
done
if [[ -z $ready ]]; then
  # Everything it needs is installed, so a start that fails is a fault here.
  echo "--- fcitx5 log"; tail -n 30 "$E2E_DIR/fcitx5.log"
  echo "FAIL: fcitx5 did not come up with mozc as the current engine (log above)"
  exit 1
fi

start_tray
export QT_IM_MODULE=fcitx
start_app
app=$LAST_PID
TITLE='まめたん家計簿 - 入力'
wait_docked 10 >/dev/null
click_icon 1
input=$(wait_window "$TITLE" 5)
check "a left press opens the input window" test -n "$input"

# The window's input context is on once fcitx5 knows it (state 2: active).
ime_on() {
  for _ in $(seq 100); do
    [[ $(fcitx5-remote 2>/dev/null) == 2 ]] && return 0
    sleep 0.05
  done
  return 1
}
check "the input method is on in the kind box" ime_on

ledger=$WORK/kakeibo.csv
keys() { xdotool key --delay 80 "$@"; sleep 0.4; }
typed() { xdotool type --delay 80 "$1"; sleep 0.4; }

# The date first (Shift+Tab from the kind box), every key through a switched-on
# input method.
keys shift+Tab
typed 20261208
keys Tab
typed shokuhi
keys space
sleep 0.5
screenshot ime-kind-converting
keys Return
check "Enter that commits 食費 writes no line" test ! -e "$ledger"
keys Tab
typed gyuunyuu
keys space
sleep 0.5
keys Return
check "Enter that commits 牛乳 writes no line" test ! -e "$ledger"
keys Tab
typed 198
screenshot ime-price-typed
keys Return
sleep 1

expected=$E2E_DIR/expected.csv
printf '日付,種類,商品名,価格\r\n2026/12/08,食費,牛乳,198\r\n' | iconv -f UTF-8 -t CP932 >"$expected"
check "the line typed with the input method on lands as exact code page 932 bytes" \
  cmp "$expected" "$ledger"
echo "--- kakeibo.csv"
od -An -tx1 -v "$ledger" 2>/dev/null
if [[ -e $ledger ]] && ! cmp -s "$expected" "$ledger"; then
  echo "--- expected"; od -An -tx1 -v "$expected"
  screenshot ime-unexpected
fi

kill -TERM "$app"
wait_exit "$app" 10
e2e_finish
