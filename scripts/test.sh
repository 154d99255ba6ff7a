#!/usr/bin/env bash
# Installs what is missing, builds from scratch with AddressSanitizer and
# UndefinedBehaviorSanitizer, warnings as errors, and runs every test (no display, sound
# card or session bus needed), the check of the install tree among them
# (scripts/check-install.sh), the tests labelled `slow` after the rest (with their quick
# count of rounds; KEXBAR_FULL_ROUNDS=1 for the full one); then, when Xvfb is
# installed, the bar end to end (scripts/e2e.sh, a Release build on a virtual display),
# and, when clang is installed, every fuzz target for a fixed, repeatable run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
rm -rf build/test
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEXBAR_SANITIZE=ON -DKEXBAR_BENCH=ON -DKEXBAR_WERROR=ON
cmake --build build/test -j2
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
ctest --test-dir build/test --output-on-failure -j2 --label-exclude slow
ctest --test-dir build/test --output-on-failure -j2 --label-regex slow
if command -v Xvfb >/dev/null 2>&1; then
  rm -rf build/release
  bash scripts/e2e.sh build/release
fi
bash scripts/fuzz.sh
