#!/usr/bin/env bash
# Builds the program and starts it. Without a display it starts it inside
# Xvfb with a tray host, and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh build run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target mametan

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec ./build/mametan "$@"
fi

echo "No display found: starting まめたん家計簿 inside Xvfb with the trayer tray host."
fdfile=$(mktemp)
Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$fdfile" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s "$fdfile" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$fdfile")"
rm -f "$fdfile"
cleanup() { kill "${app_pid:-}" "${tray_pid:-}" "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
trayer --edge top --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 &
tray_pid=$!
sleep 1
unset DBUS_SESSION_BUS_ADDRESS
./build/mametan "$@" &
app_pid=$!
sleep 3
shot="$PWD/build/screenshot.png"
import -window root "$shot" 2>/dev/null || xwd -root -silent | convert xwd:- "$shot"
echo "Running on display $DISPLAY (Xvfb). Screenshot saved to $shot"
echo "Press Ctrl+C to stop."
wait "$app_pid"
