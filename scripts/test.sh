#!/usr/bin/env bash
# Builds and runs every test, in stages (the presets of CMakePresets.json):
#   checks     formatting (clang-format) and the include rule of the layers
#   gcc        g++, warnings as errors: unit, widget (offscreen) and
#              end-to-end tests (Xvfb, openbox, trayer); benchmarks compiled
#   sanitize   clang with AddressSanitizer and UndefinedBehaviorSanitizer:
#              the same suite plus short fuzzing runs
#   tidy       clang-tidy (bugprone-*, performance-*) over the program's sources
#   release    a packager's plain Release build of every target
#   windows    the core cross-compiled with mingw-w64, its tests under Wine
# Results are counted from ctest's JUnit reports; a stage that cannot build
# counts as one failure. Ends with "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

./scripts/deps.sh build test || {
  echo "0 passed, 1 failed"
  exit 1
}

passed=0
failed=0
log_dir="$root/build-logs"
rm -rf "$log_dir"
mkdir -p "$log_dir"

# Adds the counts of one JUnit report to the totals. A ctest that failed
# without a failing test case in its report (a crash of ctest itself, a
# discovery error) counts as one failure.
count_junit() {
  local report=$1 status=$2 tests failures
  if [[ ! -s $report ]]; then
    failed=$((failed + 1))
    return
  fi
  local head
  head=$(tr -s '\n\t' '  ' <"$report" | grep -o '<testsuite [^>]*' | head -n1)
  tests=$(grep -o ' tests="[0-9]*"' <<<"$head" | grep -o '[0-9]*')
  failures=$(grep -o ' failures="[0-9]*"' <<<"$head" | grep -o '[0-9]*')
  tests=${tests:-0}
  failures=${failures:-0}
  if [[ $status -ne 0 && $failures -eq 0 ]]; then failures=1; fi
  passed=$((passed + tests - failures))
  failed=$((failed + failures))
}

# A check that passes or fails as a whole.
count_check() {
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

build_stage() {
  local name=$1
  echo "== $name: configure and build"
  if ! cmake --preset "$name" >"$log_dir/$name-configure.log" 2>&1; then
    cat "$log_dir/$name-configure.log"
    return 1
  fi
  if ! cmake --build --preset "$name" >"$log_dir/$name-build.log" 2>&1; then
    tail -n 60 "$log_dir/$name-build.log"
    return 1
  fi
}

test_stage() {
  local name=$1 status
  if ! build_stage "$name"; then
    failed=$((failed + 1))
    return
  fi
  echo "== $name: tests"
  ctest --preset "$name" --output-junit "$log_dir/$name-junit.xml" 2>&1 | tee "$log_dir/$name-ctest.log"
  status=${PIPESTATUS[0]}
  count_junit "$log_dir/$name-junit.xml" "$status"
}

format_check() {
  local out
  out=$(git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run -Werror 2>&1)
  [[ -z $out ]] && return 0
  echo "$out" | head -n 40
  echo "format check: run clang-format -i on the files above"
  return 1
}

# clang-tidy over one compile database: tidy_run NAME BUILD_DIR FILE_REGEX [args].
tidy_run() {
  local name=$1 dir=$2 files=$3
  shift 3
  echo "== tidy: clang-tidy ($name)"
  if ! run-clang-tidy -quiet -p "$dir" -j 2 "$@" "$files" >"$log_dir/tidy-$name.log" 2>&1 ||
    grep -q 'error:' "$log_dir/tidy-$name.log"; then
    grep -A3 'error:' "$log_dir/tidy-$name.log" | head -n 60
    echo "tidy: findings above (log: $log_dir/tidy-$name.log)"
    return 1
  fi
}

# The Linux program's sources from the sanitizer build's database.
tidy_check() { tidy_run linux build-asan "$root/(core|qt)/"; }

# The Windows front end and the Windows halves of the platform layer, from the
# mingw build's database: clang reads them as the mingw target, with the
# cross compiler's C++ library headers (its intrinsics headers are g++'s own
# and clang brings its own).
tidy_windows_check() {
  local args=(-extra-arg=--target=x86_64-w64-mingw32 -extra-arg=-Wno-unknown-warning-option) dir
  while read -r dir; do
    args+=("-extra-arg-before=-isystem$dir")
  done < <(x86_64-w64-mingw32-g++-posix -E -x c++ - -v </dev/null 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search/p' | grep '^ /.*include/c++')
  tidy_run windows build-win "$root/(win32/|core/.*_win\.cpp)" "${args[@]}"
}

# What `cmake --install` and the .deb lay out, relative to /.
INSTALLED_FILES="etc/xdg/autostart/mametan.desktop
usr/bin/mametan
usr/bin/mametan-launch
usr/bin/mametan-view
usr/share/applications/mametan.desktop
usr/share/applications/mametan-view.desktop
$(for s in 16 22 24 32 48 64 128 256; do
  echo "usr/share/icons/hicolor/${s}x$s/apps/mametan.png"
  echo "usr/share/icons/hicolor/${s}x$s/apps/mametan-view.png"
done)
usr/share/icons/hicolor/scalable/apps/mametan.svg
usr/share/icons/hicolor/scalable/apps/mametan-view.svg
usr/share/mametan/item.txt
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
    "$stage/root/usr/share/applications/mametan-view.desktop" \
    "$stage/root/etc/xdg/autostart/mametan.desktop"; then
    echo "ok   - desktop-file-validate accepts the three entries"; passed=$((passed + 1))
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

echo "== checks: format and layers"
count_check format_check
count_check ./scripts/check-layers.sh

test_stage gcc
check_install build
test_stage sanitize
if [[ -f build-asan/compile_commands.json ]]; then count_check tidy_check; fi
count_check build_stage release

if [[ -x scripts/test-windows.sh ]]; then
  echo "== windows: core under Wine"
  ./scripts/test-windows.sh --output-junit "$log_dir/windows-junit.xml" 2>&1 |
    tee "$log_dir/windows-ctest.log"
  count_junit "$log_dir/windows-junit.xml" "${PIPESTATUS[0]}"
  if [[ -f build-win/compile_commands.json ]]; then count_check tidy_windows_check; fi
fi

echo "$passed passed, $failed failed"
[[ $failed -eq 0 && $passed -gt 0 ]]
