#!/usr/bin/env bash
# Fails when a C or C++ file of the repository differs from what the
# repository's .clang-format makes of it, and names the files.
set -euo pipefail
cd "$(dirname "$0")/.."
fmt=${CLANG_FORMAT:-clang-format}
bad=()
while IFS= read -r -d '' f; do
  if ! "$fmt" --dry-run --Werror "$f" >/dev/null 2>&1; then bad+=("$f"); fi
done < <(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' '*.c')
if [ ${#bad[@]} -gt 0 ]; then
  printf 'not formatted (run clang-format -i):\n'
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "format: every C and C++ file as .clang-format gives it"
