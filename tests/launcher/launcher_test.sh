#!/bin/sh
# The installed launcher in a scratch home: it makes private folders, links
# and copies only what is missing, refreshes only its own links, never changes
# a user's modes, ignores a relative XDG_DATA_HOME and says clearly when there
# is no home at all. Usage: launcher_test.sh CONFIGURED_LAUNCHER LIBEXEC_REL
set -u

launcher=$1
libexec_rel=$2
scratch=$(mktemp -d /tmp/vesicor-launcher-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
failures=0

check() {  # description, then a condition, evaluated as shell code
  if eval "$2"; then
    echo "ok: $1"
  else
    echo "FAIL: $1"
    failures=$((failures + 1))
  fi
}
mode() { stat -c %a "$1"; }

# An installed tree: launcher, a stand-in game that reports where and how it
# was started, and content whose settings are read-only as a package ships them.
prefix="$scratch/prefix"
mkdir -p "$prefix/bin" "$prefix/$libexec_rel" "$prefix/share/vesicor/data/gfx" "$prefix/share/vesicor/data/parts" \
  "$prefix/share/vesicor/data/sfx"
cp "$launcher" "$prefix/bin/vesicor"
printf '#!/bin/sh\n{ pwd; umask; } > "$VESICOR_LAUNCHER_LOG"\n' > "$prefix/$libexec_rel/vesicor"
chmod 755 "$prefix/bin/vesicor" "$prefix/$libexec_rel/vesicor"
echo "<Settings></Settings>" > "$prefix/share/vesicor/data/settings.xml"
echo "<Settings></Settings>" > "$prefix/share/vesicor/data/app_settings.xml"
chmod 444 "$prefix/share/vesicor/data/"*.xml
share="$prefix/bin/../share/vesicor"
log="$scratch/log"

run() {  # runs the launcher from $scratch/cwd with the environment given
  mkdir -p "$scratch/cwd"
  rm -f "$log"
  (cd "$scratch/cwd" && umask 022 && env "$@" VESICOR_LAUNCHER_LOG="$log" sh "$prefix/bin/vesicor" 2>"$scratch/err")
}

# A first start in a home that holds only ~/.local.
home="$scratch/home1"
mkdir -p "$home/.local" && chmod 755 "$home/.local"
run -u XDG_DATA_HOME HOME="$home"
user="$home/.local/share/vesicor"
check "the game runs in the user's folder" '[ "$(head -n 1 "$log")" = "$user" ]'
check "the game keeps the caller's umask" '[ "$(tail -n 1 "$log")" = "0022" ]'
check "folders it made are private" '[ "$(mode "$home/.local/share")$(mode "$user")$(mode "$user/data")" = 700700700 ]'
check "a folder it did not make keeps its mode" '[ "$(mode "$home/.local")" = 755 ]'
check "pictures, parts and sounds are linked" '(for item in gfx parts sfx; do [ "$(readlink "$user/data/$item")" = "$share/data/$item" ] || exit 1; done)'
check "the settings copies are the user's and writable" '[ "$(mode "$user/data/settings.xml")$(mode "$user/data/app_settings.xml")" = 600600 ]'

# The user's own choices: a read-only settings file, one that is a link to a
# read-only file, a dangling link, the modder's own parts, and a link left by
# an older install.
mkdir -p "$scratch/mine" "$scratch/mods/parts"
echo mine > "$scratch/mine/app_settings.xml" && chmod 444 "$scratch/mine/app_settings.xml"
echo edited > "$user/data/settings.xml" && chmod 444 "$user/data/settings.xml"
rm "$user/data/app_settings.xml" && ln -s "$scratch/mine/app_settings.xml" "$user/data/app_settings.xml"
rm "$user/data/parts" && ln -s "$scratch/mods/parts" "$user/data/parts"
rm "$user/data/gfx" && ln -s /old/prefix/share/vesicor/data/gfx "$user/data/gfx"
run -u XDG_DATA_HOME HOME="$home"
check "a read-only settings file stays read-only and as it was" '[ "$(mode "$user/data/settings.xml")" = 444 ] && [ "$(cat "$user/data/settings.xml")" = edited ]'
check "a linked settings file stays a link to an untouched file" '[ -L "$user/data/app_settings.xml" ] && [ "$(mode "$scratch/mine/app_settings.xml")" = 444 ] && [ "$(cat "$scratch/mine/app_settings.xml")" = mine ]'
check "the modder's parts link stays" '[ "$(readlink "$user/data/parts")" = "$scratch/mods/parts" ]'
check "a link from an older install is refreshed" '[ "$(readlink "$user/data/gfx")" = "$share/data/gfx" ]'
rm "$user/data/app_settings.xml" && ln -s "$scratch/mine/gone.xml" "$user/data/app_settings.xml"
run -u XDG_DATA_HOME HOME="$home"
check "a dangling settings link is not written through" '[ -L "$user/data/app_settings.xml" ] && [ ! -e "$scratch/mine/gone.xml" ]'

# The data home: an absolute one is used, a relative one ignored.
run HOME="$home" XDG_DATA_HOME="$scratch/xdg"
check "an absolute XDG_DATA_HOME is used" '[ "$(head -n 1 "$log")" = "$scratch/xdg/vesicor" ]'
run HOME="$home" XDG_DATA_HOME=relative
check "a relative XDG_DATA_HOME is ignored" '[ "$(head -n 1 "$log")" = "$user" ] && [ ! -e "$scratch/cwd/relative" ]'

# No home at all: a clear message, nothing made, the game not started.
for xdg in unset relative; do
  if [ $xdg = unset ]; then
    run -u HOME -u XDG_DATA_HOME
  else
    run -u HOME XDG_DATA_HOME=relative
  fi
  status=$?
  check "without a home ($xdg data home) it stops" '[ $status -ne 0 ] && [ ! -e "$log" ]'
  check "without a home ($xdg data home) it says why" 'grep -q "set HOME (or XDG_DATA_HOME) to an absolute path" "$scratch/err"'
  check "without a home ($xdg data home) it makes nothing" '[ -z "$(ls -A "$scratch/cwd")" ]'
done

[ $failures -eq 0 ]
