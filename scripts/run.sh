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
source scripts/wine-env.sh build/win || exit 1
exe="$root/build/win/dereziz.exe"

if [ -n "${DISPLAY:-}" ]; then
  cd "$base" && exec wine "$exe"
fi

shot="${SCREENSHOT:-$root/run/screenshot.png}"
# A Wine desktop window of its own gives the screenshot a desktop to show
# under the memos and needs no window manager.
xvfb-run -a -s "-screen 0 1024x640x24" bash -c '
  set -u
  cd "$1"
  wine explorer /desktop=Dereziz,1024x640 "$2" &
  # Ready when two screenshots half a second apart are the same and the
  # screen is no longer one plain colour.
  prev=""
  for _ in $(seq 1 120); do
    sleep 0.5
    import -window root "$3" 2>/dev/null || continue
    colours=$(convert "$3" -format %k info: 2>/dev/null || echo 1)
    sum=$(md5sum < "$3")
    [ "$colours" -gt 50 ] && [ "$sum" = "$prev" ] && break
    prev="$sum"
  done
  wineserver -k
  wait 2>/dev/null || true
' _ "$base" "$exe" "$shot"
echo "screenshot of the running program: $shot"
