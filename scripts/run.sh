#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine from
# a ready base directory (run/, with a data folder and a few sample memos).
# With a display ($DISPLAY) the program runs there until you exit it from
# its tray menu; without one it runs on a virtual display, a screenshot of
# the running program is saved, and the program is closed again.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh win

base="$root/run"
if [ ! -d "$base/data" ]; then
  mkdir -p "$base/data"
  printf '[Cagoteri]\r\nNowCagoteri=data1\r\nCagoteriNo=1\r\n1Cagoteri=data1\r\n' > "$base/Memo.dat"
  sed 's/$/\r/' scripts/sample/data1.dat.utf8 | iconv -f UTF-8 -t CP932 > "$base/data/data1.dat"
fi
source scripts/wine-env.sh build/win
exe="$root/build/win/dereziz.exe"

if [ -n "${DISPLAY:-}" ]; then
  cd "$base" && exec wine "$exe"
fi

shot="${SCREENSHOT:-$root/run/screenshot.png}"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -u
  cd "$1"
  wine "$2" &
  pid=$!
  # Ready when the sample memos have been mapped (their window title is "child").
  for _ in $(seq 1 120); do
    n=$(xwininfo -root -tree 2>/dev/null | grep -c "\"child\"" || true)
    [ "$n" -ge 4 ] && break
    sleep 0.5
  done
  # Let the first paint finish before taking the picture.
  sleep 1
  import -window root "$3"
  wineserver -k
  wait $pid 2>/dev/null || true
' _ "$base" "$exe" "$shot"
echo "screenshot of the running program: $shot"
