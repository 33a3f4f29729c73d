#!/bin/sh
# The game's entry refuses what it does not know before it opens anything:
# exit code 2 and one line on standard error with the usage. Usage:
# entry_options.sh GAME_EXECUTABLE
set -u
game=$1
scratch=$(mktemp -d /tmp/vesicor-options-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
failures=0

for args in "--bogus" "--computer 3" "--computer" "--level expert" "--two-players --computer 2"; do
  # shellcheck disable=SC2086
  "$game" $args >"$scratch/out" 2>"$scratch/err"
  code=$?
  lines=$(wc -l <"$scratch/err")
  if [ "$code" -eq 2 ] && [ "$lines" -eq 1 ] && grep -q "usage: vesicor \[--two-players | --computer 1|2" "$scratch/err" &&
      [ ! -s "$scratch/out" ]; then
    echo "ok: $args refused"
  else
    echo "FAIL: $args gave exit $code and $lines line(s): $(cat "$scratch/err")"
    failures=$((failures + 1))
  fi
done

"$game" --help >"$scratch/out" 2>"$scratch/err"
code=$?
if [ "$code" -eq 0 ] && grep -q "usage: vesicor" "$scratch/out" && [ ! -s "$scratch/err" ]; then
  echo "ok: --help"
else
  echo "FAIL: --help gave exit $code"
  failures=$((failures + 1))
fi
exit "$failures"
