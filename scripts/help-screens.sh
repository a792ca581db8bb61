#!/usr/bin/env bash
# The help file's pictures, taken from the real program under Wine and Xvfb:
# the main window (Tolvex.exe), every dialog and window (dialog_screens.exe,
# which shows the program's own dialog code), and the placement examples
# (wallpapers that Tolvex.exe composes from a sample picture by each
# placement style). Each picture is cut to its window with ImageMagick.
#   scripts/help-screens.sh BUILD_DIR OUT_DIR
# BUILD_DIR holds Tolvex.exe and dialog_screens.exe; OUT_DIR receives the PNGs.
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$(dirname "$0")/.."
cp "$build/Tolvex.exe" "$work/"
# The dialogs' stand-in carries the program's name, so that the About
# window's link reads as it does in the program.
mkdir "$work/dialogs"
cp "$build/dialog_screens.exe" "$work/dialogs/Tolvex.exe"
source scripts/wine-env.sh
# The sample pictures lie where a user might keep them: C:\壁紙.
pictures="$WINEPREFIX/drive_c/壁紙"

# Sample pictures (made after the prefix exists, below): a small and a large
# one, distinct in shape and colour, the large one with shapes near both
# ends so that cropping shows.
make_pictures() {
  mkdir -p "$pictures"
  convert -size 800x560 gradient:'#2f6db5-#9fd3f0' -fill '#f4c542' -stroke '#8a5a00' \
    -strokewidth 8 -draw 'circle 400,280 400,400' -type TrueColor "BMP3:$pictures/夕焼け.bmp"
  convert -size 2400x1200 gradient:'#1d6b3a-#b9e29a' -fill '#d8433b' -stroke white \
    -strokewidth 20 -draw 'rectangle 900,300 1500,900' -fill '#f4c542' \
    -draw 'circle 250,600 250,800' -draw 'polygon 2150,400 2350,800 1950,800' \
    -type TrueColor "BMP3:$pictures/草原.bmp"
  cp "$pictures/夕焼け.bmp" "$pictures/海辺.bmp"
}

# settings KEY=VALUE...: a Tolvex.ini beside the executable with these [WP]
# keys, and a first list of the sample pictures.
settings() {
  { printf '[WP]\r\nBgColor=4210752\r\n'
    for kv in "$@"; do printf '%s\r\n' "$kv"; done
    printf '[List]\r\nName=風景\r\nCount=3\r\nWPNum=1\r\n'
    printf '0=C:\\壁紙\\夕焼け.bmp\r\n1=C:\\壁紙\\草原.bmp\r\n2=C:\\壁紙\\海辺.bmp\r\n'
    printf '[List2]\r\nName=お気に入り\r\nCount=0\r\nWPNum=-1\r\n'
  } | iconv -f UTF-8 -t UTF-16 >"$work/Tolvex.ini"
}
export -f settings make_pictures
export work out pictures

./scripts/wine-session.sh bash -c '
  set -uo pipefail
  cd "$work"
  make_pictures
  # Placement examples: one wallpaper per style, shrunk to an eighth.
  compose() {  # NAME PICTURE KEY=VALUE...
    local name=$1 picture=$2; shift 2
    settings "$@"
    rm -f save_wp.bmp
    timeout 60 wine Tolvex.exe "C:\\壁紙\\$picture" >/dev/null 2>&1 || true
    if [ -f save_wp.bmp ]; then
      convert save_wp.bmp -resize 160x128 "$out/place_$name.png"
    else
      echo "help-screens: no wallpaper for $name" >&2
    fi
  }
  compose small_actual 夕焼け.bmp StyleS=0 Calendar=0
  compose small_enlarge 夕焼け.bmp StyleS=1 WpOptS0=1 WpOptS1=1 Calendar=0
  compose small_stretch 夕焼け.bmp StyleS=1 WpOptS0=0 Calendar=0
  compose small_tile 夕焼け.bmp StyleS=2 Calendar=0
  compose large_actual 草原.bmp StyleB=0 Calendar=0
  compose large_shrink 草原.bmp StyleB=1 WpOptB0=1 WpOptB1=1 Calendar=0
  compose large_fill 草原.bmp StyleB=1 WpOptB0=1 WpOptB1=0 Calendar=0
  compose calendar 草原.bmp StyleB=1 WpOptB0=1 WpOptB1=1 Calendar=1 "[Cal]" DispMonth=2
  if [ -f save_wp.bmp ]; then
    convert save_wp.bmp -resize 480x384 "$out/wallpaper_calendar.png"
    convert save_wp.bmp -gravity NorthEast -crop 300x330+0+0 +repage "$out/calendar_closeup.png"
  fi
  rm -f "$out/place_calendar.png"
  convert "$pictures/夕焼け.bmp" -resize 12.5% "$out/picture_small.png"
  convert "$pictures/草原.bmp" -resize 12.5% "$out/picture_large.png"

  # The main window with the second entry selected, so that it previews.
  settings Calendar=1 Cycle=1 ToolTip=1 ActList=0
  wine Tolvex.exe >/dev/null 2>&1 &
  pid=$!
  id=
  for _ in $(seq 150); do
    id=$(xwininfo -root -tree 2>/dev/null | grep "\"Tolvex\"" | head -n1 | awk "{print \$1}")
    [ -n "$id" ] && break
    sleep 0.2
  done
  sleep 2
  if [ -n "$id" ]; then
    import -window "$id" "$out/main.png"
    # The preview pane with its size box and buttons, cut out of the window
    # by its client position (8, 323) below the caption and frame.
    frame=$(( ($(identify -format %w "$out/main.png") - 612) / 2 ))
    top=$(( $(identify -format %h "$out/main.png") - 475 - frame ))
    convert "$out/main.png" -crop "150x152+$((frame + 4))+$((top + 319))" +repage "$out/preview.png"
  else
    echo "help-screens: no main window" >&2
  fi
  kill $pid 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1

  # Each dialog: dialog_screens.exe prints the rectangle once it has painted.
  for s in calendar small large options rename sizes folders about; do
    (cd dialogs && wine Tolvex.exe $s 2>/dev/null) | {
      if read -r x y w h && [ "${w:-0}" -gt 0 ]; then
        import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$s.png"
      else
        echo "help-screens: no window for $s" >&2
      fi
      cat >/dev/null
    }
  done
'
rm -rf "$pictures"

# Every picture the help file lists must have been made.
status=0
for picture in $(tr -d '\r' <help/tolvex.hhp | grep '\.png$'); do
  if [ ! -s "$out/$picture" ]; then
    echo "help-screens: $picture was not made" >&2
    status=1
  fi
done
exit $status
