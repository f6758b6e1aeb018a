#!/usr/bin/env bash
# Builds the native tree (core, unit tests, benchmarks), the same unit tests
# under AddressSanitizer and UBSan, the fuzz targets and the Windows program
# with its end-to-end driver, with GCC and again with Clang and LLD.
# Usage: scripts/build.sh [native|asan|fuzz|win|win-clang|all]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
what="${1:-all}"
jobs="${JOBS:-$(nproc)}"

build_native() {
  cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/native" -j "$jobs"
}
build_asan() {
  cmake -S "$root" -B "$root/build/asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DDEREZIZ_SANITIZE=ON >/dev/null
  cmake --build "$root/build/asan" -j "$jobs"
}
build_fuzz() {
  cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DDEREZIZ_FUZZ=ON >/dev/null
  cmake --build "$root/build/fuzz" -j "$jobs"
}
build_win() {
  cmake -S "$root" -B "$root/build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$root/build/win" -j "$jobs"
}
# The program and the end-to-end driver only:
# the benchmarks are the GCC build's.
build_win_clang() {
  cmake -S "$root" -B "$root/build/win-clang" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/clang-mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$root/build/win-clang" -j "$jobs" --target dereziz dereziz_e2e
}

case "$what" in
  native) build_native ;;
  asan) build_asan ;;
  fuzz) build_fuzz ;;
  win) build_win ;;
  win-clang) build_win_clang ;;
  all) build_native; build_asan; build_fuzz; build_win; build_win_clang ;;
  *) echo "usage: $0 [native|asan|fuzz|win|win-clang|all]" >&2; exit 2 ;;
esac
