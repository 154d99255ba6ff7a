#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the bar need.
# Nothing is done when they are all present; otherwise apt-get update + install.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6
  libglib2.0-dev libgnome-menu-3-dev libcanberra-dev libasound2-dev libxcb1-dev libxcb-xinput-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  dbus dbus-x11 python3-dbusmock xvfb xauth openbox xdotool x11-utils imagemagick
  appstream desktop-file-utils groff-base clang-format
  fonts-liberation fonts-dejavu-core
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
