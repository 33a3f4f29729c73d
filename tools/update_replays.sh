#!/usr/bin/env bash
# Records the world hashes of every replay script after a deliberate change
# of behaviour. Review the diff of tests/replay/scripts before committing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh build-test -DVESICOR_WERROR=ON >/dev/null
SDL_VIDEODRIVER=dummy VESICOR_UPDATE_REPLAYS=1 ./build-test/vesicor_tests_replay
git diff --stat tests/replay/scripts || true
