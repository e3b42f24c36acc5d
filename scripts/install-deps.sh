#!/usr/bin/env bash
# Installs the Debian packages the build and tests need, only those missing.
# Usage: scripts/install-deps.sh [main|all]
#   main: native build and the demo run; all: adds the Windows toolchain, Wine,
#   ffmpeg, the virtual display, the browser tests' Chromium, and clang, lld and
#   llvm (the fuzzing compiler and the Windows host built in Microsoft's C++ ABI), and
#   libquicktime's utilities (QuickTime VR 2 object movies the object tool's tests read).
set -euo pipefail
want=${1:-all}

main_pkgs=(build-essential cmake ninja-build pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev libjpeg62-turbo-dev libtinyobjloader-dev libtinygltf-dev libpng-dev libavcodec-dev libavformat-dev libswscale-dev nlohmann-json3-dev libcli11-dev zlib1g-dev help2man)
all_pkgs=(ffmpeg g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev wine wine32:i386 xvfb xauth xdotool clang lld llvm libclang-rt-14-dev valgrind chromium chromium-driver python3-selenium dpkg-dev man-db groff-base quicktime-utils)

pkgs=("${main_pkgs[@]}")
[ "$want" = all ] && pkgs+=("${all_pkgs[@]}")

SUDO=
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

if [ "$want" = all ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386

fi

missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}" >&2
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
