#!/usr/bin/env bash
# make dist: the download, out/dist/Tolvex-<version>.zip, holding Tolvex.exe,
# Tolvex.chm, the read-me and the licence notices of the libraries linked
# into the program. The zip is the same, byte for byte, for the same inputs:
# entries sorted, every date the commit's date, fixed permissions.
#   scripts/dist.sh  (after make windows)
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^#define TOLVEX_VERSION_TEXT "\(.*\)"$/\1/p' res/version.h)
[ -n "$version" ] || { echo "dist: no version in res/version.h" >&2; exit 1; }
for f in build/windows/Tolvex.exe build/windows/Tolvex.chm; do
  [ -f "$f" ] || { echo "dist: $f is missing (make windows)" >&2; exit 1; }
done
name="Tolvex-$version"
stage=out/dist/stage/$name
rm -rf out/dist/stage && mkdir -p "$stage/licenses"
cp build/windows/Tolvex.exe build/windows/Tolvex.chm "$stage/"

# Text for Windows: CRLF line ends, UTF-8 with a byte-order mark so that
# every Notepad reads it right.
windows_text() { printf '\xef\xbb\xbf'; sed 's/$/\r/' "$1"; }
windows_text dist/readme.txt >"$stage/readme.txt"

# The licence notices, as the distribution ships them with each library.
notice() {  # NAME DEBIAN_PACKAGE
  local file=/usr/share/doc/$2/copyright
  [ -f "$file" ] || { echo "dist: $file is missing" >&2; exit 1; }
  windows_text "$file" >"$stage/licenses/$1.txt"
}
notice libjpeg-turbo libjpeg62-turbo
notice zlib libz-mingw-w64
notice libwebp libwebp7
notice dav1d libdav1d6
notice mingw-w64-runtime mingw-w64-common
notice gcc-runtime gcc-mingw-w64-base

stamp=$(git log -1 --format=%ct 2>/dev/null || echo 315532800)
python3 - "out/dist/stage" "$name" "out/dist/$name.zip" "$stamp" <<'PY'
import os, sys, time, zipfile
root, top, target, stamp = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
date = time.gmtime(max(stamp, 315532800))[:6]  # zip dates start in 1980
files = []
for folder, dirs, names in os.walk(os.path.join(root, top)):
    files += [os.path.join(folder, n) for n in names]
tmp = target + ".tmp"
with zipfile.ZipFile(tmp, "w") as z:
    for path in sorted(files, key=lambda p: os.path.relpath(p, root).encode()):
        info = zipfile.ZipInfo(os.path.relpath(path, root).replace(os.sep, "/"), date)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o100644 << 16
        info.create_system = 3
        info.flag_bits |= 0x800  # names are UTF-8
        with open(path, "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
os.replace(tmp, target)
PY
rm -rf out/dist/stage
sha256sum "out/dist/$name.zip"
