#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: names and bugprone checks) on the C++ files changed
# against BASE (default main), committed or not, with the compile commands of a build
# (BUILD_DIR, default build/test; any configured build has compile_commands.json).
# A changed header is checked through the changed sources and through its own .cpp.
# Fails when clang-tidy finds anything.
#     bash scripts/tidy.sh [BASE]
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:-main}
build=${BUILD_DIR:-build/test}

tidy=""
for candidate in clang-tidy-14 clang-tidy; do
  if command -v "$candidate" >/dev/null 2>&1; then
    tidy=$candidate
    break
  fi
done
if [ -z "$tidy" ]; then
  echo "tidy: clang-tidy is not installed (apt-get install clang-tidy)" >&2
  exit 2
fi
if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy: no $build/compile_commands.json; configure a build first (see README) or set BUILD_DIR" >&2
  exit 2
fi
from=$(git merge-base "$base" HEAD)

mapfile -t changed < <(git diff --name-only --diff-filter=d "$from" -- '*.h' '*.cpp'; git ls-files --others --exclude-standard -- '*.h' '*.cpp')
if [ ${#changed[@]} -eq 0 ]; then
  echo "tidy: no C++ file changed against $base"
  exit 0
fi

# The sources to analyse: the changed ones and each changed header's own .cpp, if the
# build compiles them (the fuzz targets are compiled only by scripts/fuzz.sh).
declare -A sources=()
headers=()
for file in "${changed[@]}"; do
  case "$file" in
    *.h)
      headers+=("$file")
      [ -f "${file%.h}.cpp" ] && sources["${file%.h}.cpp"]=1
      ;;
    *.cpp) sources["$file"]=1 ;;
  esac
done
compiled=()
for file in "${!sources[@]}"; do
  if grep -qF "\"$PWD/$file\"" "$build/compile_commands.json"; then
    compiled+=("$file")
  else
    echo "tidy: $file is not compiled by $build, skipped" >&2
  fi
done
# Warnings in headers are shown for the changed headers only.
filter='^$'
if [ ${#headers[@]} -gt 0 ]; then
  filter="^$PWD/($(printf '%s\n' "${headers[@]}" | sed 's/[.]/[.]/g' | paste -sd '|'))\$"
fi
if [ ${#compiled[@]} -eq 0 ]; then
  echo "tidy: nothing to analyse"
  exit 0
fi
echo "tidy: ${#compiled[@]} file(s) against $base"
printf '%s\n' "${compiled[@]}" | sort |
  xargs -P 2 -n 1 "$tidy" -p "$build" --quiet --header-filter="$filter"
