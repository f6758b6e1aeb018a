#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# native unit tests, short fuzzing runs, and the end-to-end suite that drives
# the real dereziz.exe under Wine.  Exit status is non-zero when any fails.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
FUZZ_SECONDS="${FUZZ_SECONDS:-20}"

bash scripts/setup.sh || { echo "setup failed"; exit 1; }
bash scripts/build.sh all || { echo "build failed"; exit 1; }

passed=0; failed=0; status=0
log="$root/build/test-logs"; mkdir -p "$log"

echo "== unit tests =="
(cd build/native && ctest --output-on-failure -j "$(nproc)") 2>&1 | tee "$log/unit.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
if line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log/unit.txt" | tail -1); then
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  f=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - f)); failed=$((failed + f))
else
  failed=$((failed + 1)); status=1
fi

echo "== fuzzing (${FUZZ_SECONDS}s each) =="
for fz in $(find build/fuzz -maxdepth 3 -type f -name 'fuzz_*' -perm -u+x | sort); do
  name=$(basename "$fz")
  corpus="build/fuzz/corpus-$name"; mkdir -p "$corpus"
  seeds="tests/fuzz/seeds/$name"
  args=("$corpus"); [ -d "$seeds" ] && args+=("$seeds")
  if "$fz" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 "${args[@]}" >"$log/$name.txt" 2>&1; then
    echo "$name: ok ($(grep -Eo '#[0-9]+' "$log/$name.txt" | tail -1 | tr -d '#') runs)"; passed=$((passed + 1))
  else
    echo "$name: FAILED"; tail -40 "$log/$name.txt"; failed=$((failed + 1)); status=1
  fi
done

echo "== end-to-end tests (Wine) =="
bash scripts/run-e2e.sh build/win 2>&1 | tee "$log/e2e.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
p=$(grep -Eo '\[  PASSED  \] [0-9]+ test' "$log/e2e.txt" | tail -1 | grep -Eo '[0-9]+' || true)
f=$(grep -Eo '\[  FAILED  \] [0-9]+ test' "$log/e2e.txt" | tail -1 | grep -Eo '[0-9]+' || true)
if [ -z "$p" ] && [ -z "$f" ]; then
  echo "end-to-end suite did not report"; failed=$((failed + 1)); status=1
fi
passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))

echo
echo "$passed passed, $failed failed"
exit $status
