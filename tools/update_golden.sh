#!/usr/bin/env bash
# Records the golden pictures again after a deliberate change of what the game
# shows. Look at every changed picture before committing it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh build-test -DVESICOR_WERROR=ON >/dev/null
VESICOR_UPDATE_GOLDEN=1 tools/with_xvfb.sh ./build-test/vesicor_gl_tests --gtest_filter='GoldenPictures.*'
git status --short tests/gl/golden || true
