#!/usr/bin/env bash
# Start-up: the debug switch, one normal instance per session, and the
# settings written when the program is told to end.
source "$(dirname "$0")/lib.sh"
start_x
start_tray

start_app
first=$LAST_PID
sleep 1.5
check "the first normal start keeps running" kill -0 "$first"

start=$(date +%s%N)
err=$("$MAMETAN" 2>&1 >/dev/null); code=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
check "a second normal start exits with 1 (got $code)" test "$code" -eq 1
check "... silently (got: $err)" test -z "$err"
check "... within a second (${elapsed} ms)" test "$elapsed" -lt 1000
check "... and touches no settings" test ! -e "$SETTINGS"

for arg in -debug debug /debugx; do
  "$MAMETAN" "$arg" >/dev/null 2>&1; code=$?
  check "'$arg' is not the debug switch (exit $code)" test "$code" -eq 1
done

start_app /DEBUG
debug1=$LAST_PID
start_app x /debug
debug2=$LAST_PID
check "'/DEBUG' shows form_Main beside the normal instance" wait_window form_Main 10
sleep 1
check "'/DEBUG' instance runs" kill -0 "$debug1"
check "'x /debug' instance runs" kill -0 "$debug2"
count=$(xdotool search --onlyvisible --name '^form_Main$' 2>/dev/null | wc -l)
check "two debug windows (found $count)" test "$count" -eq 2
kill -TERM "$debug1" "$debug2"
wait_exit "$debug1" 10
wait_exit "$debug2" 10
rm -f "$SETTINGS"

kill -TERM "$first"
wait_exit "$first" 10
check "SIGTERM ends the program with 0 (got ${EXIT_CODE:-still running})" test "${EXIT_CODE:-x}" = 0
check "the settings file holds the [Mametan] section" grep -qx '\[Mametan\]' "$SETTINGS"
check "SIGTERM saved the ten settings" test "$(settings_lines)" = "$TEN_SETTINGS"
[[ "$(settings_lines)" == "$TEN_SETTINGS" ]] || { echo "--- settings file:"; cat "$SETTINGS" 2>/dev/null; }

# No X display to open: one line on stderr and exit 1, no core dump.
err=$(DISPLAY=:999 "$MAMETAN" 2>&1 >/dev/null); code=$?
check "an unreachable display ends with 1 (got $code)" test "$code" -eq 1
check "... saying so in one line (got: $err)" \
  test "$err" = 'mametan: cannot connect to the X display ":999"'

# A Wayland socket its compositor left behind, and no X display: the same
# one line and exit 1, not the toolkit's abort.
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$E2E_DIR/wayland-stale"
err=$(env -u DISPLAY WAYLAND_DISPLAY="$E2E_DIR/wayland-stale" "$MAMETAN" 2>&1 >/dev/null); code=$?
check "a stale Wayland socket without X ends with 1 (got $code)" test "$code" -eq 1
check "... saying so in one line (got: $err)" test "$err" = \
  "mametan: cannot connect to the X display: DISPLAY is not set (no usable Wayland display \"$E2E_DIR/wayland-stale\")"

# A lock file that is not ours (another user's, or a link) ends the start
# with 1 and one line on stderr that names it.
lock=/run/user/$(id -u)/Mametan.lock
rm -f "$lock"
if [[ $(id -u) -eq 0 ]]; then touch "$lock" && chown 65534 "$lock"; else ln -s /dev/null "$lock"; fi
err=$("$MAMETAN" 2>&1 >/dev/null); code=$?
rm -f "$lock"
check "a planted lock file ends the start with 1 (got $code)" test "$code" -eq 1
check "... saying why in one line (got: $err)" \
  test "$(wc -l <<<"$err")" -eq 1 -a "${err#mametan: *"$lock"}" != "$err"

start_app
again=$LAST_PID
sleep 1
check "after the first instance ended a new normal start runs" kill -0 "$again"
kill -TERM "$again"; wait_exit "$again" 10

# Without a kind file the start-up warning waits for a click; a request to
# end the program then still saves and ends it.
rm -f "$SETTINGS" item.txt
start_app
warned=$LAST_PID
check "the missing kind file's warning is shown" wait_window Message 10
kill -TERM "$warned"
wait_exit "$warned" 10
check "SIGTERM during the warning ends with 0 (got ${EXIT_CODE:-still running})" test "${EXIT_CODE:-x}" = 0
check "... and saves the settings" grep -q '^Tax=5' "$SETTINGS"

e2e_finish
