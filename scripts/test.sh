#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: native
# unit tests, the same under AddressSanitizer and UBSan, short fuzzing runs,
# a build of the Windows program where GoogleTest cannot be found, the
# end-to-end suite that drives the real dereziz.exe under Wine, the tests of
# the common dialogs against a build made with Clang, three rounds of the
# sync soak (scripts/sync-soak.sh), and the release package.
# Every stage runs and reports even when an earlier one failed; a build that
# fails counts as one failure and skips only the tests that need it. The last
# line is "N passed, N failed"; the exit status is non-zero when any failed.
#   FUZZ_SECONDS (20)            time of each fuzzing run
#   DEREZIZ_E2E_TIMEOUT (2400)   limit of the end-to-end run, in seconds
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
FUZZ_SECONDS="${FUZZ_SECONDS:-20}"
export JOBS="${JOBS:-$(nproc)}"

log="$root/build/test-logs"
mkdir -p "$log"
passed=0
failed=0
summary=()

# stage_result <stage> <passed> <failed> [note]
stage_result() {
  passed=$((passed + $2))
  failed=$((failed + $3))
  summary+=("$(printf '%-34s %4d passed, %d failed%s' "$1:" "$2" "$3" "${4:+ ($4)}")")
}

# step <log name> <command...>: runs a build step into its log; on failure
# shows the end of the log.
step() {
  local name="$1" start=$SECONDS
  shift
  if "$@" >"$log/$name.txt" 2>&1; then
    echo "$name: ok ($((SECONDS - start)) s)"
    return 0
  fi
  echo "$name: FAILED ($((SECONDS - start)) s), end of $log/$name.txt:"
  tail -n 40 "$log/$name.txt" | sed 's/^/    /'
  return 1
}

# ctest_stage <stage> <build dir> <log name>: counts ctest's cases.
ctest_stage() {
  local stage="$1" dir="$2" name="$3" line total f
  (cd "$dir" && ctest --output-on-failure -j "$(nproc)") >"$log/$name.txt" 2>&1
  grep -E '^[0-9]+% tests passed|^The following tests FAILED|\*\*\*|\((Failed|Timeout|Not Run|SEGFAULT|Subprocess aborted|Exception)\)' \
    "$log/$name.txt" | head -40
  if line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log/$name.txt" | tail -1); then
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    f=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
    stage_result "$stage" $((total - f)) "$f"
    [ "$f" -eq 0 ] || echo "output of the failed tests: $log/$name.txt"
  else
    echo "$stage: ctest reported nothing, see $log/$name.txt"
    stage_result "$stage" 0 1
  fi
}

echo "== setup =="
if ! step setup bash scripts/setup.sh; then
  # What is already installed may still be enough for some stages.
  stage_result "setup" 0 1
fi

echo "== source folders include one another one way only =="
if python3 scripts/include_graph.py >"$log/include-graph.txt" 2>&1; then
  stage_result "include graph" 1 0
else
  cat "$log/include-graph.txt"
  stage_result "include graph" 0 1
fi

echo "== unit tests =="
if step build-native bash scripts/build.sh native; then
  ctest_stage "unit tests" build/native unit
else
  stage_result "unit tests (build)" 0 1
fi

echo "== unit tests under AddressSanitizer and UBSan =="
if step build-asan bash scripts/build.sh asan; then
  UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}" ctest_stage "unit tests (ASan, UBSan)" build/asan unit-asan
else
  stage_result "unit tests (ASan, UBSan) (build)" 0 1
fi

echo "== fuzzing (${FUZZ_SECONDS}s each) =="
if step build-fuzz bash scripts/build.sh fuzz; then
  fp=0
  ff=0
  for fz in $(find build/fuzz -maxdepth 3 -type f -name 'fuzz_*' -perm -u+x | sort); do
    name=$(basename "$fz")
    corpus="build/fuzz/corpus-$name"
    mkdir -p "$corpus"
    seeds="tests/fuzz/seeds/$name"
    args=("$corpus")
    [ -d "$seeds" ] && args+=("$seeds")
    if "$fz" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 "${args[@]}" \
         >"$log/$name.txt" 2>&1; then
      echo "$name: ok ($(grep -Eo '#[0-9]+' "$log/$name.txt" | tail -1 | tr -d '#') runs)"
      fp=$((fp + 1))
    else
      echo "$name: FAILED"
      tail -40 "$log/$name.txt"
      ff=$((ff + 1))
    fi
  done
  [ $((fp + ff)) -gt 0 ] || { echo "no fuzz target was built"; ff=1; }
  stage_result "fuzzing" "$fp" "$ff"
