#!/usr/bin/env python3
"""Numbers the entries of docs/decisions.md, so that other documents can point to them
("D12").

An entry is a top-level list item ("- " at the start of a line). It is numbered by a
"**D<n>**" right after its dash. A number once given stays with its entry: entries that
carry one keep it, new ones get the next number after the highest ever given, which the
file records in a comment below its title, so that a number is never given twice even
when its entry is gone.

    scripts/number-decisions.py [FILE]          numbers the entries in place
    scripts/number-decisions.py --check [FILE]  fails when an entry has no number or a
                                                number appears twice
"""
import re
import sys

ENTRY = re.compile(r"^- (?:\*\*D(\d+)\*\* )?")
HIGHEST = re.compile(r"^<!-- decisions numbered up to D(\d+) -->$")


def entries(lines):
    """The indexes of the lines that begin an entry (none inside a fenced code block)."""
    fenced = False
    for i, line in enumerate(lines):
        if line.startswith("```"):
            fenced = not fenced
        elif not fenced and ENTRY.match(line):
            yield i


def number(lines):
    """The lines with every entry numbered, and the problems found (duplicate numbers)."""
    highest = 0
    seen = {}
    problems = []
    for line in lines:
        m = HIGHEST.match(line.rstrip("\n"))
        if m:
            highest = max(highest, int(m.group(1)))
    starts = list(entries(lines))
    for i in starts:
        m = ENTRY.match(lines[i])
        if m.group(1):
            n = int(m.group(1))
            highest = max(highest, n)
            if n in seen:
                problems.append(f"line {i + 1}: D{n} also on line {seen[n] + 1}")
            seen[n] = i
    out = list(lines)
    for i in starts:
        if not ENTRY.match(out[i]).group(1):
            highest += 1
            out[i] = f"- **D{highest}** " + out[i][2:]
    marker = f"<!-- decisions numbered up to D{highest} -->\n"
    for i, line in enumerate(out):
        if HIGHEST.match(line.rstrip("\n")):
            out[i] = marker
            break
    else:
        # Below the title (and its blank line), or first when there is none.
        at = 0
        if out and out[0].startswith("# "):
            at = 1
        out[at:at] = ["\n", marker] if at else [marker, "\n"]
    return out, problems


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    path = args[0] if args else "docs/decisions.md"
    with open(path, encoding="utf-8") as f:
        lines = f.readlines()
    numbered, problems = number(lines)
    if check:
        for i in entries(lines):
            if not ENTRY.match(lines[i]).group(1):
                problems.append(f"line {i + 1}: an entry without a number")
        for p in problems:
            print(f"{path}: {p}", file=sys.stderr)
        return 1 if problems else 0
    for p in problems:
        print(f"{path}: {p}", file=sys.stderr)
    if problems:
        return 1
    if numbered != lines:
        with open(path, "w", encoding="utf-8") as f:
            f.writelines(numbered)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
