#!/usr/bin/env bash
# make gui: starts the real Tolvex.exe under Wine with a prepared settings
# file and sample pictures, the second entry of the first list selected (its
# current wallpaper, a portrait picture) so that the preview shows, and saves
# a screenshot of the main window.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$PWD/out/gui"
rm -rf "$out" && mkdir -p "$out/pictures"
cp build/windows/Tolvex.exe "$out/"

# Sample pictures: 24-bit BMP gradients of a few sizes.
python3 - "$out/pictures" <<'PY'
import struct, sys, os
folder = sys.argv[1]
def bmp(name, w, h, f):
    stride = (w * 3 + 3) & ~3
    rows = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            row += bytes(f(x, y))
        row += b"\0" * (stride - len(row))
        rows += row
    head = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    open(os.path.join(folder, name), "wb").write(head + info + rows)
bmp("sunset over the lake.bmp", 640, 400, lambda x, y: (90 + y * 160 // 400, 60 + y * 80 // 400, 250 - y * 100 // 400))
bmp("forest.bmp", 300, 450, lambda x, y: (40, 120 + (x * 7 + y) % 100, 30))
bmp("sea.bmp", 800, 600, lambda x, y: (200, 120 + x * 100 // 800, 40))
bmp("tiles.bmp", 96, 64, lambda x, y: (255, 255, 255) if (x // 16 + y // 16) % 2 else (60, 60, 200))
PY

win_pictures="Z:$(echo "$out/pictures" | sed 's|/|\\|g')"
{
  printf '[WP]\r\nCalendar=1\r\nRandom=0\r\nCycle=1\r\nToolTip=1\r\nActList=0\r\n'
  printf '[List]\r\nName=風景\r\nCount=4\r\nWPNum=1\r\n'
  printf '0=%s\\sunset over the lake.bmp\r\n' "$win_pictures"
  printf '1=%s\\forest.bmp\r\n' "$win_pictures"
  printf '2=%s\\sea.bmp\r\n' "$win_pictures"
  printf '3=%s\\tiles.bmp\r\n' "$win_pictures"
  printf '[List2]\r\nName=お気に入り\r\nCount=0\r\nWPNum=-1\r\n'
} | iconv -f UTF-8 -t UTF-16 > "$out/Tolvex.ini"

shot="$out/main_window.png"
./scripts/wine-session.sh bash -c "
  cd '$out'
  wine Tolvex.exe &
  pid=\$!
  for _ in \$(seq 100); do
    id=\$(xwininfo -root -tree 2>/dev/null | grep '\"Tolvex\"' | head -n1 | awk '{print \$1}')
    [ -n \"\$id\" ] && break
    sleep 0.2
  done
  sleep 2
  if [ -n \"\$id\" ]; then import -window \"\$id\" '$shot'; else import -window root '$shot'; fi
  kill \$pid 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
"
echo "gui: screenshot saved to $shot"
