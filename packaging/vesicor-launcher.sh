#!/bin/sh
# Starts the installed game in a per-user folder: the pictures and parts are
# linked from the installed copy, while the settings file the game rewrites at
# every start lives in the user's own data home, never in the read-only prefix.
set -eu

here=$(dirname "$(readlink -f "$0")")
share="$here/../share/vesicor"
[ -d "$share/data" ] || share="@VESICOR_SHARE_DIR@"
bin="$here/../@VESICOR_LIBEXEC_REL@/vesicor"
[ -x "$bin" ] || bin="@VESICOR_LIBEXEC_DIR@/vesicor"

user="${XDG_DATA_HOME:-$HOME/.local/share}/vesicor"
mkdir -p "$user/data"
for item in gfx parts; do
  # A link from an older install is refreshed so upgrades bring new content.
  rm -f "$user/data/$item" 2>/dev/null || true
  [ -e "$user/data/$item" ] || ln -s "$share/data/$item" "$user/data/$item"
done
for file in settings.xml app_settings.xml; do
  [ -f "$user/data/$file" ] || cp "$share/data/$file" "$user/data/$file"
  chmod u+w "$user/data/$file"
done

cd "$user"
exec "$bin" "$@"
