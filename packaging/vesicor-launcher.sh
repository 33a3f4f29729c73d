#!/bin/sh
# Starts the installed game in a per-user folder: the pictures, parts and
# sounds are linked from the installed copy, while the settings file the game
# rewrites at every start lives in the user's own data home, never in the
# read-only prefix.
# It touches only what it made itself: a user's own files, links and modes
# are left as they are.
set -eu

here=$(dirname "$(readlink -f "$0")")
share="$here/../share/vesicor"
[ -d "$share/data" ] || share="@VESICOR_SHARE_DIR@"
bin="$here/../@VESICOR_LIBEXEC_REL@/vesicor"
[ -x "$bin" ] || bin="@VESICOR_LIBEXEC_DIR@/vesicor"

# A relative data home is no data home (the XDG base-directory rules).
case "${XDG_DATA_HOME:-}" in
  /*) base="$XDG_DATA_HOME" ;;
  *)
    case "${HOME:-}" in
      /*) base="$HOME/.local/share" ;;
      *)
        echo "vesicor: no home folder for the settings: set HOME (or XDG_DATA_HOME) to an absolute path" >&2
        exit 1
        ;;
    esac
    ;;
esac
user="$base/vesicor"

# Folders and copies made here are the player's alone; the game itself runs
# with the caller's own umask.
caller_umask=$(umask)
umask 077
mkdir -p "$user/data"
for item in gfx parts sfx; do
  link="$user/data/$item"
  # Only a link this launcher made (to an installed copy) is refreshed, so
  # upgrades bring new content; anything else there is the user's.
  if [ -L "$link" ]; then
    case "$(readlink "$link")" in
      */share/vesicor/data/"$item") rm -f "$link" ;;
    esac
  fi
  [ -e "$link" ] || [ -L "$link" ] || ln -s "$share/data/$item" "$link"
done
for file in settings.xml app_settings.xml; do
  copy="$user/data/$file"
  # A new copy is a fresh file of ours, writable under the umask above
  # whatever the installed file's mode; an existing one (or a link) is left alone.
  if [ ! -e "$copy" ] && [ ! -L "$copy" ]; then
    (set -C; cat "$share/data/$file" > "$copy")
  fi
done
umask "$caller_umask"

cd "$user"
exec "$bin" "$@"
