#!/usr/bin/env bash
# Checks that every tracked C++ file (*.h, *.cpp) is laid out as .clang-format says:
# lists the files that are not and fails. With --fix it rewrites them in place.
# clang-format 14 (Debian 12's clang-format) decides; other versions lay out a few
# constructs differently.
set -euo pipefail
cd "$(dirname "$0")/.."
fix=0
case "${1:-}" in
  --fix) fix=1 ;;
  "") ;;
  *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

format=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null 2>&1; then
    format=$candidate
    break
  fi
done
if [ -z "$format" ]; then
  echo "check-format: clang-format is not installed (apt-get install clang-format)" >&2
  exit 2
fi
if ! "$format" --version | grep -q 'version 14\.'; then
  echo "check-format: $("$format" --version) is not clang-format 14; its layout may differ" >&2
fi

mapfile -t files < <(git ls-files -- '*.h' '*.cpp')
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no tracked C++ files" >&2
  exit 2
fi
if [ "$fix" -eq 1 ]; then
  "$format" -i --style=file "${files[@]}"
  exit 0
fi

# Each file that needs a change draws "FILE:LINE:COL: error: code should be
# clang-formatted"; any other complaint (a file clang-format cannot read) is shown.
report=$("$format" --dry-run -Werror --style=file "${files[@]}" 2>&1) && status=0 || status=$?
if [ "$status" -eq 0 ]; then
  exit 0
fi
bad=$(printf '%s\n' "$report" | sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ -z "$bad" ]; then
  printf '%s\n' "$report" >&2
  exit "$status"
fi
echo "check-format: these files are not laid out as .clang-format says (bash scripts/check-format.sh --fix):" >&2
printf '%s\n' "$bad" | sed 's/^/  /' >&2
exit 1
