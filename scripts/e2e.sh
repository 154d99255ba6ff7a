#!/usr/bin/env bash
# The bar end to end, as a user meets it: a Release build installed into a temporary
# prefix (the install tree checked), started on a virtual display with openbox and a
# session bus of its own. A click on a button starts its program, the bar shrinks to
# its gauge while the program runs and comes back to its place when it ends; a second
# `kexbar --activate 2` launches button 2 of the running bar; a screenshot is kept.
#     scripts/e2e.sh [BUILD_DIR] [SHOT.png]
# BUILD_DIR defaults to build/release (built when it holds no kexbar). Exit status 0
# when every step was seen; otherwise the failed step is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"
shot="$(realpath -m "${2:-$build/e2e.png}")"

if [ ! -x "$build/kexbar" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEXBAR_TESTS=OFF >/dev/null
  cmake --build "$build" -j2
fi
# The run is timed from here: the build above is not part of it.
started=$SECONDS
bash scripts/check-install.sh "$build"

work="$(mktemp -d)"
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
fail() {
  echo "e2e: $*" >&2
  xdotool search --name . 2>/dev/null | while read -r w; do xwininfo -id "$w" | grep -E "xwininfo|Map State|Absolute" >&2; done
  [ -s "$work/openbox.log" ] && sed "s/^/e2e: openbox: /" "$work/openbox.log" >&2
  [ -s "$work/bar.log" ] && sed 's/^/e2e: bar: /' "$work/bar.log" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$shot" 2>/dev/null && echo "e2e: screen at $shot" >&2
  exit 1
}
# Waits up to $1 seconds for the command after it to succeed.
within() {
  local limit=$1 waited=0
  shift
  until "$@"; do
    sleep 0.2
    waited=$((waited + 1))
    [ $waited -lt $((limit * 5)) ] || return 1
  done
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
bin="$work/prefix/bin"

# A display of its own, its window manager and session bus.
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x600x24 -nolisten tcp 2>/dev/null)
read -r -t 20 number <&3 || fail "Xvfb did not start"
pids+=($(pgrep -n -x Xvfb))
export DISPLAY=":$number"
# The X11 display, whatever the caller's tests ran on (the test command runs them
# offscreen).
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
eval "$(dbus-launch --sh-syntax)"
pids+=("$DBUS_SESSION_BUS_PID")
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
within 20 wm_ready || fail "openbox did not start"

# The bar's directory: button 1 runs for three seconds, button 2 leaves a mark.
export KEXBAR_DIR="$work/bar"
mkdir -p "$KEXBAR_DIR"
cat >"$work/first.sh" <<EOF
#!/bin/sh
touch "$work/first.ran"
sleep 3
EOF
cat >"$work/second.sh" <<EOF
#!/bin/sh
touch "$work/second.ran"
EOF
chmod +x "$work/first.sh" "$work/second.sh"
cat >"$KEXBAR_DIR/KX.INI" <<EOF
[Location]
Top=60
Left=40
Shrink=Yes
[Pages]
Count=2
[Tabs]
PageTab1=First
[Programs]
SpeedButton1=$work/first.sh
SpeedButton2=$work/second.sh
[Names]
SpeedButton1=Runs three seconds
SpeedButton2=Leaves a mark
EOF

"$bin/kexbar" >"$work/bar.log" 2>&1 &
pids+=($!)

# The bar's visible top-level window and its geometry (x y width height).
bar_window() { xdotool search --onlyvisible --class kexbar 2>/dev/null | head -n 1; }
geometry() {
  local id
  id="$(bar_window)" || return 1
  [ -n "$id" ] || return 1
  xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}
size_is() { local g; g="$(geometry)" || return 1; set -- $g; [ "$3 $4" = "$want" ]; }

has_window() { [ -n "$(bar_window)" ]; }
within 20 has_window || fail "the bar's window did not appear"
sleep 0.5
read -r x y width height <<<"$(geometry)"
echo "e2e: the bar shows at $x,$y, $width x $height"
[ "$width" -gt 300 ] || fail "the full bar is only $width pixels wide"

# A click on button 1: the buttons start right of the 44-pixel gauge panel, 37 pixels
# square.
xdotool mousemove $((x + 44 + 18)) $((y + 18)) click 1
within 10 test -e "$work/first.ran" || fail "a click on button 1 did not start its program"
want="44 19"
within 10 size_is || fail "the bar did not shrink to 44 x 19 while its program ran ($(geometry))"
echo "e2e: button 1 started its program; the bar is 44 x 19"
want="$width $height"
within 15 size_is || fail "the bar did not come back at full size when the program ended ($(geometry))"
read -r x2 y2 _ _ <<<"$(geometry)"
[ "$x2 $y2" = "$x $y" ] || fail "the bar came back at $x2,$y2, not at $x,$y"
echo "e2e: the program ended; the bar is back at $x2,$y2"

# Launch by number from a second process.
"$bin/kexbar" --activate 2 || fail "kexbar --activate 2 failed"
within 10 test -e "$work/second.ran" || fail "kexbar --activate 2 did not start button 2's program"
echo "e2e: kexbar --activate 2 started button 2's program"

sleep 0.5
import -window root "$shot"
echo "e2e: passed in $((SECONDS - started)) s; screenshot $shot"
