#!/usr/bin/env bash
# The game in a web browser. `bash tools/web.sh` installs what the browser
# build needs, builds the page into build-web/page/ (index.html with its .js,
# .wasm and data, for any static web host) and serves it on 127.0.0.1 for a
# player to open; `bash tools/web.sh build` only builds.
set -euo pipefail
cd "$(dirname "$0")/.."
what="${1:-serve}"
port="${VESICOR_WEB_PORT:-8080}"

packages=(emscripten cmake ninja-build python3)
bash "$(dirname "$0")/apt_install.sh" "${packages[@]}"

# Debian's emscripten finds its JavaScript packages there, whichever node runs it.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DVESICOR_TESTS=OFF -DVESICOR_BENCH=OFF >/dev/null
cmake --build build-web -j 2
echo "The page is in build-web/page/ ($(du -sh build-web/page | cut -f1))."

if [ "$what" = "build" ]; then
  exit 0
fi
echo "Open http://127.0.0.1:$port/ in a browser (Ctrl+C stops the server)."
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/page
