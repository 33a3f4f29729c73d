#!/usr/bin/env bash
# Installs everything the game, its tests, benchmarks and fuzzers need on a
# fresh Debian 12 machine. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-dev
  libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libenet-dev libgl1-mesa-dev libgl1-mesa-dri mesa-utils-bin
  xvfb xauth x11-utils
  libgtest-dev googletest libbenchmark-dev libpng-dev valgrind desktop-file-utils
  libsdl2-2.0-0
  emscripten chromium python3-websocket
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
