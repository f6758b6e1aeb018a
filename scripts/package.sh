#!/usr/bin/env bash
# Builds the release in a build directory of its own, made afresh, and writes
# dist/dereziz-<version>-win64.zip: dereziz.exe, README-ja.txt (the user
# guide, docs/README-ja.txt) and LICENSE. The version is the CMake project's.
# Two runs on the same sources give the same bytes: the executable carries no
# link time, and the archive lists its files in a fixed order, each with the
# time of the last commit (or SOURCE_DATE_EPOCH when set).
# Prints the path of the archive as its last line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="$root/build/package"
jobs="${JOBS:-$(nproc)}"

if [ -n "$(git -C "$root" status --porcelain 2>/dev/null)" ]; then
  echo "package: note: the working tree has changes that are not committed; they go into the release" >&2
fi
rm -rf "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDEREZIZ_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s >/dev/null
cmake --build "$build" -j "$jobs" --target dereziz >/dev/null

version=$(sed -n 's/^#define DEREZIZ_VERSION "\(.*\)"$/\1/p' "$build/generated/res/version.h")
[ -n "$version" ] || { echo "package: no version in $build/generated/res/version.h" >&2; exit 1; }

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
mkdir -p "$root/dist"
zip="$root/dist/dereziz-$version-win64.zip"
python3 - "$zip" "$SOURCE_DATE_EPOCH" \
  dereziz.exe="$build/dereziz.exe" README-ja.txt="$root/docs/README-ja.txt" LICENSE="$root/LICENSE" <<'PY'
import sys, time, zipfile
out, epoch, entries = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
# Zip times are local times without a zone and start in 1980.
stamp = time.gmtime(max(epoch, 315532800))[:6]
with zipfile.ZipFile(out + ".tmp", "w") as z:
    for entry in entries:
        name, path = entry.split("=", 1)
        info = zipfile.ZipInfo(name, date_time=stamp)
        info.create_system = 0  # made for Windows: no Unix permissions
        info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(path, "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
PY
mv -f "$zip.tmp" "$zip"
echo "$zip"
