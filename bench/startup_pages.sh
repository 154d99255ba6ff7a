#!/usr/bin/env bash
# The bar's start-up as a whole process under Xvfb, against a bare Qt window: the time
# from the start of the process to its window's first map (read from the root window's
# MapNotify events), median of interleaved runs, at 10 pages x 16, 100 x 21 and
# 1,000 x 16 configured buttons (a program, a description and an icon file of its own
# each), then each resident size (VmRSS) two seconds after the map.
# Goals: 100 x 21 within 1.5 x the 10-page time, 1,000 x 16 within 2 x; resident memory
# at 100 pages within 6 MiB of 10 pages.
#   bench/startup_pages.sh [kexbar=build/release/kexbar] [runs=7] [display=:151]
# The bare window is build/release/bench/bench_bare_window (configure with -DKEXBAR_BENCH=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
bar="$(realpath "${1:-build/release/kexbar}")"
runs="${2:-7}"
display="${3:-:151}"
bare="$(dirname "$bar")/bench/bench_bare_window"
[ -x "$bar" ] || { echo "no bar at $bar" >&2; exit 1; }
[ -x "$bare" ] || { echo "no bare window at $bare" >&2; exit 1; }
dir="$(mktemp -d)"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$dir"; }
trap cleanup EXIT
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY

# One bar directory: pages x per buttons, every button with an icon file of its own.
make_bar() { # name pages per
    local d="$dir/$1"
    mkdir -p "$d/icons"
    python3 - "$d" "$2" "$3" <<'PY'
import os, struct, sys, zlib
d, pages, per = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
# A 32 x 32 red PNG.
raw = b"".join(b"\0" + b"\xff\0\0" * 32 for _ in range(32))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 32, 32, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
lines = ["[Location]", "Top=40", "Left=0", "ButtonCount=%d" % per, "Run=Yes", "", "[Pages]", "Count=%d" % pages, "", "[Tabs]"]
lines += ["PageTab%d=Group %d" % (p, p) for p in range(1, pages + 1)]
n = pages * per
for section, value in (("Programs", "/usr/bin/true"), ("Names", "Program number %d~second line"), ("Icons", d + "/icons/i%d.png")):
    lines += ["", "[%s]" % section]
    for i in range(1, n + 1):
        lines.append("SpeedButton%d=%s" % (i, value % i if "%d" in value else value))
for i in range(1, n + 1):
    with open(os.path.join(d, "icons", "i%d.png" % i), "wb") as f:
        f.write(png)
open(os.path.join(d, "KX.INI"), "w").write("\n".join(lines) + "\n")
PY
}
make_bar p10 10 16
make_bar p100 100 21
make_bar p1000 1000 16

# Seconds from the start of the process to the first map of a top-level window, and
# the process's id (it is left running).
time_to_map() { # command...
    local fifo="$dir/events"
    rm -f "$fifo"; mkfifo "$fifo"
    stdbuf -oL xev -root -event substructure > "$fifo" & local xev=$!
    exec 3< "$fifo"
    sleep 0.3
    local t0 t1 line
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 & local pid=$!
    while read -r -t 60 line <&3; do
        case "$line" in MapNotify*) break ;; esac
    done
    t1=$(date +%s.%N)
    exec 3<&-
    kill $xev 2>/dev/null || true; wait $xev 2>/dev/null || true
    awk -v a="$t0" -v b="$t1" -v p="$pid" 'BEGIN { printf "%.4f %d\n", b - a, p }'
}
rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
stop() { kill "$1" 2>/dev/null || true; while kill -0 "$1" 2>/dev/null; do sleep 0.05; done; }

declare -A times rss
names=(bare p10 p100 p1000)
for ((r = 0; r < runs; ++r)); do
    for name in "${names[@]}"; do
        if [ "$name" = bare ]; then
            read -r t last < <(time_to_map "$bare")
        else
            read -r t last < <(KEXBAR_DIR="$dir/$name" time_to_map "$bar")
        fi
        times[$name]+="$t "
        if [ "$r" -eq 0 ]; then sleep 2; rss[$name]=$(rss_kib "$last"); fi
        stop "$last"
    done
done
median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
declare -A med
for name in "${names[@]}"; do med[$name]=$(echo "${times[$name]}" | median); done
printf "%-22s %10s %12s %12s\n" "start -> mapped" "median s" "x bare" "x 10 pages"
for name in "${names[@]}"; do
    awk -v n="$name" -v t="${med[$name]}" -v b="${med[bare]}" -v p="${med[p10]}" \
        'BEGIN { printf "%-22s %10.4f %12.2f %12.2f\n", n, t, t / b, t / p }'
done
printf "\n%-22s %10s %12s\n" "resident" "KiB" "- bare MiB"
for name in "${names[@]}"; do
    awk -v n="$name" -v k="${rss[$name]}" -v b="${rss[bare]}" 'BEGIN { printf "%-22s %10d %12.1f\n", n, k, (k - b) / 1024 }'
done
awk -v a="${med[p10]}" -v b="${med[p100]}" -v c="${med[p1000]}" -v r10="${rss[p10]}" -v r100="${rss[p100]}" 'BEGIN {
    printf "\n100 x 21 / 10 pages: %.2f (goal <= 1.5); 1000 x 16 / 10 pages: %.2f (goal <= 2)\n", b / a, c / a
    printf "RSS 100 pages - 10 pages: %.1f MiB (goal <= 6)\n", (r100 - r10) / 1024 }'
