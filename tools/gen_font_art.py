#!/usr/bin/env python3
# Writes the SVG of the game's text picture: the printable ASCII characters
# (32 to 126) in DejaVu Sans Mono Bold, white with a dark outline so they read
# over any part of the screen, one fixed cell per character, 16 to a row.
# The game cuts characters out of the rendered picture by these same numbers
# (src/render/text_label.cpp); change them together.
#
# Standard library only. Usage: gen_font_art.py <svg file>
import sys
from xml.sax.saxutils import escape

CELL_W, CELL_H = 10, 17
COLUMNS = 16
FIRST, LAST = 32, 126
FONT_SIZE = 13
BASELINE = 13


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: gen_font_art.py <svg file>")
    count = LAST - FIRST + 1
    rows = (count + COLUMNS - 1) // COLUMNS
    width, height = CELL_W * COLUMNS, CELL_H * rows
    glyphs = []
    for i in range(count):
        ch = chr(FIRST + i)
        if ch == " ":
            continue
        x = (i % COLUMNS) * CELL_W + CELL_W / 2
        y = (i // COLUMNS) * CELL_H + BASELINE
        glyphs.append('<text x="%g" y="%g">%s</text>' % (x, y, escape(ch)))
    text = "\n".join(glyphs)
    style = ('font-family="DejaVu Sans Mono" font-weight="bold" font-size="%d" text-anchor="middle"'
             % FONT_SIZE)
    svg = ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
           '<g %s fill="none" stroke="#1a0610" stroke-width="2.4" stroke-linejoin="round">\n%s\n</g>\n'
           '<g %s fill="#ffffff">\n%s\n</g>\n</svg>\n'
           % (width, height, width, height, style, text, style, text))
    with open(sys.argv[1], "w") as f:
        f.write(svg)


if __name__ == "__main__":
    main()
