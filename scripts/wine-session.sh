#!/usr/bin/env bash
# Runs a command inside one Wine session: a private Xvfb display, the test
# prefix (created on first use, with "MS UI Gothic" mapped to the IPA font and
# unmanaged windows), and one persistent wineserver for the whole command.
#   scripts/wine-session.sh COMMAND [ARGS...]
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

# Xvfb picks a free display itself and tells us which.
dpy_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dpy_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$dpy_file" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$dpy_file")"
rm -f "$dpy_file"

if [ ! -f "$WINEPREFIX/.tolvex-ready" ]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.tolvex-ready"
fi

wineserver -p >/dev/null 2>&1
# Start Wine's own background processes (services, the desktop) now, with
# nothing attached to them: otherwise they inherit the output pipe of the
# first test and ctest waits for them to close it.
wine cmd /c exit </dev/null >/dev/null 2>&1
export TOLVEX_WINE_SESSION=1
"$@"
