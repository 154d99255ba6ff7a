#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each from its seed corpus in
# fuzz/corpus/<name>/ (never changed). Usage:
#   bash scripts/fuzz.sh          # a fixed, repeatable run (seed 1, 300,000 inputs per
#                                 # target), as the test command runs it: the same tree
#                                 # gives the same verdict on every machine
#   bash scripts/fuzz.sh 3600     # a random search of an hour per target; new inputs
#                                 # are kept in build/fuzz/found/<name>/
# Crashes go to build/fuzz/crash-*. Exits 0 without running anything when clang is
# not installed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz.sh: clang++ not installed; the fuzz targets are not run"
  exit 0
fi
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEXBAR_FUZZ=ON \
  -DKEXBAR_TESTS=OFF >/dev/null
cmake --build build/fuzz -j2 --target fuzzers
for exe in build/fuzz/fuzz/*_fuzz; do
  name="$(basename "$exe" _fuzz)"
  if [ -n "$seconds" ]; then
    found="build/fuzz/found/$name"
    mkdir -p "$found"
    limits=(-max_total_time="$seconds")
    echo "fuzz.sh: $name for ${seconds} s"
  else
    found="$(mktemp -d)"
    limits=(-seed=1 -runs=300000)
    echo "fuzz.sh: $name, 300000 inputs from seed 1"
  fi
  "$exe" "${limits[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/ "$found" "fuzz/corpus/$name" 2>&1 | tail -n 12
  status="${PIPESTATUS[0]}"
  [ -n "$seconds" ] || rm -rf "$found"
  [ "$status" -eq 0 ] || { echo "fuzz.sh: $name found a fault (build/fuzz/crash-*)"; exit 1; }
done