else
  stage_result "fuzzing (build)" 0 1
fi

# The program must build where GoogleTest is not there (a Windows machine
# with only a compiler): configured with the default test switch and a
# GoogleTest source path that does not exist, only dereziz.exe is built.
echo "== Windows program without GoogleTest =="
nt="$root/build/win-notests"
no_gtest_build() {
  rm -rf "$nt"
  cmake -S "$root" -B "$nt" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DGTEST_SRC="$nt/no-googletest" &&
    grep -qx 'DEREZIZ_TESTS:BOOL=OFF' "$nt/CMakeCache.txt" &&
    cmake --build "$nt" -j "$JOBS" || return 1
  local built
  built=$(cd "$nt" && find . -path ./CMakeFiles -prune -o -name '*.exe' -print | sort | tr '\n' ' ')
  echo "executables built: $built"
  [ "$built" = "./dereziz.exe " ] && [ ! -d "$nt/googletest" ]
}
if step build-win-notests no_gtest_build; then
  stage_result "Windows build without GoogleTest" 1 0
else
  stage_result "Windows build without GoogleTest" 0 1
fi

# e2e_stage <stage> <build dir> <log name> [gtest args...]: runs the
# end-to-end driver of a build and counts its tests. With DEREZIZ_E2E_EXPECT
# set, that many tests must have run (a filter that names a test no longer
# there must not pass by running nothing).
e2e_stage() {
  local stage="$1" dir="$2" name="$3" e2e_rc p f sk ran
  shift 3
  bash scripts/run-e2e.sh "$dir" "$@" 2>&1 | tee "$log/$name.txt"
  e2e_rc=${PIPESTATUS[0]}
  p=$(grep -Eo '\[  PASSED  \] [0-9]+ test' "$log/$name.txt" | tail -1 | grep -Eo '[0-9]+' || true)
  f=$(grep -Eo '\[  FAILED  \] [0-9]+ test' "$log/$name.txt" | tail -1 | grep -Eo '[0-9]+' || true)
  if [ -z "$p" ] && [ -z "$f" ]; then
    echo "end-to-end suite did not report (exit code $e2e_rc), see $log/$name.txt"
    f=1
  elif [ "$e2e_rc" -ne 0 ] && [ "${f:-0}" -eq 0 ]; then
    # A driver that reported everything passed but ended badly.
    echo "end-to-end driver ended with exit code $e2e_rc"
    f=1
  fi
  if [ -n "${DEREZIZ_E2E_EXPECT:-}" ]; then
    ran=$(grep -Eo '^\[==========\] [0-9]+ tests? from .* ran' "$log/$name.txt" | tail -1 | grep -Eo '[0-9]+' | head -1 || true)
    if [ "${ran:-0}" -ne "$DEREZIZ_E2E_EXPECT" ]; then
      echo "$stage: ${ran:-0} tests ran, $DEREZIZ_E2E_EXPECT named"
      f=$((${f:-0} + 1))
    fi
  fi
  sk=$(grep -Eo '\[  SKIPPED \] [0-9]+ test' "$log/$name.txt" | tail -1 | grep -Eo '[0-9]+' || true)
  stage_result "$stage" "${p:-0}" "${f:-0}" "${sk:+$sk skipped}"
}

echo "== end-to-end tests (Wine) =="
if step build-win bash scripts/build.sh win; then
  e2e_stage "end-to-end tests" build/win e2e

  # Two folders under a real sync service; the long runs are in docs/sync.md.
  # Seed 50 has both PCs edit at once within the 3 rounds. Once with the
  # programs ended around each exchange (copies folded at start), once with
  # them running through it (following and folding what arrives).
  for mode in ended running; do
    echo "== sync soak (Syncthing, 3 rounds, programs $mode) =="
    running=0; [ "$mode" = running ] && running=1
    DEREZIZ_SOAK_RUNNING=$running DEREZIZ_SOAK_SEED=50 DEREZIZ_E2E_TIMEOUT=600 bash scripts/sync-soak.sh 3 2>&1 |
      tee "$log/sync-soak-$mode.txt"
    soak_rc=${PIPESTATUS[0]}
    if [ "$soak_rc" -eq 0 ] && tr -d '\r' <"$log/sync-soak-$mode.txt" | tail -1 | grep -Eq '^3 rounds, .*, 0 lost$'; then
      stage_result "sync soak (3 rounds, programs $mode)" 1 0
    else
      stage_result "sync soak (3 rounds, programs $mode)" 0 1
    fi
  done
else
  stage_result "end-to-end tests (build)" 0 1
fi

