#!/usr/bin/env bash
# Installs everything both builds need on a Debian 12 machine, then builds
# libjpeg-turbo, libwebp and dav1d for i686 MinGW, static, from Debian's own
# source packages, each into its own prefix under .cache/.
# A second run with everything in place returns at once.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
cache="$top/.cache"
jpeg_prefix="$cache/mingw-jpeg"
webp_prefix="$cache/mingw-webp"
dav1d_prefix="$cache/mingw-dav1d"

packages=(
  cmake ninja-build make pkg-config dpkg-dev
  g++ clang libclang-rt-14-dev clang-format
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-tools libz-mingw-w64-dev nasm
  zlib1g-dev libjpeg62-turbo-dev libpng-dev libgif-dev libtiff-dev
  googletest libbenchmark-dev libspng-dev libstb-dev
  libwebp-dev libavif-dev libdav1d-dev webp libavif-bin meson
  wine wine32:i386 xvfb xauth x11-utils fonts-ipafont-gothic imagemagick
  xserver-xorg-core xserver-xorg-video-dummy libxinerama1:i386 libxrandr2:i386
  fp-utils python3
)

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# One query for all installed packages (one per package costs a second).
# A name without an architecture means the machine's own (or "all").
native_arch=$(dpkg --print-architecture)
declare -A installed=()
while read -r name arch status; do
  [ "$status" = installed ] || continue
  installed["$name:$arch"]=1
  if [ "$arch" = "$native_arch" ] || [ "$arch" = all ]; then installed["$name"]=1; fi
done < <(dpkg-query -W -f='${Package} ${Architecture} ${db:Status-Status}\n')
missing=()
for p in "${packages[@]}"; do
  [ -n "${installed[$p]:-}" ] || missing+=("$p")
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

# libwebp and dav1d for i686 MinGW, each in its own prefix so that one can be
# rebuilt without touching the others. A build runs in a scratch folder and
# installs into a staging tree that is renamed into place only when complete,
# so an interrupted run never leaves a prefix that looks finished.
jobs=${JOBS:-$(nproc)}
mkdir -p "$cache"
cache_dir=$(cd -P "$cache" && pwd)
scratch=()
trap 'if [ ${#scratch[@]} -gt 0 ]; then rm -rf "${scratch[@]}"; fi' EXIT

fail() {
  echo "bootstrap: $1" >&2
  if [ -n "${2:-}" ] && [ -s "$2" ]; then tail -n 40 "$2" >&2; fi
  exit 1
}

# Runs one step with its output appended to LOG; on failure shows the end of it.
step() {
  local log=$1
  shift
  "$@" >>"$log" 2>&1 || fail "failed: $*" "$log"
}

# Unpacks Debian's source package PKG, with Debian's patches applied, into DIR/src.
debian_source() {
  local pkg=$1 dir=$2 log=$2/source.log
  local src=/etc/apt/sources.list.d/tolvex-src.sources
  if [ ! -f "$src" ]; then
    [ -f /etc/apt/sources.list.d/debian.sources ] ||
      fail "apt-get source needs a deb-src entry and there is no /etc/apt/sources.list.d/debian.sources to copy"
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | sudo_ tee "$src" >/dev/null
    sudo_ apt-get update -qq
  fi
  if ! (cd "$dir" && apt-get source -qq --download-only "$pkg") >"$log" 2>&1; then
    # The package lists may be older than the source entry: refresh them once.
    sudo_ apt-get update -qq >>"$log" 2>&1 || true
    (cd "$dir" && apt-get source -qq --download-only "$pkg") >>"$log" 2>&1 ||
      fail "could not download Debian's source package $pkg" "$log"
  fi
  (cd "$dir" && dpkg-source -x --no-check ./"$pkg"_*.dsc src) >>"$log" 2>&1 ||
    fail "could not unpack Debian's source package $pkg" "$log"
}

# Moves the tree installed under STAGE (as DESTDIR) to its prefix.
place() {
  local stage=$1 prefix=$2
  [ -d "$stage$prefix" ] || fail "nothing was installed for $prefix"
  rm -rf "$prefix"
  mv "$stage$prefix" "$prefix"
}

if [ ! -f "$webp_prefix/lib/libwebp.a" ] || [ ! -f "$webp_prefix/lib/libwebpdemux.a" ]; then
  echo "bootstrap: building libwebp for i686 MinGW"
  work=$(mktemp -d "$cache/webp-build.XXXXXX")
  scratch+=("$work")
  log="$work/build.log"
  debian_source libwebp "$work"
  # The library and the demuxer only; SSE2 and SSE4.1 code is compiled in and
  # chosen at run time by the processor's features.
  step "$log" cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$cache_dir/mingw-webp" -DBUILD_SHARED_LIBS=OFF \
    -DWEBP_ENABLE_SIMD=ON -DWEBP_USE_THREAD=ON -DWEBP_BUILD_LIBWEBPMUX=OFF \
    -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
    -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF -Wno-dev
  for simd in SSE2 SSE41; do
    grep -q "^#define WEBP_HAVE_$simd 1" "$work/build/src/webp/config.h" ||
      fail "libwebp: $simd code would not be built" "$work/build/CMakeFiles/CMakeError.log"
  done
  step "$log" cmake --build "$work/build" -j "$jobs"
  step "$log" env DESTDIR="$work/stage" cmake --install "$work/build"
  place "$work/stage" "$cache_dir/mingw-webp"
fi

if [ ! -f "$dav1d_prefix/lib/libdav1d.a" ]; then
  echo "bootstrap: building dav1d for i686 MinGW"
  work=$(mktemp -d "$cache/dav1d-build.XXXXXX")
  scratch+=("$work")
  log="$work/build.log"
  debian_source dav1d "$work"
  cat >"$work/cross.ini" <<'CROSS'
[binaries]
c = 'i686-w64-mingw32-gcc-posix'
ar = 'i686-w64-mingw32-ar'
strip = 'i686-w64-mingw32-strip'
windres = 'i686-w64-mingw32-windres'

[host_machine]
system = 'windows'
cpu_family = 'x86'
cpu = 'i686'
endian = 'little'
CROSS
  # 8- and 10/12-bit decoding with the x86 assembly (nasm); on Windows dav1d
  # uses its own thread layer over the Win32 API, so it needs no pthread.
  step "$log" meson setup "$work/build" "$work/src" --cross-file "$work/cross.ini" \
    --prefix "$cache_dir/mingw-dav1d" --libdir lib --buildtype release -Db_ndebug=true \
    -Ddefault_library=static -Denable_asm=true -Dbitdepths=8,16 \
    -Denable_tools=false -Denable_tests=false -Denable_examples=false -Denable_docs=false
  grep -q '^#define HAVE_ASM 1' "$work/build/config.h" ||
    fail "dav1d: the assembly would not be built (is nasm 2.14 or later installed?)"
  step "$log" meson compile -C "$work/build" -j "$jobs"
  step "$log" meson install -C "$work/build" --destdir "$work/stage"
  place "$work/stage" "$cache_dir/mingw-dav1d"
fi
