#!/usr/bin/env bash
# Renders each page of the compiled help's sources (build/windows/help, made
# by the help_file target) to a PNG with headless Chromium, for looking at
# the pages as a reader sees them: build/help-render/<page>.png.
#   scripts/render-help.sh [PAGE.html...]
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD/build/windows/help
out=$PWD/build/help-render
[ -d "$src" ] || { echo "render-help: $src is missing (build help_file)" >&2; exit 1; }
mkdir -p "$out"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
pages=("$@")
[ ${#pages[@]} -gt 0 ] || pages=($(cd "$src" && ls *.html))
for page in "${pages[@]}"; do
  chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
    --disable-background-networking --disable-component-update --disable-sync \
    --no-first-run --user-data-dir="$profile" --window-size=800,1400 \
    --screenshot="$out/${page%.html}.png" "file://$src/$page" >/dev/null 2>&1
done
ls "$out"