# The program built a second time with Clang and LLD must behave the same.
# Its own driver (built with Clang too) runs the tests that open the common
# dialogs, which are bound when first used: the open and save dialogs, the
# colour and the font dialog; and the About box with its version.
echo "== Windows program built with Clang (end-to-end tests of the dialogs) =="
clang_tests=(
  TextFile.InsertsAFileAtTheStartAndAtTheEnd
  TextFile.SavesTheDisplayTextAsBytes
  BackgroundSolid.CancellingTheColourDialogKeepsTheColourButMakesItSolid
  BackgroundPicture.ChosenPictureIsStretchedRescaledAndFollowsItsFile
  BackgroundPicture.SavedInEachOfTheFiveFormats
  Style.FontDialogCancelKeepsOkStoresAndShowsAtOnce
  Exiting.VersionInformationIsOwnedByTheMainWindow
)
if step build-win-clang bash scripts/build.sh win-clang; then
  DEREZIZ_E2E_EXPECT=${#clang_tests[@]} e2e_stage "end-to-end tests (Clang build)" build/win-clang e2e-clang \
    --gtest_filter="$(IFS=:; echo "${clang_tests[*]}")"
else
  stage_result "end-to-end tests (Clang build)" 0 1
fi

# The release: scripts/package.sh builds it from scratch in build/package.
# Checked: it is built and named after the project version; it holds the
# program, the user guide (UTF-8 with a BOM, CRLF) and the license; the
# program carries a version resource with that version (read back by
# binutils' windres); a second build gives the same bytes.
echo "== release package =="
version=$(sed -nE 's/^project\(dereziz VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
zip="$root/dist/dereziz-$version-win64.zip"
pp=0
pf=0
check() {
  local what="$1"
  shift
  if "$@" >>"$log/package-checks.txt" 2>&1; then
    echo "$what: ok"
    pp=$((pp + 1))
  else
    echo "$what: FAILED (see $log/package-checks.txt)"
    pf=$((pf + 1))
  fi
}
package_holds_the_three_files() {
  python3 - "$zip" <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = z.namelist()
assert names == ["dereziz.exe", "README-ja.txt", "LICENSE"], names
exe, guide, lic = (z.read(n) for n in names)
assert exe[:2] == b"MZ", "dereziz.exe is no Windows program"
assert guide.startswith(b"\xef\xbb\xbf"), "README-ja.txt has no byte-order mark"
assert guide.count(b"\n") > 0 and guide.count(b"\n") == guide.count(b"\r\n"), "README-ja.txt has lines not ended by CRLF"
guide.decode("utf-8")
assert b"MIT License" in lic and b"the Dereziz authors" in lic, "LICENSE is not the MIT license of the Dereziz authors"
PY
}
exe_carries_the_version() {
  local dir="$root/build/package/check" rc
  rm -rf "$dir" && mkdir -p "$dir" &&
    python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extract("dereziz.exe", sys.argv[2])' "$zip" "$dir" &&
    rc=$(x86_64-w64-mingw32-windres -i "$dir/dereziz.exe" -O rc) || return 1
  local fixed="${version//./, }, 0"
  printf '%s\n' "$rc" | sed -n '/VERSIONINFO/,/^END/p'
  grep -qx " FILEVERSION $fixed" <<<"$rc" && grep -qx " PRODUCTVERSION $fixed" <<<"$rc" &&
    grep -qF "VALUE \"FileVersion\", \"$version\"" <<<"$rc" &&
    grep -qF "VALUE \"ProductVersion\", \"$version\"" <<<"$rc" &&
    grep -qF 'VALUE "ProductName", "Dereziz"' <<<"$rc" &&
    grep -qE 'VALUE "FileDescription", .+' <<<"$rc" &&
    grep -qE 'VALUE "LegalCopyright", ".*the Dereziz authors"' <<<"$rc"
}
second_build_is_the_same() {
  local first="$root/build/package-first.zip"
  cp "$zip" "$first" && bash scripts/package.sh && cmp "$first" "$zip"
}
: >"$log/package-checks.txt"
rm -f "$zip"
if [ -n "$version" ] && step package bash scripts/package.sh && [ -f "$zip" ]; then
  pp=1
  check "the three files" package_holds_the_three_files
  check "version resource $version" exe_carries_the_version
  check "a second build gives the same bytes" second_build_is_the_same
else
  [ -n "$version" ] || echo "no project version in CMakeLists.txt"
  pf=1
fi
stage_result "release package" "$pp" "$pf"

echo
echo "== summary =="
printf '%s\n' "${summary[@]}"
echo "total time: $((SECONDS / 60)) min $((SECONDS % 60)) s"
echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
