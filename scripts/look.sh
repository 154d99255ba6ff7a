#!/usr/bin/env bash
# Starts the bar on a virtual display (Xvfb + openbox) with a prepared configuration
# and saves a screenshot: scripts/look.sh [shot.png] [KX.INI to use]
# LOOK_STATE chooses what is shown: "full" (the bar as it starts), "small" (the 44 x 19
# bar after `kexbar --toggle`) or "traymenu" (the small bar's right-click menu, which is
# the tray icon's menu). scripts/look.sh --readme makes the README's three pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--readme" ]; then
  for state in full small traymenu; do
    LOOK_STATE=$state bash "$0" "docs/look-$state.png"
    # Only what is on the screen, with a narrow margin.
    convert "docs/look-$state.png" -trim +repage -bordercolor black -border 6 "docs/look-$state.png"
  done
  exit 0
fi
shot="$(realpath -m "${1:-shot.png}")"
dir="$(mktemp -d)"
if [ -n "${2:-}" ]; then cp "$2" "$dir/KX.INI"; else
cat > "$dir/KX.INI" <<'INI'
[Location]
Top=40
Left=30
[Pages]
Count=4
[Tabs]
PageTab1=Accessories
PageTab2=Development
PageTab3=Internet
[Programs]
SpeedButton1=/usr/bin/xterm
SpeedButton2=/usr/bin/openbox
SpeedButton3=/usr/bin/Xvfb
SpeedButton5=/bin/ls
[Names]
SpeedButton1=Terminal
SpeedButton2=Window manager~second line
[MRU]
Count=2
1=Terminal  |1
2=Window manager  |2
INI
fi
[ -x build/release/kexbar ] || { cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEXBAR_TESTS=OFF >/dev/null; cmake --build build/release -j2 --target kexbar; }
display=:${LOOK_DISPLAY:-97}
Xvfb "$display" -screen 0 1024x300x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
DISPLAY=$display openbox >/dev/null 2>&1 & wm=$!
sleep 0.5
export DISPLAY=$display KEXBAR_DIR="$dir"
dbus-run-session -- bash -c '
  build/release/kexbar >/dev/null 2>&1 & bar=$!
  sleep "${LOOK_WAIT:-2}"
  case "${LOOK_STATE:-full}" in
    small | traymenu)
      build/release/kexbar --toggle
      sleep 1 ;;
  esac
  if [ "${LOOK_STATE:-full}" = traymenu ]; then
    small="$(xdotool search --onlyvisible --class kexbar | head -n 1)"
    eval "$(xdotool getwindowgeometry --shell "$small")"
    xdotool mousemove $((X + 20)) $((Y + 9)) click 3
    sleep 1
  fi
  import -window root "$1"
  kill $bar' look "$shot" 2>/dev/null & bar=$!
wait $bar 2>/dev/null || true
kill $wm $xvfb 2>/dev/null || true
wait 2>/dev/null || true
echo "screenshot: $shot (configuration in $dir)"
