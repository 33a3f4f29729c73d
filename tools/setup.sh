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
)

bash "$(dirname "$0")/apt_install.sh" "${packages[@]}"
