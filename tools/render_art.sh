#!/usr/bin/env bash
# Renders every picture the game reads into data/gfx/ and writes the part files
# into data/parts/, from the SVG sources under art/ and tools/gen_board_art.py.
#
# Debian packages needed: python3, librsvg2-bin (rsvg-convert), imagemagick
# (convert, for the JPEG background) and fonts-dejavu-core (the banner text).
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in python3 rsvg-convert convert; do
  command -v "$tool" >/dev/null || { echo "render_art.sh: $tool is missing" >&2; exit 1; }
done
fc-list 2>/dev/null | grep "DejaVu Sans" >/dev/null || echo "render_art.sh: warning: DejaVu Sans not found, banner text will fall back" >&2

gfx=data/gfx
parts=data/parts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$gfx" "$parts"

# Board and parts: exact masks straight into data/gfx, pictures as SVG to render.
python3 tools/gen_board_art.py "$gfx" "$work/board" "$parts"

render() {  # svg, png
  rsvg-convert --format=png --output="$2" "$1"
}

# The text picture: every printable character in one fixed grid.
python3 tools/gen_font_art.py "$work/board/font.svg"

for svg in art/ui/*.svg "$work"/board/*.svg; do
  name=$(basename "$svg" .svg)
  [ "$name" = background ] && continue
  render "$svg" "$gfx/$name.png"
done

# The background is the one JPEG: no alpha, and the game draws ten copies of it.
render art/ui/background.svg "$work/background.png"
convert "$work/background.png" -strip -quality 92 -sampling-factor 4:4:4 "$gfx/background.jpg"

# Keep the committed pictures small and stable: no time stamps or text chunks.
for png in "$gfx"/*.png; do
  case "$png" in *_mask.png) continue ;; esac
  convert "$png" -strip -define png:color-type=6 "PNG32:$png"
done

echo "rendered $(ls "$gfx" | wc -l) pictures into $gfx and $(ls "$parts" | wc -l) part files into $parts"
