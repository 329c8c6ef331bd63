#!/usr/bin/env bash
# Builds the program and starts it. Without a display it starts it inside
# Xvfb with the openbox window manager and a tray host, and saves a
# screenshot. The build is the test script's own (the "gcc" preset in
# build/), so running this first leaves that build as the tests expect it.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh build run
cmake --preset gcc >/dev/null
cmake --build --preset gcc --target mametan

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec ./build/mametan "$@"
fi

echo "No display found: starting まめたん家計簿 inside Xvfb with the trayer tray host."
source scripts/desktop.sh
cleanup() { kill ${app_pid:-} $TRAY_PID $WM_PID $XVFB_PID 2>/dev/null || true; }
trap cleanup EXIT
start_x
start_tray
unset DBUS_SESSION_BUS_ADDRESS
./build/mametan "$@" &
app_pid=$!
sleep 3
shot="$PWD/build/screenshot.png"
import -window root "$shot" 2>/dev/null || xwd -root -silent | convert xwd:- "$shot"
echo "Running on display $DISPLAY (Xvfb). Screenshot saved to $shot"
echo "Press Ctrl+C to stop."
wait "$app_pid"
