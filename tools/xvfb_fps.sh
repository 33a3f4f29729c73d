#!/usr/bin/env bash
# Runs the game under Xvfb with "Debug" 1 for a number of seconds (30 unless
# given) and prints the median of its frames-a-second reports, with the load
# average before and after. The game runs in a private copy of data/, so the
# repository's settings are left alone. Set LP_NUM_THREADS=1 for one Mesa
# rendering thread.
#   tools/xvfb_fps.sh [seconds] [game executable]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
game="$(realpath "${2:-build/vesicor}")"
repo="$(pwd)"
run="$(mktemp -d /tmp/vesicor-fps-XXXXXX)"
trap 'rm -rf "$run"' EXIT
mkdir "$run/data"
ln -s "$repo/data/gfx" "$run/data/gfx"
ln -s "$repo/data/parts" "$run/data/parts"
cp "$repo/data/settings.xml" "$run/data/settings.xml"
printf '<Settings><Debug>1</Debug><SpriteDevice>1</SpriteDevice></Settings>\n' >"$run/data/app_settings.xml"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
# The first report covers start-up; the run lasts one report longer.
(cd "$run" && timeout --preserve-status "$((seconds + 2))" "$repo/tools/with_xvfb.sh" "$game" >"$run/out.txt" 2>&1) || true
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
grep '^fps: ' "$run/out.txt" | tail -n +2 | head -n "$seconds" | sed 's/^fps: \([0-9.]*\), \([0-9.]*\)/\1 \2/' |
  sort -n | awk '{ f[NR] = $1; s[NR] = $2 } END {
    if (NR == 0) { print "no reports"; exit 1 }
    m = int((NR + 1) / 2)
    printf "%d reports: median %s frames a second (lowest %s, highest %s)\n", NR, f[m], f[1], f[NR] }'
