#!/usr/bin/env bash
# Checks the subject of every commit since BASE (default main): at most 72 characters.
# A first paragraph of several lines counts as one subject, as git shows it.
#     bash scripts/check-commits.sh [BASE]
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:-main}
limit=72
if ! git rev-parse --verify --quiet "$base^{commit}" >/dev/null; then
  echo "check-commits: no commit $base" >&2
  exit 2
fi
long=0
while IFS= read -r -d '' record; do
  hash=${record%% *}
  subject=${record#* }
  if [ "${#subject}" -gt "$limit" ]; then
    echo "check-commits: ${hash:0:12} has a subject of ${#subject} characters (at most $limit): $subject" >&2
    long=$((long + 1))
  fi
done < <(git log -z --format='%H %s' "$base..HEAD")
if [ "$long" -gt 0 ]; then
  echo "check-commits: $long commit subject(s) too long" >&2
  exit 1
fi
