#!/usr/bin/env bash
# The repository's check scripts, each in a small world of its own:
# number-decisions.py, check-commits.sh, and check-format.sh where clang-format is
# installed.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
expect_rc() { # expected-rc description command...
  local want=$1 what=$2
  shift 2
  "$@" >"$work/out" 2>&1
  local rc=$?
  [ "$rc" -eq "$want" ] || fail "$what: exit $rc, expected $want: $(cat "$work/out")"
}
# A repository with the scripts and configuration of this one.
new_repo() {
  local dir=$1
  mkdir -p "$dir/scripts"
  cp "$root/scripts/check-commits.sh" "$root/scripts/check-format.sh" "$root/scripts/number-decisions.py" "$dir/scripts/"
  cp "$root/.clang-format" "$dir/"
  git -C "$dir" init -q -b main
  git -C "$dir" config user.email t@example.org
  git -C "$dir" config user.name test
  git -C "$dir" config commit.gpgsign false
  git -C "$dir" add -A
  git -C "$dir" commit -q -m "base"
}

# ---------------------------------------------------------------- decision numbers
decisions="$work/decisions.md"
cat >"$decisions" <<'MD'
# Decisions

<!-- decisions numbered up to D5 -->

## One

- **D3** An old entry
  over two lines.
- A new entry.

```
- not an entry
```

## Two

- Another new entry.
MD
expect_rc 1 "--check finds the entries without a number" python3 "$root/scripts/number-decisions.py" --check "$decisions"
grep -q "line 9: an entry without a number" "$work/out" || fail "--check names the line: $(cat "$work/out")"
expect_rc 0 "numbering" python3 "$root/scripts/number-decisions.py" "$decisions"
cat >"$work/want.md" <<'MD'
# Decisions

<!-- decisions numbered up to D7 -->

## One

- **D3** An old entry
  over two lines.
- **D6** A new entry.

```
- not an entry
```

## Two

- **D7** Another new entry.
MD
cmp -s "$decisions" "$work/want.md" || fail "numbering: $(diff "$work/want.md" "$decisions")"
cp "$decisions" "$work/again.md"
expect_rc 0 "numbering again" python3 "$root/scripts/number-decisions.py" "$work/again.md"
cmp -s "$decisions" "$work/again.md" || fail "a second run changed the numbers"
expect_rc 0 "--check on a numbered file" python3 "$root/scripts/number-decisions.py" --check "$decisions"
# The highest number's entry removed: its number is not given again.
grep -v '^- \*\*D7' "$decisions" >"$work/removed.md"
printf -- '- Newest.\n' >>"$work/removed.md"
python3 "$root/scripts/number-decisions.py" "$work/removed.md"
grep -q '^- \*\*D8\*\* Newest.$' "$work/removed.md" || fail "a removed entry's number was given again: $(tail -1 "$work/removed.md")"
# A file without the record of the highest number gets it below its title.
printf '# Decisions\n\n- **D1** First.\n- **D1** Second.\n- Third.\n' >"$work/twice.md"
cp "$work/twice.md" "$work/want.md"
expect_rc 1 "a number given twice is refused" python3 "$root/scripts/number-decisions.py" "$work/twice.md"
grep -q "line 4: D1 also on line 3" "$work/out" || fail "the lines are named: $(cat "$work/out")"
cmp -s "$work/twice.md" "$work/want.md" || fail "a refused file was changed"
printf '# Decisions\n\n- First.\n- **D4** Second.\n' >"$work/fresh.md"
python3 "$root/scripts/number-decisions.py" "$work/fresh.md"
printf '# Decisions\n\n<!-- decisions numbered up to D5 -->\n\n- **D5** First.\n- **D4** Second.\n' >"$work/want.md"
cmp -s "$work/fresh.md" "$work/want.md" || fail "first numbering: $(diff "$work/want.md" "$work/fresh.md")"

# ---------------------------------------------------------------- commit subjects
repo="$work/commits"
new_repo "$repo"
git -C "$repo" commit -q --allow-empty -m "$(printf 'x%.0s' $(seq 72))"
expect_rc 0 "a subject of 72 characters" bash "$repo/scripts/check-commits.sh" main~0
expect_rc 0 "since main" bash "$repo/scripts/check-commits.sh"
base=$(git -C "$repo" rev-parse HEAD)
git -C "$repo" commit -q --allow-empty -m "$(printf 'y%.0s' $(seq 73))"
long=$(git -C "$repo" rev-parse --short=12 HEAD)
git -C "$repo" commit -q --allow-empty -m "$(printf 'A first line\nand its second line are one subject of more than seventy-two characters')"
expect_rc 1 "subjects over 72 characters" bash "$repo/scripts/check-commits.sh" "$base"
grep -q "$long has a subject of 73 characters" "$work/out" || fail "the long commit is named: $(cat "$work/out")"
grep -q "2 commit subject(s) too long" "$work/out" || fail "a two-line first paragraph is one subject: $(cat "$work/out")"
expect_rc 2 "an unknown base" bash "$repo/scripts/check-commits.sh" no-such-branch

# ---------------------------------------------------------------- layout
if command -v clang-format-14 >/dev/null 2>&1 || command -v clang-format >/dev/null 2>&1; then
  repo="$work/format"
  mkdir -p "$repo/src"
  printf 'int Twice(int n) { return 2 * n; }\n\nint Long(int n)\n{\n    n += 1;\n    return n;\n}\n' >"$repo/src/good.cpp"
  printf 'int  Thrice( int n ) {return 3*n;}\n' >"$repo/src/bad.cpp"
  printf 'int  Ignored( ) {return 0;}\n' >"$repo/src/notes.txt"
  new_repo "$repo"
  expect_rc 1 "a file laid out otherwise" bash "$repo/scripts/check-format.sh"
  grep -q '^  src/bad.cpp$' "$work/out" || fail "the file is listed: $(cat "$work/out")"
  grep -q 'good.cpp' "$work/out" && fail "a well laid out file is listed: $(cat "$work/out")"
  expect_rc 0 "--fix" bash "$repo/scripts/check-format.sh" --fix
  expect_rc 0 "after --fix" bash "$repo/scripts/check-format.sh"
  grep -q 'int  Ignored' "$repo/src/notes.txt" || fail "--fix changed a file that is no C++ source"
  expect_rc 2 "an unknown option" bash "$repo/scripts/check-format.sh" --all
else
  echo "clang-format is not installed: the layout check is not tried"
fi

[ "$failures" -eq 0 ] && echo "all script checks passed"
exit $((failures > 0))
