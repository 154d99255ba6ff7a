#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time, starting
# from its seed corpus in fuzz/corpus/<name>/ (never changed: new inputs go to
# build/fuzz/found/<name>/, crashes to build/fuzz/crash-*). Usage:
#   bash scripts/fuzz.sh            # 20 s per target, as the test command runs it
#   bash scripts/fuzz.sh 3600       # an hour per target
# Exits 0 without running anything when clang is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz.sh: clang++ not installed; the fuzz targets are not run"
  exit 0
fi
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEXBAR_FUZZ=ON \
  -DKEXBAR_TESTS=OFF >/dev/null
cmake --build build/fuzz -j2 --target fuzzers
for exe in build/fuzz/fuzz/*_fuzz; do
  name="$(basename "$exe" _fuzz)"
  found="build/fuzz/found/$name"
  mkdir -p "$found"
  echo "fuzz.sh: $name for ${seconds} s"
  "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/ "$found" "fuzz/corpus/$name" 2>&1 | tail -n 12
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzz.sh: $name found a fault (build/fuzz/crash-*)"; exit 1; }
done
