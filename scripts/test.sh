#!/usr/bin/env bash
# Builds and runs every test, in stages (the presets of CMakePresets.json):
#   checks     formatting (clang-format) and the include rule of the layers
#   gcc        g++, warnings as errors: unit, widget (offscreen) and
#              end-to-end tests (Xvfb, openbox, trayer); benchmarks compiled
#   install    that build's `cmake --install` into a DESTDIR, its entries
#   package    the Debian package built with dpkg-buildpackage from a clean
#              copy of the tree: its contents, lintian, AppStream, manual pages
#   sanitize   clang with AddressSanitizer and UndefinedBehaviorSanitizer:
#              the same suite plus short fuzzing runs
#   tidy       clang-tidy (bugprone-*, performance-*) over the program's sources
#   release    a packager's plain Release build of every target
#   windows    the core cross-compiled with mingw-w64, its tests under Wine
# Results are counted from ctest's JUnit reports and the checks' own passes
# and failures; a stage that cannot build counts as one failure. Ends with
# "N passed, M failed".
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
usr/share/mametan/mametan.html
usr/share/man/man1/mametan.1
usr/share/man/man1/mametan-launch.1
usr/share/man/man1/mametan-view.1
usr/share/metainfo/example.velmaro.mametan.metainfo.xml"

# One pass or failure per check: the install into a DESTDIR and its three
# .desktop files.
check_install() {
  local dir=$1 stage got ok
  stage=$(mktemp -d)
  echo "== install: DESTDIR, desktop-file-validate"
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
  rm -rf "$stage"
}

pass() { echo "ok   - $1"; passed=$((passed + 1)); }
fail() { echo "FAIL - $1"; failed=$((failed + 1)); }

# The packages debian/control builds with, one name a line: the alternatives'
# first names, without versions.
build_depends() {
  sed -n '/^Build-Depends:/,/^[^ ]/{s/^Build-Depends://;/^[A-Z]/d;p}' debian/control |
    tr ',' '\n' | sed 's/[|([<].*//' | tr -d ' \t' | grep -v '^$'
}

# debian/ agrees with the rest: its changelog names project(VERSION), and what
# the package build needs is in deps.sh's build group, so that test.sh and
# run.sh install it.
debian_agrees() {
  local version=$1 changelog build_group dep ok=0
  changelog=$(dpkg-parsechangelog -S Version)
  if [[ $changelog != "$version" ]]; then
    echo "debian/changelog names $changelog, CMakeLists.txt project(VERSION) $version"
    ok=1
  fi
  build_group=" $(sed -n 's/^GROUP\[build\]="\(.*\)"$/\1/p' scripts/deps.sh) "
  for dep in $(build_depends); do
    [[ $dep == debhelper-compat ]] && continue
    if [[ $build_group != *" $dep "* ]]; then
      echo "debian/control builds with $dep, which scripts/deps.sh's build group lacks"
      ok=1
    fi
  done
  return $ok
}

# Each override in debian/*.lintian-overrides says why, in a comment above it.
overrides_have_reasons() {
  local f
  for f in debian/*.lintian-overrides; do
    [[ -e $f ]] || continue
    awk -v f="$f" '/^#/ {reason = 1; next}
      /^[[:space:]]*$/ {reason = 0; next}
      !reason {print f ": no reason given for: " $0; bad = 1}
      END {exit bad}' "$f" || return 1
  done
}

# The Debian package, built by dpkg-buildpackage (-j2, without the tests) in a
# copy of the tree's files, tracked or not ignored: the tree is never written
# and a clean clone builds the same. One pass or failure per check.
package_stage() {
  local stage src version arch deb changes got want ok page out
  stage=$(mktemp -d)
  src=$stage/mametan
  version=$(sed -n 's/^project(mametan VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  arch=$(dpkg --print-architecture)
  deb=$stage/mametan_${version}_$arch.deb
  changes=$stage/mametan_${version}_$arch.changes
  echo "== package: dpkg-buildpackage, lintian, AppStream, manual pages"

  if out=$(debian_agrees "$version"); then
    pass "debian/ names version $version and builds with deps.sh's build group"
  else
    echo "$out"; fail "debian/ disagrees with CMakeLists.txt or scripts/deps.sh"
  fi

  # The copy is a repository of its own, so that what the build leaves in
  # the tree can be told from what .gitignore ignores.
  mkdir -p "$src"
  git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -C "$src" -xf -
  git -C "$src" init -q && git -C "$src" add -A &&
    git -C "$src" -c user.name=test -c user.email=test@invalid -c commit.gpgsign=false commit -qm copy
  if ! (cd "$src" && dpkg-buildpackage -b -us -uc -j2) >"$log_dir/package-build.log" 2>&1 ||
    [[ ! -f $deb ]]; then
    tail -n 60 "$log_dir/package-build.log"
    fail "dpkg-buildpackage (log: $log_dir/package-build.log)"
    rm -rf "$stage"
    return
  fi
  pass "dpkg-buildpackage -b builds $(basename "$deb")"

  out=$(git -C "$src" status --porcelain --untracked-files=all)
  if [[ -z $out ]]; then
    pass "the package build leaves in the tree only what .gitignore ignores"
  else
    echo "$out"; fail "the package build leaves files .gitignore does not ignore"
  fi

  # What `cmake --install` lays out, the manual pages compressed, and the
  # package's own documents.
  want=$(sed 's|^\(usr/share/man/.*\)$|\1.gz|' <<<"$INSTALLED_FILES"
    printf '%s\n' usr/share/doc/mametan/changelog.gz usr/share/doc/mametan/copyright \
      usr/share/lintian/overrides/mametan)
  got=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {sub(/^\.\//, "", $6); print $6}' | sort)
  if [[ $got == "$(sort <<<"$want")" ]] &&
    dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 &&
    dpkg-deb -I "$deb" conffiles 2>/dev/null | grep -qx /etc/xdg/autostart/mametan.desktop; then
    pass "the .deb holds what cmake --install lays out, dependencies and conffile declared"
  else
    echo "the .deb holds:"; echo "$got"; dpkg-deb -f "$deb" Depends
    diff <(sort <<<"$want") <(echo "$got")
    fail "the .deb's contents"
  fi

  # Informational tags too: each one that stays is overridden with a reason.
  if lintian --fail-on error,warning,info -I -E --pedantic "$changes" \
    >"$log_dir/lintian.log" 2>"$log_dir/lintian-stderr.log" &&
    ! grep -q '^[EWI]: ' "$log_dir/lintian.log" && overrides_have_reasons; then
    pass "lintian: no error, warning or unexplained information"
  else
    cat "$log_dir/lintian.log" "$log_dir/lintian-stderr.log"; fail "lintian"
  fi

  dpkg-deb -x "$deb" "$stage/root"
  if out=$(appstreamcli validate --no-net --pedantic \
    "$stage"/root/usr/share/metainfo/*.metainfo.xml 2>&1 &&
    appstreamcli validate-tree --no-net --pedantic "$stage/root" 2>&1) &&
    ! grep -q '^ *[EW]: ' <<<"$out"; then
    pass "appstreamcli validate (--no-net --pedantic) and validate-tree"
  else
    echo "$out"; fail "appstreamcli validate"
  fi

  for page in "$stage"/root/usr/share/man/man1/*.1.gz; do
    if out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) &&
      [[ -z $out ]]; then
      pass "man -l $(basename "$page" .gz) renders without warnings"
    else
      echo "$out"; fail "man -l $(basename "$page" .gz)"
    fi
  done
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
package_stage
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
