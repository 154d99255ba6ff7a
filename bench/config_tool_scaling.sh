#!/usr/bin/env bash
# kexbar-config as a whole process on configurations of 10, 100 and 1,000 pages of 16
# buttons (program, description and icon each, a name for every page): the median
# wall time of each size over interleaved runs, and each size's ratio to 10 pages.
# Target: `get` on 1,000 pages within 3 x the 10-page time.
#   bench/config_tool_scaling.sh [kexbar-config=build/release/kexbar-config] [runs=21] [COMMAND ARGS...]
# The command defaults to `get Location Top`; a changing command is run on a fresh
# copy of the file each time.
set -euo pipefail
cd "$(dirname "$0")/.."
tool="$(realpath "${1:-build/release/kexbar-config}")"
runs="${2:-21}"
shift $(( $# > 2 ? 2 : $# ))
command=("$@")
[ ${#command[@]} -gt 0 ] || command=(get Location Top)
[ -x "$tool" ] || { echo "no kexbar-config at $tool" >&2; exit 1; }
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
sizes=(10 100 1000)

# The same file as bench/core_store.cpp makes.
make_bar() {
    awk -v pages="$1" 'BEGIN {
        printf "[Location]\nTop=412\nLeft=0\nOnTop=No\nShrink=Yes\nButtonCount=16\nUser=:1\nRun=Yes\n"
        printf "\n[Pages]\nCount=%d\n\n[Tabs]\nSelectedColor=12632256\nUnselectedColor=8421376\n", pages
        for (p = 1; p <= pages; ++p) printf "PageTab%d=Page name %d\n", p, p
        split("Programs Names Icons", section, " ")
        split("/usr/bin/program-|Program number |/usr/share/pixmaps/p", value, "|")
        for (s = 1; s <= 3; ++s) {
            printf "\n[%s]\n", section[s]
            for (n = 1; n <= pages * 16; ++n) printf "SpeedButton%d=%s%d\n", n, value[s], n
        }
    }'
}

for p in "${sizes[@]}"; do
    mkdir -p "$dir/$p"
    make_bar "$p" > "$dir/$p/master"
    cp "$dir/$p/master" "$dir/$p/KX.INI"
done

# One run: milliseconds, three decimals.
run_once() {
    cp "$dir/$1/master" "$dir/$1/KX.INI"
    local start=$EPOCHREALTIME
    "$tool" "$dir/$1/KX.INI" "${command[@]}" > /dev/null 2>&1 || true
    local end=$EPOCHREALTIME
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", (b - a) * 1000 }'
}

for p in "${sizes[@]}"; do run_once "$p" > /dev/null; done # warm-up
for ((i = 0; i < runs; ++i)); do
    for p in "${sizes[@]}"; do run_once "$p" >> "$dir/times.$p"; done
done

median() { sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
base=$(median "$dir/times.10")
echo "kexbar-config FILE ${command[*]}: median of $runs interleaved runs"
for p in "${sizes[@]}"; do
    m=$(median "$dir/times.$p")
    awk -v p="$p" -v bytes="$(stat -c %s "$dir/$p/master")" -v m="$m" -v b="$base" \
        'BEGIN { printf "%5d pages %9d bytes %9.2f ms  %5.2f x 10 pages\n", p, bytes, m, m / b }'
done
