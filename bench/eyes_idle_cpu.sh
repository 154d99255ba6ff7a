#!/usr/bin/env bash
# The bar's processor use with the eyes active and the pointer still: starts the bar
# on a virtual display (Xvfb) with "Show Eyes" stored, lets it settle, parks the
# pointer, and reads the bar's user + system time from /proc over a period.
# Target: under 0.2 % of one core over 60 s.
#   bench/eyes_idle_cpu.sh [seconds=60] [kexbar=build/bench/kexbar] [display=:141]
# GAUGE_TYPE=SystemMemory1 measures the bar with its gauge instead, for comparison.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
bar="$(realpath "${2:-build/bench/kexbar}")"
display="${3:-:141}"
[ -x "$bar" ] || { echo "no bar at $bar (build: cmake --build build/bench --target kexbar)" >&2; exit 1; }
dir="$(mktemp -d)"
cat > "$dir/KX.INI" <<INI
[Location]
Top=40
Left=30
[Gauge]
Type=${GAUGE_TYPE:-Eyes1}
INI
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$dir"; }
trap cleanup EXIT
Xvfb "$display" -screen 0 1024x300x24 >/dev/null 2>&1 & pids+=($!)
sleep 1
DISPLAY=$display xdotool mousemove 600 200
DISPLAY=$display KEXBAR_DIR="$dir" QT_QPA_PLATFORM=xcb dbus-run-session -- "$bar" >/dev/null 2>&1 & pids+=($!)
sleep 3 # start-up is not measured
barpid=$(pgrep -P "${pids[-1]}" -x kexbar) || { echo "the bar did not start" >&2; exit 1; }
ticks() { awk '{ print $14 + $15 }' "/proc/$barpid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
start=$(date +%s.%N)
sleep "$seconds"
after=$(ticks)
end=$(date +%s.%N)
awk -v type="Gauge/Type=${GAUGE_TYPE:-Eyes1}" -v t=$((after - before)) -v hz="$hz" -v s="$start" -v e="$end" 'BEGIN {
  secs = e - s; cpu = t / hz;
  printf "%s, pointer still: %.3f s of CPU in %.1f s = %.3f %% of one core (target < 0.2 %%)\n", type, cpu, secs, 100 * cpu / secs }'
