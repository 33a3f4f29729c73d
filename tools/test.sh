#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
bash tools/build.sh build-test -DVESICOR_WERROR=ON
ctest --test-dir build-test --output-on-failure -j 2
