#!/usr/bin/env bash
# The long monkey soak: random play of the shipped game for an hour of game
# time (a fake clock, so it runs faster than real time) under AddressSanitizer
# and UndefinedBehaviorSanitizer. Usage: tools/soak.sh [minutes] [seed]
set -euo pipefail
cd "$(dirname "$0")/.."
minutes="${1:-60}"
seed="${2:-20261206}"
bash tools/setup.sh
bash tools/build.sh build-asan -DVESICOR_WERROR=ON -DVESICOR_SANITIZE=ON -DVESICOR_BENCH=OFF >/dev/null
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  SDL_VIDEODRIVER=dummy VESICOR_SOAK_MINUTES="$minutes" VESICOR_SOAK_SEED="$seed" \
  ./build-asan/vesicor_tests_soak --gtest_filter='MonkeySoak.*' | grep -v '^Loaded: '
