#!/usr/bin/env bash
# make demo: runs the real Tolvex.exe under Wine the way the autostart entry
# does ("/s"), beside its own settings file, and reports what it left.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$PWD/out/demo"
rm -rf "$out" && mkdir -p "$out"
cp build/windows/Tolvex.exe "$out/"
printf '\xff\xfe' > "$out/Tolvex.ini"
./scripts/wine-session.sh bash -c "cd '$out' && wine Tolvex.exe /s"
echo "demo: Tolvex.exe /s ran in $out"
ls -la "$out"
