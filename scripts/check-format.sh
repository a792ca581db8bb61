#!/usr/bin/env bash
# Fails when a C or C++ file of the repository differs from what the
# repository's .clang-format makes of it, and names the files.
set -euo pipefail
cd "$(dirname "$0")/.."
fmt=${CLANG_FORMAT:-clang-format}
bad=$(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' '*.c' |
  xargs -0 -n 16 -P "$(nproc)" "$fmt" --dry-run 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning:.*/\1/p' | sort -u)
if [ -n "$bad" ]; then
  echo "not formatted (run clang-format -i on them):"
  echo "$bad" | sed 's/^/  /'
  exit 1
fi
echo "format: every C and C++ file as .clang-format gives it"
