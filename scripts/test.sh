#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: native
# unit tests, the same under AddressSanitizer and UBSan, short fuzzing runs,
# a build of the Windows program where GoogleTest cannot be found, and the
# end-to-end suite that drives the real dereziz.exe under Wine, and three
# rounds of the sync soak (scripts/sync-soak.sh).
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

echo "== end-to-end tests (Wine) =="
if step build-win bash scripts/build.sh win; then
  bash scripts/run-e2e.sh build/win 2>&1 | tee "$log/e2e.txt"
  e2e_rc=${PIPESTATUS[0]}
  p=$(grep -Eo '\[  PASSED  \] [0-9]+ test' "$log/e2e.txt" | tail -1 | grep -Eo '[0-9]+' || true)
  f=$(grep -Eo '\[  FAILED  \] [0-9]+ test' "$log/e2e.txt" | tail -1 | grep -Eo '[0-9]+' || true)
  if [ -z "$p" ] && [ -z "$f" ]; then
    echo "end-to-end suite did not report (exit code $e2e_rc), see $log/e2e.txt"
    f=1
  elif [ "$e2e_rc" -ne 0 ] && [ "${f:-0}" -eq 0 ]; then
    # A driver that reported everything passed but ended badly.
    echo "end-to-end driver ended with exit code $e2e_rc"
    f=1
  fi
  sk=$(grep -Eo '\[  SKIPPED \] [0-9]+ test' "$log/e2e.txt" | tail -1 | grep -Eo '[0-9]+' || true)
  stage_result "end-to-end tests" "${p:-0}" "${f:-0}" "${sk:+$sk skipped}"

  # Two folders under a real sync service; the long runs are in docs/sync.md.
  echo "== sync soak (Syncthing, 3 rounds) =="
  DEREZIZ_E2E_TIMEOUT=600 bash scripts/sync-soak.sh 3 2>&1 | tee "$log/sync-soak.txt"
  soak_rc=${PIPESTATUS[0]}
  if [ "$soak_rc" -eq 0 ] && tr -d '\r' <"$log/sync-soak.txt" | tail -1 | grep -Eq '^3 rounds, .*, 0 lost$'; then
    stage_result "sync soak (3 rounds)" 1 0
  else
    stage_result "sync soak (3 rounds)" 0 1
  fi
else
  stage_result "end-to-end tests (build)" 0 1
fi

echo
echo "== summary =="
printf '%s\n' "${summary[@]}"
echo "total time: $((SECONDS / 60)) min $((SECONDS % 60)) s"
echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
