#!/usr/bin/env bash
# Runs the end-to-end driver (dereziz_e2e.exe) under Wine on a virtual display.
# Usage: scripts/run-e2e.sh <win-build-dir> [gtest args...]
# The Wine prefix lives in <win-build-dir>/wineprefix and is created once.
# The exit code is the driver's; 124 when the run was stopped because it
# took longer than DEREZIZ_E2E_TIMEOUT seconds (default 2400: the suite
# takes a few minutes, a stuck Wine would otherwise hang until CI gives up).
set -u

if [ $# -lt 1 ]; then
  echo "usage: $0 <win-build-dir> [gtest args...]" >&2
  exit 2
fi
BUILD_DIR=$(cd "$1" && pwd) || { echo "no such build directory: $1" >&2; exit 2; }
shift
DRIVER="$BUILD_DIR/dereziz_e2e.exe"
for f in "$DRIVER" "$BUILD_DIR/dereziz.exe"; do
  if [ ! -f "$f" ]; then
    echo "missing $f: build the Windows tree first" >&2
    exit 2
  fi
done

# The program converts all stored text with code page 932 itself, so the run
# uses the machine's default locale on purpose: a Japanese locale must not be
# needed for anything to work.
# wine-env.sh exports WINEPREFIX=<build>/wineprefix, WINEDEBUG=-all and
# WINEDLLOVERRIDES, and creates the prefix once (crash dialog off, Japanese
# font replacements).
# shellcheck source=wine-env.sh
source "$(dirname "$0")/wine-env.sh" "$BUILD_DIR" || exit 2

# The driver puts itself and the program on the desktop "DerezizE2E"; made a
# virtual desktop here, it needs no window manager (without one, Wine waits
# about a second for every framed window it hides or destroys) and shows
# nothing but the program's windows. Other desktops of the prefix (e.g.
# scripts/run.sh) are not affected.
if [ ! -f "$WINEPREFIX/.dereziz-e2e-desktop" ]; then
  step_limit="${DEREZIZ_WINE_STEP_TIMEOUT:-120}"
  out=$(timeout --kill-after=10 "$step_limit" \
          wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v DerezizE2E /t REG_SZ /d 1280x1024 /f 2>&1) &&
    out=$(timeout --kill-after=10 "$step_limit" wineserver -w 2>&1)
  step_rc=$?
  if [ "$step_rc" -eq 0 ]; then
    touch "$WINEPREFIX/.dereziz-e2e-desktop"
  else
    wineserver -k >/dev/null 2>&1
    echo "wine: could not make DerezizE2E a virtual desktop (exit code $step_rc; 124: no end within $step_limit s):" >&2
    printf '%s\n' "$out" | tr -d '\r' | tail -n 20 | sed 's/^/    /' >&2
    exit 2
  fi
fi

# Wine's shell keeps what it sends to the Recycle Bin in the XDG trash under
# $XDG_DATA_HOME: the run's own here, never the user's.
export XDG_DATA_HOME="$BUILD_DIR/e2e-xdg-data"
mkdir -p "$XDG_DATA_HOME"

LOG="$BUILD_DIR/e2e-last.log"
# One Wine server for the whole run: every test starts the program again, and
# a persistent server saves its start-up each time.
wineserver -p
cleanup() { wineserver -k >/dev/null 2>&1 || true; }
trap cleanup EXIT

cd "$BUILD_DIR" || exit 2
# The driver writes to a log file, followed live on the terminal. (Not a
# pipe: the Wine helper processes that outlive the driver inherit its
# output, and a pipe reader would wait for them.)
: >"$LOG"
# The Wine server (and with it the desktop process) ends inside the display's
# lifetime, so nothing is left to complain about a vanished display.
# The time limit covers the display, Wine and the driver: when it runs out,
# all of them are stopped (timeout signals its whole process group).
limit="${DEREZIZ_E2E_TIMEOUT:-2400}"
timeout --kill-after=30 "$limit" xvfb-run -a -s "-screen 0 1280x1024x24" \
  sh -c 'wine "$0" "$@"; rc=$?; wineserver -k; exit $rc' "$DRIVER" "$@" >"$LOG" 2>&1 &
driver=$!
tail -n +1 -f --pid="$driver" "$LOG" | tr -d '\r'
wait "$driver"
rc=$?
echo
echo "=== end-to-end summary ==="
tr -d '\r' <"$LOG" | grep -E '^\[  (PASSED|FAILED)  \]|^\[==========\] .* ran' || echo "(the driver printed no summary)"
if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
  echo "STOPPED: the run did not end within $limit s (DEREZIZ_E2E_TIMEOUT); the last test started:"
  tr -d '\r' <"$LOG" | grep -E '^\[ RUN      \]' | tail -1
  rc=124
fi
echo "driver exit code: $rc (full log: $LOG)"
exit "$rc"
