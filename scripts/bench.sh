#!/usr/bin/env bash
# Benchmarks: the portable model with Google Benchmark, then timed runs of
# the real program under Wine (a full repaint of 100 memos).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh native
bash scripts/build.sh win
build/native/bench/dereziz_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

source scripts/wine-env.sh build/win || exit 1
work="$root/build/win/bench-runs"
rm -rf "$work"; mkdir -p "$work"
# Windows paths on Wine's Z: drive, spelled out: asking winepath would start
# Wine's desktop process here, without the virtual display.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
exe="$(winpath "$root/build/win/dereziz.exe")"
for bytes in 0 200 8191; do
  xvfb-run -a -s "-screen 0 1280x1024x24" wine build/win/paint_bench.exe "$exe" "$(winpath "$work/t$bytes")" 21 "$bytes" 2>&1 \
    | tr -d '\r' | grep -v '^X connection'
  wineserver -k 2>/dev/null || true
done
