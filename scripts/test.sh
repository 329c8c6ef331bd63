#!/usr/bin/env bash
# Builds and runs every test: the g++ build (unit, widget tests offscreen,
# end-to-end tests under Xvfb), then a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer (the same suite plus short fuzzing runs), then
# the Windows build of the core under Wine. Ends with "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

./scripts/deps.sh build test || { echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
log_dir="$root/build-logs"
mkdir -p "$log_dir"

# Adds the counts of one ctest run (its log file) to the totals.
count_ctest() {
  local log=$1 line total fails
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  if [[ -z "$line" ]]; then
    failed=$((failed + 1))
    return
  fi
  fails=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - fails))
  failed=$((failed + fails))
}

run_stage() {
  local name=$1 dir=$2
  shift 2
  echo "== $name: configure and build"
  if ! cmake -S . -B "$dir" -G Ninja "$@" >"$log_dir/$name-configure.log" 2>&1; then
    cat "$log_dir/$name-configure.log"
    failed=$((failed + 1))
    return
  fi
  if ! cmake --build "$dir" -j2 >"$log_dir/$name-build.log" 2>&1; then
    tail -n 60 "$log_dir/$name-build.log"
    failed=$((failed + 1))
    return
  fi
  echo "== $name: tests"
  ctest --test-dir "$dir" -j2 --output-on-failure --timeout 600 2>&1 | tee "$log_dir/$name-ctest.log"
  count_ctest "$log_dir/$name-ctest.log"
}

# What `cmake --install` and the .deb lay out, relative to /.
INSTALLED_FILES="etc/xdg/autostart/mametan.desktop
usr/bin/mametan
usr/share/applications/mametan.desktop
$(for s in 16 22 24 32 48 64 128 256; do echo "usr/share/icons/hicolor/${s}x$s/apps/mametan.png"; done)
usr/share/icons/hicolor/scalable/apps/mametan.svg
usr/share/mametan/mametan.html"

# One pass or failure per check: the install into a DESTDIR, its two .desktop
# files, and the Debian package's contents.
check_install() {
  local dir=$1 stage got ok
  stage=$(mktemp -d)
  echo "== install: DESTDIR, desktop-file-validate, .deb"
  ok=1
  if ! DESTDIR="$stage/root" cmake --install "$dir" --prefix /usr >"$log_dir/install.log" 2>&1; then
    cat "$log_dir/install.log"
    ok=0
  fi
  got=$(cd "$stage/root" 2>/dev/null && find . -type f -printf '%P\n' | sort)
  if [[ $got != "$(sort <<<"$INSTALLED_FILES")" ]]; then
    echo "FAIL - cmake --install laid out:"; echo "$got"
    ok=0
  fi
  ((ok)) && { echo "ok   - cmake --install"; passed=$((passed + 1)); } || failed=$((failed + 1))

  if desktop-file-validate "$stage/root/usr/share/applications/mametan.desktop" \
    "$stage/root/etc/xdg/autostart/mametan.desktop"; then
    echo "ok   - desktop-file-validate accepts both entries"; passed=$((passed + 1))
  else
    echo "FAIL - desktop-file-validate"; failed=$((failed + 1))
  fi

  ok=0
  if (cd "$dir" && cpack -G DEB -B "$stage/pkg") >"$log_dir/cpack.log" 2>&1; then
    local deb
    deb=$(ls "$stage"/pkg/*.deb 2>/dev/null | head -n1)
    got=$(dpkg-deb -c "$deb" 2>/dev/null | awk '$1 !~ /^d/ {sub(/^\.\//, "", $6); print $6}' | sort)
    if [[ -n $deb && $got == "$(sort <<<"$INSTALLED_FILES")" ]] &&
      dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6; then
      ok=1
    else
      echo "FAIL - the .deb holds:"; echo "$got"; dpkg-deb -f "$deb" Depends
    fi
  else
    cat "$log_dir/cpack.log"
  fi
  ((ok)) && { echo "ok   - the .deb holds exactly those, dependencies declared"; passed=$((passed + 1)); } ||
    failed=$((failed + 1))
  rm -rf "$stage"
}

export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_stage gcc build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=g++
check_install build
run_stage sanitize build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DMAMETAN_SANITIZE=ON -DMAMETAN_FUZZ=ON

if [[ -x scripts/test-windows.sh ]]; then
  echo "== windows: core under Wine"
  ./scripts/test-windows.sh 2>&1 | tee "$log_dir/windows-ctest.log"
  count_ctest "$log_dir/windows-ctest.log"
fi

echo "$passed passed, $failed failed"
[[ $failed -eq 0 && $passed -gt 0 ]]
