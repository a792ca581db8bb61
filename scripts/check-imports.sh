#!/usr/bin/env bash
# Checks that a Windows executable is 32-bit, GUI, and imports only DLLs that
# every Windows system has (no MinGW runtime, no libstdc++, no zlib DLL).
set -euo pipefail
exe="$1"
objdump=i686-w64-mingw32-objdump
header=$($objdump -f "$exe")
private=$($objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$header" || { echo "$exe: not a 32-bit PE"; exit 1; }
grep -q 'Subsystem.*(Windows GUI)' <<<"$private" || { echo "$exe: not a GUI executable"; exit 1; }
allowed='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|msvcrt|version|winmm|uxtheme)\.dll$'
bad=0
for dll in $(awk '/DLL Name:/ {print tolower($3)}' <<<"$private"); do
  if ! [[ "$dll" =~ $allowed ]]; then echo "$exe imports $dll"; bad=1; fi
done
[ $bad -eq 0 ] && echo "$exe: 32-bit GUI, system DLLs only"
exit $bad
