#!/usr/bin/env bash
# make demo: the main job, end to end. Draws the sample pictures, puts a copy
# of Tolvex.exe beside a Tolvex.ini that lists them, runs the wallpaper change
# ("/s") under Wine and Xvfb, and leaves the composed wallpaper as a PNG whose
# path is printed last.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
exe=build/windows/Tolvex.exe
samples_tool=build/native/make_samples
[ -f "$exe" ] || { echo "demo: $exe is missing (make windows)" >&2; exit 1; }
[ -x "$samples_tool" ] || { echo "demo: $samples_tool is missing (make native)" >&2; exit 1; }

out="$top/out/demo"
rm -rf "$out"
mkdir -p "$out/run" "$out/pictures"
# The samples come from a sanitizer build; leaks are not its business here.
ASAN_OPTIONS=detect_leaks=0 "$samples_tool" "$out/pictures" >"$out/pictures.txt"
cp "$exe" "$out/run/Tolvex.exe"

# Wine sees the host's root as drive Z:.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# The landscape first: it is what /s takes from a fresh list. The other
# entries show the list as a user would keep it.
mapfile -t pictures < <(grep -F lake_dawn "$out/pictures.txt"; grep -vF lake_dawn "$out/pictures.txt")
{
  printf '[WP]\r\nListHold=1\r\nActList=0\r\nCalendar=1\r\nCycle=0\r\nStyleS=0\r\nStyleB=1\r\n'
  printf 'WpOptB0=1\r\nWpOptB1=0\r\nBgColor=3158064\r\n'
  # The calendar at its default place, the screen's top right corner.
  printf '[Cal]\r\nDispMonth=3\r\n'
  printf '[List]\r\nName=Demo\r\nCount=%d\r\nWPNum=-1\r\n' "${#pictures[@]}"
  i=0
  for p in "${pictures[@]}"; do
    printf '%d=%s\r\n' "$i" "$(winpath "$p")"
    i=$((i + 1))
  done
} >"$out/run/Tolvex.ini"

./scripts/wine-session.sh wine "$out/run/Tolvex.exe" /s

wallpaper="$out/run/save_wp.bmp"
[ -f "$wallpaper" ] || { echo "demo: Tolvex.exe /s wrote no save_wp.bmp" >&2; exit 1; }
convert "$wallpaper" "$out/wallpaper.png"
echo "Sample pictures: $out/pictures"
echo "Settings used:   $out/run/Tolvex.ini"
echo "Wallpaper:"
echo "$out/wallpaper.png"
