#!/usr/bin/env bash
# The flake hunt: runs the whole suite N times in both builds (plain, and
# under AddressSanitizer and UndefinedBehaviorSanitizer), two tests at a
# time, while the machine is kept busy, and prints how often each test
# failed. A test that fails even once has a cause to find.
# Usage: tools/flake.sh [N] [busy processes]   (defaults: 20 rounds, 2 busy)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-20}"
busy="${2:-2}"

bash tools/build.sh build-test -DVESICOR_WERROR=ON >/dev/null
bash tools/build.sh build-asan -DVESICOR_WERROR=ON -DVESICOR_SANITIZE=ON -DVESICOR_BENCH=OFF >/dev/null

log=$(mktemp -d)
pids=()
stop_load() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$log"
}
trap stop_load EXIT
# Busy processes beside the suite: the load a CI machine shares.
for _ in $(seq "$busy"); do
  (while :; do :; done) &
  pids+=($!)
done

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
start=$(date +%s)
for round in $(seq "$rounds"); do
  for build in build-test build-asan; do
    out="$log/$build-$round.txt"
    if ctest --test-dir "$build" --output-on-failure -j 2 >"$out" 2>&1; then
      echo "round $round $build: all passed"
    else
      echo "round $round $build: failures"
      # Keep the failing output for the hunt.
      mkdir -p "$build/flake-failures"
      cp "$out" "$build/flake-failures/round-$round.txt"
    fi
    # ctest's summary lines: "  12 - Suite.Test (Failed)".
    sed -n '/The following tests FAILED:/,$p' "$out" | grep -E '^[[:space:]]+[0-9]+ - ' |
      sed -E "s/^[[:space:]]+[0-9]+ - ([^ ]+).*/$build \1/" >>"$log/failures.txt" || true
  done
done

echo
echo "== $rounds rounds of both builds with $busy busy processes, $(( ($(date +%s) - start) / 60 )) min =="
if [ -s "$log/failures.txt" ]; then
  sort "$log/failures.txt" | uniq -c | sort -rn | awk '{print $1 " failure(s): " $2 " " $3}'
  echo "(outputs kept in build-test/flake-failures and build-asan/flake-failures)"
  exit 1
fi
echo "no test failed"
