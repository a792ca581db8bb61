#!/usr/bin/env bash
# Checks the download as a user gets it: make dist twice gives the same zip;
# the zip unpacked into a fresh Wine prefix runs: "Tolvex.exe /s" makes a
# wallpaper from a list, and "ヘルプ" in the main window opens Tolvex.chm.
#   scripts/dist-check.sh  (after make windows; open_help.exe comes from it)
set -euo pipefail
cd "$(dirname "$0")/.."
first=$(./scripts/dist.sh | awk '{print $1}')
second=$(./scripts/dist.sh | awk '{print $1}')
zip=$(ls out/dist/Tolvex-*.zip)
if [ "$first" != "$second" ]; then
  echo "dist-check: two runs gave different zips ($first, $second)" >&2
  exit 1
fi
echo "dist-check: two runs gave the same zip $zip ($first)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TOLVEX_WINEPREFIX=$work/prefix
unzip -q "$zip" -d "$work"
app=$(ls -d "$work"/Tolvex-*)
cp build/windows/open_help.exe "$work/"
convert -size 640x400 gradient:'#2f6db5-#9fd3f0' -type TrueColor "BMP3:$work/picture.bmp"
picture="Z:$(echo "$work/picture.bmp" | sed 's|/|\\|g')"
{ printf '[WP]\r\nCalendar=1\r\nCycle=0\r\n[List]\r\nName=test\r\nCount=1\r\nWPNum=-1\r\n'
  printf '0=%s\r\n' "$picture"; } | iconv -f UTF-8 -t UTF-16 >"$app/Tolvex.ini"
export app work
./scripts/wine-session.sh bash -c '
  set -uo pipefail
  cd "$app"
  timeout 120 wine Tolvex.exe /s >/dev/null 2>&1
  if [ -s save_wp.bmp ]; then
    echo "dist-check: Tolvex.exe /s made $(identify -format "%wx%h" save_wp.bmp) save_wp.bmp"
  else
    echo "dist-check: Tolvex.exe /s made no wallpaper" >&2; exit 1
  fi
  wine Tolvex.exe >/dev/null 2>&1 &
  if ! timeout 60 wine "$work/open_help.exe"; then
    echo "dist-check: the help did not open" >&2; exit 1
  fi
  wineserver -k >/dev/null 2>&1 || true
'
echo "dist-check: all well"
