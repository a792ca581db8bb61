#!/usr/bin/env bash
# Installs everything both builds need on a Debian 12 machine, then builds
# libjpeg-turbo for i686 MinGW from Debian's own source package.
# A second run with everything in place returns at once.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
cache="$top/.cache"
jpeg_prefix="$cache/mingw-jpeg"

packages=(
  cmake ninja-build make pkg-config dpkg-dev
  g++ clang libclang-rt-14-dev clang-format
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-tools libz-mingw-w64-dev nasm
  zlib1g-dev libjpeg62-turbo-dev libpng-dev libgif-dev libtiff-dev
  googletest libbenchmark-dev libspng-dev libstb-dev
  wine wine32:i386 xvfb xauth x11-utils fonts-ipafont-gothic imagemagick
  fp-utils
)

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  st=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$st" = installed ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_ dpkg --add-architecture i386
  fi
  # apt-get source needs a deb-src entry: copy the machine's own entry.
  src=/etc/apt/sources.list.d/tolvex-src.sources
  if [ ! -f "$src" ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | sudo_ tee "$src" >/dev/null
  fi
  export DEBIAN_FRONTEND=noninteractive
  sudo_ apt-get update -qq
  sudo_ apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Source entries may be missing even when the packages are all there.
if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
  src=/etc/apt/sources.list.d/tolvex-src.sources
  if [ ! -f "$src" ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | sudo_ tee "$src" >/dev/null
    sudo_ apt-get update -qq
  fi
  echo "bootstrap: building libjpeg-turbo for i686 MinGW"
  work="$cache/jpeg-src"
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && apt-get source -qq --download-only libjpeg-turbo >/dev/null 2>&1 && dpkg-source -x --no-check ./*.dsc src >/dev/null)
  cat > "$work/toolchain.cmake" <<'TC'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
TC
  cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
    -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" -Wno-dev >/dev/null
  cmake --build "$work/build" --target install >/dev/null
  rm -rf "$work"
  test -f "$jpeg_prefix/lib/libjpeg.a"
fi
