#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or the folder
# given) and runs each for a while on top of its seed corpus, with its
# dictionary and input length where it has them. Fails when any target finds
# a crash, a leak, a hang or runs out of memory; the input that did it is
# kept under <build folder>/fuzz-findings/<target>/. Prints for each target
# the inputs run, the coverage reached and the longest input it was handed.
#
#   tools/fuzz_ci.sh [build folder]      FUZZ_SECONDS=30 by default
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
dir="${1:-build-fuzz}"
case "$dir" in /*) ;; *) dir="$root/$dir" ;; esac
seconds="${FUZZ_SECONDS:-30}"

# The options of each target beyond the common ones: the XML readers get the
# format's tokens and room for long, deeply nested files.
target_options() {
  case "$1" in
    xml_fuzz) echo "-dict=$root/fuzz/xml.dict -max_len=65536" ;;
    binding_fuzz) echo "-dict=$root/fuzz/xml.dict -max_len=16384" ;;
    *) echo "" ;;
  esac
}

targets=()
for src in fuzz/*.cpp; do
  targets+=("$(basename "$src" .cpp)")
done

echo "== build the fuzz targets (${targets[*]}) with clang =="
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVESICOR_FUZZ=ON -DVESICOR_TESTS=OFF -DVESICOR_BENCH=OFF \
  -DVESICOR_WERROR=ON >/dev/null
cmake --build "$dir" --target "${targets[@]}" -j 2

# Scratch space in memory where there is some: the targets write and sync
# small files for every input, which a disk makes ten times slower.
scratch_parent=/tmp
if [ -d /dev/shm ] && [ -w /dev/shm ]; then scratch_parent=/dev/shm; fi
scratch="$(mktemp -d "$scratch_parent/vesicor-fuzz-ci.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

findings="$dir/fuzz-findings"
rm -rf "$findings"
failed=()
summary=()
for t in "${targets[@]}"; do
  echo "== $t: ${seconds} s on its corpus =="
  work="$scratch/$t"
  mkdir -p "$work/corpus" "$work/tmp" "$work/artifacts"
  # A copy: what the run adds to its corpus stays out of the repository.
  if [ -d "fuzz/corpus/$t" ]; then cp -R "fuzz/corpus/$t/." "$work/corpus/"; fi
  set +e
  # shellcheck disable=SC2046  # the options split into words on purpose
  (cd "$work" && TMPDIR="$work/tmp" "$dir/$t" "$work/corpus" \
      -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/" $(target_options "$t") >"$work/log" 2>&1)
  status=$?
  set -e

  runs=$(sed -n 's/^Done \([0-9]*\) runs in.*/\1/p' "$work/log" | tail -n 1)
  coverage=$(grep -E '^#[0-9]+.*cov: ' "$work/log" | tail -n 1 | sed -n 's/.*\(cov: [0-9]*\) \(ft: [0-9]*\).*/\1 \2/p')
  longest=$(sed -n "s/^$t: longest input \([0-9]*\) bytes/\1/p" "$work/log" | tail -n 1)
  line="$t: ${runs:-?} inputs run, ${coverage:-no coverage line}, longest input ${longest:-?} bytes"
  # A target cleans up after itself; anything it leaves in its temporary
  # folder would pile up over a long run.
  left=$(find "$work/tmp" -mindepth 1 | head -n 5)
  if [ "$status" -ne 0 ] || [ -n "$left" ]; then
    echo "--- last lines of $t's log ---"
    tail -n 60 "$work/log"
    [ -n "$left" ] && echo "$t left files in its temporary folder:" && echo "$left"
    mkdir -p "$findings/$t"
    cp -R "$work/artifacts/." "$findings/$t/" 2>/dev/null || true
    cp "$work/log" "$findings/$t/log"
    line="$line  FAILED (exit $status; inputs under $findings/$t)"
    failed+=("$t")
  fi
  echo "$line"
  summary+=("$line")
done

echo "== fuzz summary =="
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]}"
  exit 1
fi
