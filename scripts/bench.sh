#!/usr/bin/env bash
# Benchmarks: the portable model with Google Benchmark, then timed runs of
# the real program under Wine: the settings engine against key-at-a-time
# profile calls; start-up, a full repaint, a category switch, private memory
# and idle wake-ups against the floor program.
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
run() { xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@" 2>&1 | tr -d '\r' | grep -v '^X connection'; wineserver -k 2>/dev/null || true; }
mkdir -p "$work/settings"
for bytes in 160 8191; do
  run build/win/settings_bench.exe "$(winpath "$work/settings")" 3 "$bytes"
done
# The program and the floor program take turns, first on the bare virtual
# display (each window an X window of its own), then on a desktop of Wine's
# own, where the category switch is measured too: on the bare display Wine
# waits two seconds for every framed window it takes down (there is no
# window manager to answer it), which would make a switch of 100 memos take
# minutes for both alike.
# Arguments: rounds, text bytes, repaints per round, category switches per
# round (with switches, the delete of memo 0 and the end of the session are
# timed too), idle wake-ups (1: measured once, two minutes more). Wine's
# desktop gets more rounds: its times swing most between rounds.
floor="$(winpath "$root/build/win/floor.exe")"
for bytes in 160 8191; do
  run build/win/paint_bench.exe "$exe" "$floor" "$(winpath "$work/t$bytes")" 7 "$bytes" 11 0 0
done
for bytes in 160 8191; do
  idle=0; [ "$bytes" = 160 ] && idle=1
  run explorer /desktop=bench,1280x1024 build/win/paint_bench.exe "$exe" "$floor" "$(winpath "$work/t$bytes")" \
    15 "$bytes" 11 6 "$idle"
done
# Pictures: 100 memos with solid colours, each with its own copy of a
# 12-megapixel photo, and all sharing one, on Wine's desktop (screen pixels
# tell when every picture is in place).
mkdir -p "$work/pictures"
convert -size 4000x3000 plasma:fractal -quality 90 "$work/pictures/photo.jpg"
run explorer /desktop=bench,1280x1024 build/win/paint_bench.exe pictures "$exe" "$(winpath "$work/pictures/run")" \
  "$(winpath "$work/pictures/photo.jpg")" 3
