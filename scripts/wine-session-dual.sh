#!/usr/bin/env bash
# Runs a command inside one Wine session on two monitors: an Xorg server with
# the dummy video driver, two screens joined by Xinerama (RANDR off, so Wine
# takes the monitors from Xinerama), the test prefix and one wineserver.
#   scripts/wine-session-dual.sh LAYOUT COMMAND [ARGS...]
# LAYOUT: "right"  main 1920x1080, 1280x1024 to its right
#         "left"   main 1366x768, 1920x1080 to its left
# The command sees the layout's name in TOLVEX_MONITOR_LAYOUT. The
# single-monitor Xvfb session (wine-session.sh) serves everything else.
set -euo pipefail
layout=${1:?layout: right or left}
shift

case "$layout" in
  right) main=1920x1080 other=1280x1024 side=RightOf ;;
  left) main=1366x768 other=1920x1080 side=LeftOf ;;
  *) echo "unknown layout: $layout" >&2; exit 2 ;;
esac

work=$(mktemp -d)
xorg_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xorg_pid" ] && kill "$xorg_pid" >/dev/null 2>&1 || true
  [ -n "$xorg_pid" ] && wait "$xorg_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A mode line for a size: the dummy driver takes any timing, so 60 Hz-ish
# numbers computed from the size are enough.
modeline() {
  local w=${1%x*} h=${1#*x}
  echo "Modeline \"$1\" $(((w + 160) * (h + 40) * 60 / 1000000)) $w $((w + 48)) $((w + 80)) $((w + 160)) $h $((h + 3)) $((h + 8)) $((h + 40))"
}

screen_section() {  # name device size
  cat <<SECTION
Section "Device"
  Identifier "$2"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Monitor"
  Identifier "$2-monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
  $(modeline "$3")
EndSection
Section "Screen"
  Identifier "$1"
  Device "$2"
  Monitor "$2-monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "$3"
    Virtual ${3%x*} ${3#*x}
  EndSubSection
EndSection
SECTION
}

{
  screen_section main-screen main-card "$main"
  screen_section other-screen other-card "$other"
  cat <<LAYOUT
Section "ServerLayout"
  Identifier "dual"
  Screen 0 "main-screen"
  Screen 1 "other-screen" $side "main-screen"
  Option "Xinerama" "on"
EndSection
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Extensions"
  Option "RANDR" "disable"
EndSection
LAYOUT
} >"$work/xorg.conf"

dpy_file="$work/display"
Xorg -displayfd 3 -config "$work/xorg.conf" -noreset -nolisten tcp +xinerama \
  -logfile "$work/xorg.log" 3>"$dpy_file" >/dev/null 2>&1 &
xorg_pid=$!
for _ in $(seq 200); do [ -s "$dpy_file" ] && break; sleep 0.05; done
if [ ! -s "$dpy_file" ]; then
  echo "Xorg did not start; its log:" >&2
  cat "$work/xorg.log" >&2 || true
  exit 1
fi
export DISPLAY=":$(head -n1 "$dpy_file")"

# The rest is the single-monitor session's: the prefix, one wineserver.
source "$(dirname "$0")/wine-env.sh"
[ -f "$WINEPREFIX/.tolvex-ready" ] || "$(dirname "$0")/wine-session.sh" true
wineserver -p >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
export TOLVEX_WINE_SESSION=1
export TOLVEX_MONITOR_LAYOUT="$layout"
"$@"
