#!/usr/bin/env bash
# The emulator ctest uses for Windows executables: runs one under Wine, inside
# the current Wine session or, when called on its own, inside a new one.
set -euo pipefail
if [ -z "${TOLVEX_WINE_SESSION:-}" ]; then
  exec "$(dirname "$0")/wine-session.sh" "$0" "$@"
fi
source "$(dirname "$0")/wine-env.sh"
exec wine "$@"
