#!/usr/bin/env bash
# Runs an already built suite again on sdl12-compat, the SDL 1.2 that newer
# distributions ship on top of SDL 2, without replacing the system's SDL 1.2:
# Debian's libsdl1.2-compat is unpacked into <build>/sdl12-compat (kept there,
# so a rerun downloads nothing) and found through LD_LIBRARY_PATH.
# Usage: tools/test_sdl12_compat.sh [build folder, default build-test]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-test}"
[ -f "$build/CTestTestfile.cmake" ] || { echo "test_sdl12_compat: $build holds no built suite" >&2; exit 1; }
build="$(cd "$build" && pwd)"
cache="$build/sdl12-compat"

find_lib() {
  [ -d "$cache/root/usr/lib" ] || return 0
  find "$cache/root/usr/lib" -path '*/sdl12-compat/libSDL-1.2.so.0' | head -n 1
}

lib="$(find_lib)"
if [ -z "$lib" ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  rm -rf "$cache"
  mkdir -p "$cache/root"
  # An unpacked package only: installing it would take the place of the
  # system's SDL 1.2 for every program.
  if ! (cd "$cache" && apt-get download -qq libsdl1.2-compat); then
    "${sudo_cmd[@]}" apt-get update -qq
    (cd "$cache" && apt-get download -qq libsdl1.2-compat)
  fi
  dpkg-deb -x "$cache"/libsdl1.2-compat_*.deb "$cache/root"
  lib="$(find_lib)"
  [ -n "$lib" ] || { echo "test_sdl12_compat: no libSDL-1.2.so.0 in the package" >&2; exit 1; }
fi
libdir="$(dirname "$lib")"
export LD_LIBRARY_PATH="$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

# The loader must pick the compat library, and the library must be the one
# that runs: it names itself at load time when asked to.
probe="$build/vesicor"
[ -x "$build/vesicor_gl_tests" ] && probe="$build/vesicor_gl_tests"
resolved="$(ldd "$probe" | awk '$1 == "libSDL-1.2.so.0" { print $3 }')"
if [ "$(readlink -f "$resolved")" != "$(readlink -f "$lib")" ]; then
  echo "test_sdl12_compat: $probe loads libSDL-1.2.so.0 from '$resolved', not from $libdir" >&2
  exit 1
fi
banner="$(SDL12COMPAT_DEBUG_LOGGING=1 "$probe" --help 2>&1 | grep -m1 'sdl12-compat' || true)"
if [ -z "$banner" ]; then
  echo "test_sdl12_compat: $probe did not run on sdl12-compat" >&2
  exit 1
fi
echo "test_sdl12_compat: ${banner#INFO: }"

ctest --test-dir "$build" --output-on-failure -j 2
