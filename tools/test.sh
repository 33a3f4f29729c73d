#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the whole suite
# (with warnings as errors), again on sdl12-compat, again under
# AddressSanitizer and UndefinedBehaviorSanitizer, each fuzzer for a while,
# the shipped game headless under valgrind, and the browser build in a
# headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

echo "== build and test =="
bash tools/build.sh build-test -DVESICOR_WERROR=ON
ctest --test-dir build-test --output-on-failure -j 2

echo "== the same suite on sdl12-compat (the SDL 1.2 of newer distributions) =="
bash tools/test_sdl12_compat.sh build-test

echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer =="
bash tools/build.sh build-asan -DVESICOR_WERROR=ON -DVESICOR_SANITIZE=ON -DVESICOR_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j 2

echo "== each fuzzer for 30 s on top of its corpus =="
bash tools/fuzz_ci.sh build-fuzz

echo "== the shipped game headless under valgrind =="
bash tools/valgrind_game.sh build-test/vesicor

echo "== the browser build, played in a headless Chromium =="
bash tools/apt_install.sh chromium python3-websocket
bash tools/web.sh build
/usr/bin/python3 tests/web/browser_test.py build-web/page
