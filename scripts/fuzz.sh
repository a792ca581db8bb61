#!/usr/bin/env bash
# make fuzz [FUZZ_SECONDS=N]: runs every fuzz target in turn for N seconds
# (default 600), starting from its committed corpus; new inputs go to
# out/fuzz/<name>/, crashes to out/fuzz/<name>/crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
status=0
for f in build/native/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f"); name=${name#fuzz_}
  work="out/fuzz/$name"
  mkdir -p "$work"
  echo "== $name for ${seconds}s"
  "$f" -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="$work/" -print_final_stats=1 \
    "$work" "fuzz/corpus/$name" 2>&1 | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|Done' || true
  if ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* >/dev/null 2>&1; then status=1; fi
done
exit $status
