#!/usr/bin/env bash
# The idle bar's wake-ups and processor use under Xvfb with openbox, the pointer still:
# focused (its window active), unfocused (another window active) and with the eyes
# shown. Wake-ups are the voluntary context switches of all the bar's threads (each
# wake-up ends in one), read from /proc over the period, as is the user + system time.
# Goals: <= 12 wake-ups/s with the eyes, <= 1/s otherwise (the gauge's refresh).
#   bench/idle_wakeups.sh [seconds=30] [kexbar=build/release/kexbar] [display=:152]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
bar="$(realpath "${2:-build/release/kexbar}")"
display="${3:-:152}"
bare="$(dirname "$bar")/bench/bench_bare_window"
[ -x "$bar" ] || { echo "no bar at $bar" >&2; exit 1; }
dir="$(mktemp -d)"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$dir"; }
trap cleanup EXIT
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
openbox >/dev/null 2>&1 & pids+=($!)
sleep 1
xdotool mousemove 900 600

switches() { # pid: voluntary context switches of every thread
    cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { s += $2 } END { print s }'
}
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

measure() { # label gauge-type focus(bar|other)
    local d="$dir/$1"
    mkdir -p "$d"
    printf '[Location]\nTop=40\nLeft=30\n[Gauge]\nType=%s\n' "$2" > "$d/KX.INI"
    KEXBAR_DIR="$d" dbus-run-session -- "$bar" >/dev/null 2>&1 & local session=$!
    local barpid="" other=""
    for _ in $(seq 50); do barpid=$(pgrep -P "$session" -x kexbar || true); [ -n "$barpid" ] && break; sleep 0.1; done
    [ -n "$barpid" ] || { echo "the bar did not start" >&2; exit 1; }
    sleep 2
    local win
    win=$(xdotool search --sync --onlyvisible --pid "$barpid" | head -1)
    if [ "$3" = bar ]; then
        xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
    else
        "$bare" >/dev/null 2>&1 & other=$!
        sleep 1
        xdotool windowactivate --sync "$(xdotool search --sync --onlyvisible --pid "$other" | head -1)" 2>/dev/null || true
    fi
    xdotool mousemove 900 600
    sleep 2 # settled
    local s0 c0 t0 s1 c1 t1
    s0=$(switches "$barpid"); c0=$(ticks "$barpid"); t0=$(date +%s.%N)
    sleep "$seconds"
    s1=$(switches "$barpid"); c1=$(ticks "$barpid"); t1=$(date +%s.%N)
    awk -v l="$1" -v s=$((s1 - s0)) -v c=$((c1 - c0)) -v hz="$hz" -v a="$t0" -v b="$t1" 'BEGIN {
        secs = b - a; printf "%-26s %8.2f wake-ups/s %8.3f %% of a core\n", l, s / secs, 100 * c / hz / secs }'
    [ -n "$other" ] && { kill "$other" 2>/dev/null || true; wait "$other" 2>/dev/null || true; }
    kill "$session" "$barpid" 2>/dev/null || true; wait "$session" 2>/dev/null || true
}
echo "over $seconds s, the pointer still:"
measure "focused, gauge" SystemMemory1 bar
measure "unfocused, gauge" SystemMemory1 other
measure "eyes, focused" Eyes1 bar
measure "eyes, unfocused" Eyes1 other
echo "goals: <= 12 wake-ups/s with the eyes, <= 1 otherwise"
