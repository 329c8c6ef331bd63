#!/usr/bin/env bash
# Installs the Debian packages that are missing from the given groups.
#   scripts/deps.sh build run     packages to build and start the program
#   scripts/deps.sh build test    packages to build and run every test
set -euo pipefail

# debian/control's Build-Depends are names of the build group (test.sh checks
# it); the test group also brings what builds and checks the Debian package.
declare -A GROUP
GROUP[build]="cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libxcb1-dev libxcb-xtest0-dev libx11-dev libgtest-dev googletest libbenchmark-dev fonts-ipafont-gothic fonts-ipafont-mincho librsvg2-bin"
GROUP[run]="xvfb xauth trayer openbox xdotool imagemagick x11-utils python3 qt6-wayland qt6-translations-l10n"
GROUP[test]="desktop-file-utils build-essential debhelper lintian appstream man-db qt6-translations-l10n dpkg-dev clang libclang-rt-14-dev xvfb xauth trayer openbox xdotool x11-utils python3 imagemagick strace locales g++-mingw-w64-x86-64-posix wine wine64 nsis xclip dbus-bin dbus-daemon haskell-status-notifier-item-utils haskell-gtk-sni-tray-utils fcitx5 fcitx5-mozc fcitx5-frontend-qt6 mozc-server sway waybar wtype grim xwayland qt6-wayland jq"

wanted=()
for g in "$@"; do
  for p in ${GROUP[$g]}; do wanted+=("$p"); done
done

# The Japanese locale: the input-method test and Wine's code page 932 need it.
ensure_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8' && return 0
  local sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
}

missing=()
for p in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  [[ " $* " == *" test "* ]] && ensure_locale
  exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
echo "Installing missing packages: ${missing[*]}"
if [[ " ${missing[*]} " == *" wine "* ]] && ! dpkg --print-foreign-architectures | grep -q i386; then
  : # wine64 alone is enough for 64-bit test programs
fi
$sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
[[ " $* " == *" test "* ]] && ensure_locale
exit 0
