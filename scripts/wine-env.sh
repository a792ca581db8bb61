# Sourced by the Wine scripts: where the test prefix lives and how Wine runs.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${TOLVEX_WINEPREFIX:-$top/build/windows/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko prompts for a new prefix; no menu entries on the host.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
