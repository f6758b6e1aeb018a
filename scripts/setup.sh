#!/usr/bin/env bash
# Installs what building, running and testing need (Debian). Idempotent:
# does nothing when everything is already there.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang
  lld llvm
  libgtest-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 xvfb xauth x11-utils
  fonts-ipafont-gothic fonts-ipafont-mincho
  imagemagick python3-xlib
  syncthing curl
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
updated=""
install() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "setup: installing ${missing[*]}"
  # Another installation may hold the package lock for a while: wait for it.
  if [ -z "$updated" ]; then
    $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
    updated=1
  fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

install "${PACKAGES[@]}"

# The sanitizers (fuzz targets, sanitizer build of the unit tests) need the
# runtime of the very clang that compiles them: ask that clang its version.
# Older releases ship the runtime in libclang-common-N-dev.
clang_major="$(clang -dumpversion | cut -d. -f1)"
runtime="libclang-rt-$clang_major-dev"
apt-cache show "$runtime" >/dev/null 2>&1 || runtime="libclang-common-$clang_major-dev"
install "$runtime"
