#!/usr/bin/env bash
# Runs a command on a private Xvfb server. The server must not reset when its
# last client leaves (xvfb-run's default), or a test that closes its window
# and opens a new one races the reset and finds no display.
set -u
for n in $(seq 90 140); do
  [ -e "/tmp/.X${n}-lock" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  server=$!
  for _ in $(seq 1 100); do
    kill -0 "$server" 2>/dev/null || break
    if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
      DISPLAY=":$n" "$@"
      code=$?
      kill "$server" 2>/dev/null
      wait "$server" 2>/dev/null
      exit "$code"
    fi
    sleep 0.1
  done
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
done
echo "with_xvfb: could not start an X server" >&2
exit 1
