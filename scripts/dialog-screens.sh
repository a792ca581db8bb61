#!/usr/bin/env bash
# Pictures of each dialog under Wine and Xvfb, into build/screens/<name>.png.
#   scripts/dialog-screens.sh  (after make windows)
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/screens
mkdir -p "$out"
./scripts/wine-session.sh bash -c '
  cd build/windows
  for s in calendar small large options options-resident resident-menu about help; do
    wine dialog_screens.exe $s >/dev/null 2>&1 &
    pid=$!
    sleep 4
    import -window root ../screens/$s.png
    wait $pid || true
  done'
ls -l "$out"
