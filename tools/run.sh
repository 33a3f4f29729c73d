#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from the repository root.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
bash tools/build.sh build -DVESICOR_TESTS=OFF -DVESICOR_BENCH=OFF
exec ./build/vesicor
