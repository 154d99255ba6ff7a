#!/usr/bin/env bash
# Starts the bar on a virtual display (Xvfb + openbox) with a prepared configuration
# and saves a screenshot: scripts/look.sh [shot.png] [KX.INI to use]
set -euo pipefail
cd "$(dirname "$0")/.."
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
INI
fi
[ -x build/release/kexbar ] || { cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEXBAR_TESTS=OFF >/dev/null; cmake --build build/release -j2 --target kexbar; }
display=:${LOOK_DISPLAY:-97}
Xvfb "$display" -screen 0 1024x300x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
DISPLAY=$display openbox >/dev/null 2>&1 & wm=$!
sleep 0.5
DISPLAY=$display KEXBAR_DIR="$dir" dbus-run-session build/release/kexbar >/dev/null 2>&1 & bar=$!
sleep "${LOOK_WAIT:-2}"
DISPLAY=$display import -window root "$shot"
kill $bar $wm $xvfb 2>/dev/null || true
wait 2>/dev/null || true
echo "screenshot: $shot (configuration in $dir)"
