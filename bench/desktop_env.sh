# Sourced by the desktop benchmarks after `build` is set: checks that the
# programs named as arguments are built, and gives the run a private work
# folder ($work) with its own settings, runtime folder and home, and no
# session bus; start_x and start_tray give it Xvfb and trayer, without a
# window manager.
for f in "$@"; do
  [[ -x $f ]] || { echo "missing $f: build the tree first (not the sanitizer build)"; exit 1; }
done
work=$(mktemp -d /tmp/mametan-bench.XXXXXX)
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime HOME=$work/home
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$HOME"; chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY SESSION_MANAGER QT_QPA_PLATFORM
DESKTOP_LOGS=$work DESKTOP_NO_WM=1 TRAYER_ARGS="--edge top --align right --widthtype request --height 24"
source scripts/desktop.sh
