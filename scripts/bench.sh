#!/usr/bin/env bash
# make bench: release builds without sanitizers; runs every native benchmark,
# then the Windows ones under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
CC=clang CXX=clang++ cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVEX_SANITIZE=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build build/bench -j "$(nproc)" >/dev/null
cmake --build build/windows -j "$(nproc)" >/dev/null
for b in build/bench/*_bench; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true
done
for b in build/windows/*_bench.exe; do
  [ -f "$b" ] || continue
  echo "== $(basename "$b") (under Wine)"
  ./scripts/wine-session.sh wine "$b"
done
