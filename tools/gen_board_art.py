#!/usr/bin/env python3
# Generates the board and the game parts: exact alpha masks (one pixel per grid
# cell) straight into data/gfx/, and the matching pictures as SVG for rsvg-convert.
#
# Standard library only. Usage: gen_board_art.py <gfx dir> <svg dir>
import math
import os
import struct
import sys
import zlib

CELL_W = 1.27734375  # screen pixels per grid column
CELL_H = 1.2748815   # screen pixels per grid row
GRID_W, GRID_H = 256, 211
AXIS = 128.0         # the board is mirrored about grid x = 128 (cells c <-> 255 - c)

PLAYER_COLOURS = {
    1: {"fill": "#1c9fe0", "light": "#8fe6ff", "dark": "#0b3f73"},
    2: {"fill": "#5fcf2e", "light": "#cbff8a", "dark": "#1f5a12"},
}


# ---------------------------------------------------------------- PNG output

def write_png(path, width, height, rgba_rows):
    """rgba_rows: list of bytes objects, width * 4 bytes each."""
    raw = b"".join(b"\x00" + row for row in rgba_rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_mask(path, width, height, solid, rgb=(120, 20, 40)):
    """solid(k, r) -> bool for mask column k and row r; alpha 255 solid, 0 empty."""
    rows = []
    on = bytes(rgb) + b"\xff"
    off = b"\x00\x00\x00\x00"
    for r in range(height):
        rows.append(b"".join(on if solid(k, r) else off for k in range(width)))
    write_png(path, width, height, rows)


# ------------------------------------------------------------------ geometry

def inside_polygon(px, py, pts):
    inside = False
    n = len(pts)
    for i in range(n):
        x1, y1 = pts[i]
        x2, y2 = pts[(i + 1) % n]
        if (y1 > py) != (y2 > py):
            xc = x1 + (py - y1) * (x2 - x1) / (y2 - y1)
            if px < xc:
                inside = not inside
    return inside


def seg_distance(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    cx, cy = ax + t * dx, ay + t * dy
    return math.hypot(px - cx, py - cy)


def mirrored(half):
    """half: (u, y) points of the right half from top to bottom, u >= 0 measured from
    the axis. Returns the closed outline in grid x, going down the right side and up
    the left side."""
    right = [(AXIS + u, y) for u, y in half]
    left = [(AXIS - u, y) for u, y in reversed(half)]
    return right + left


# The cavity of the stomach, right half, in grid units (x from the axis, y = row).
# Row 0 is open under the spout; the funnel narrows to the throat and the
# chamber widens under it. The stream falls onto a ridge in the middle, whose
# slopes lead the blood down to a flat floor on each side; each collector
# stands on its floor away from the walls, so no single part laid over it can
# close it off (a part's shape cannot cover all of its square, and blood
# reaches it from both sides). Nothing is kept in a shared pool, so whatever a
# player steers to a side reaches that side's collector within seconds.
RIDGE_TOP_ROW = 95
FLOOR_ROW = 151
CAVITY_HALF = [
    (28, -3), (28, 0), (27, 3), (21, 7), (13, 12), (6, 16), (1, 19),     # funnel under the spout
    (1, 24), (8, 27), (20, 29), (36, 30), (52, 32), (66, 37),              # throat into the chamber
    (80, 46), (92, 58), (99, 72), (100, 90),
    (100, FLOOR_ROW),        # outer wall (column 228 solid)
    (64, FLOOR_ROW),         # the floor the collector stands on (row 151 solid)
    (0.5, RIDGE_TOP_ROW), (0, RIDGE_TOP_ROW),   # the ridge's slope up to its top
]
# Below this row the cells mirror exactly (c <-> 255 - c): the throat is the
# two middle columns, so the stream leaves it on the axis and a part slanted
# under it from either side meets it at the same place.
THROAT_LAST_ROW = 18
# The spout sits left of the axis and the flow rule tries down-right before
# down-left, so an exact mirror still favours one side. Three cells that
# thicken the top of the ridge's right shoulder even the two sides out
# (measured with vesicor_fairness over 40 seeded five-minute matches nobody
# plays, the mean share within 0.1 %; any one cell near the top tips it by
# 0.5 to 5 %).
FAIRNESS_SOLID = {(129, RIDGE_TOP_ROW), (130, RIDGE_TOP_ROW + 1), (131, RIDGE_TOP_ROW + 2)}
CAVITY = mirrored(CAVITY_HALF)


STOMACH_MASK_W, STOMACH_MASK_H = 258, 211   # 258 so that grid column 255 is covered too
STOMACH_GRID_POS = (127.0, 105.5)
STOMACH_IMG_W, STOMACH_IMG_H = 330, 269


def stomach_mask_left_top():
    gx, gy = STOMACH_GRID_POS
    return int(gx - STOMACH_MASK_W * 0.5), int(gy - STOMACH_MASK_H * 0.5)


def cavity_has_cell(c, r):
    if (c, r) in FAIRNESS_SOLID:
        return False
    if r > THROAT_LAST_ROW:
        c = min(c, 255 - c)  # below the funnel, decided on the left half so the walls mirror exactly
    x, y = c + 0.5, r + 0.5
    return inside_polygon(x, y, CAVITY)


def stomach_solid(k, r):
    left, top = stomach_mask_left_top()
    return not cavity_has_cell(left + k, top + r)


# ------------------------------------------------------------------- parts

class Shape:
    """A union of thick polylines (capsule chains) and polygons, in cell units."""

    def __init__(self, width, height, chains=(), polygons=(), circles=()):
        self.width, self.height = width, height
        self.chains = list(chains)      # (points, radius)
        self.polygons = list(polygons)  # points
        self.circles = list(circles)    # (cx, cy, r)

    def contains(self, x, y):
        for pts, radius in self.chains:
            for a, b in zip(pts, pts[1:]):
                if seg_distance(x, y, a, b) <= radius:
                    return True
        for pts in self.polygons:
            if inside_polygon(x, y, pts):
                return True
        for cx, cy, r in self.circles:
            if math.hypot(x - cx, y - cy) <= r:
                return True
        return False

    def solid(self, k, r):
        return self.contains(k + 0.5, r + 0.5)

    def image_size(self):
        return round(self.width * CELL_W), round(self.height * CELL_H)


# The steered paddle pushes towards +x (heading of rotation 0): a blade bowed
# a little forward. A cupped blade held the blood it caught; this one lets it
# slide off, so slanted under the stream it turns the stream, and it has no
# hollow to close a collector with.
PARTS = {
    "paddle": Shape(14, 36, chains=[([(6.0, 3.5), (8.0, 18.0), (6.0, 32.5)], 2.8)]),
    "wall": Shape(48, 8, chains=[([(4.0, 4.0), (44.0, 4.0)], 3.6)]),
    "scoop": Shape(38, 24, chains=[([(3.0, 3.0), (5.0, 14.0), (12.0, 20.5), (26.0, 20.5),
                                     (33.0, 14.0), (35.0, 3.0)], 2.7)]),
    "funnel": Shape(48, 27, chains=[([(3.0, 3.0), (20.5, 23.5)], 2.7), ([(45.0, 3.0), (27.5, 23.5)], 2.7)]),
    "bomb": Shape(18, 18, circles=[(9.0, 9.5, 7.6)], chains=[([(12.5, 4.0), (15.0, 1.6)], 1.3)]),
}

PART_ROSTER = [
    # file stem, shape, cost, lifetime in ms, bomb. The stream brings about
    # 130 a second; a wall slanted under it above the steered parts turns all
    # of it one way while it stands, so walls are dear and short-lived, and a
    # bomb (which clears everything within 45 px) costs less than the wall it
    # answers: measured with vesicor_ai_match's tournament, a wall dearer than
    # the bomb lets the bomber hold its own against the builder, a bomb dearer
    # than the wall makes the builder beat everyone.
    ("1_paddle", "paddle", 800, 30000, 0),
    ("2_wall", "wall", 1400, 30000, 0),
    ("3_scoop", "scoop", 1000, 40000, 0),
    ("4_funnel", "funnel", 1600, 45000, 0),
    ("5_bomb", "bomb", 900, 2000, 1),
]


# --------------------------------------------------------------------- SVG

def fmt(v):
    return ("%.3f" % v).rstrip("0").rstrip(".")


def path_of(points, close=True):
    d = "M" + " L".join("%s %s" % (fmt(x), fmt(y)) for x, y in points)
    return d + (" Z" if close else "")


def part_svg(shape, name, player):
    colours = PLAYER_COLOURS[player]
    w, h = shape.image_size()
    vb_w, vb_h = w / CELL_W, h / CELL_H
    body = []

    def strokes(width_extra, colour, opacity=1.0):
        out = []
        for pts, radius in shape.chains:
            out.append('<path d="%s" fill="none" stroke="%s" stroke-opacity="%s" stroke-width="%s" '
                       'stroke-linecap="round" stroke-linejoin="round"/>'
                       % (path_of(pts, False), colour, fmt(opacity), fmt(2 * radius + width_extra)))
        for pts in shape.polygons:
            out.append('<path d="%s" fill="%s" fill-opacity="%s" stroke="%s" stroke-opacity="%s" stroke-width="%s" '
                       'stroke-linejoin="round"/>' % (path_of(pts), colour, fmt(opacity), colour, fmt(opacity),
                                                       fmt(max(width_extra, 0.01))))
        for cx, cy, r in shape.circles:
            out.append('<circle cx="%s" cy="%s" r="%s" fill="%s" fill-opacity="%s"/>'
                       % (fmt(cx), fmt(cy), fmt(r + width_extra / 2), colour, fmt(opacity)))
        return out

    if name == "bomb":
        cx, cy, r = shape.circles[0]
        body.append('<defs><radialGradient id="b" cx="0.35" cy="0.35" r="0.7">'
                    '<stop offset="0" stop-color="%s"/><stop offset="0.45" stop-color="#2a1030"/>'
                    '<stop offset="1" stop-color="#0d0510"/></radialGradient></defs>' % colours["light"])
        body += strokes(0.6, colours["dark"])
        body.append('<circle cx="%s" cy="%s" r="%s" fill="url(#b)"/>' % (fmt(cx), fmt(cy), fmt(r)))
        body.append('<circle cx="%s" cy="%s" r="%s" fill="none" stroke="%s" stroke-width="1.1"/>'
                    % (fmt(cx), fmt(cy), fmt(r - 1.6), colours["fill"]))
        body.append('<circle cx="15.2" cy="1.6" r="1.5" fill="#fff3a0"/>')
        body.append('<circle cx="15.2" cy="1.6" r="0.7" fill="#ffffff"/>')
    else:
        body += strokes(0.8, colours["dark"])          # dark rim, covers every solid cell
        body += strokes(-1.2, colours["fill"])         # membrane
        body += strokes(-3.6, colours["light"], 0.55)  # glossy core
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %s %s">\n%s\n</svg>\n'
            % (w, h, fmt(vb_w), fmt(vb_h), "\n".join(body)))


def stomach_svg():
    gx, gy = STOMACH_GRID_POS
    centre_x = gx * CELL_W + 101.0
    centre_y = gy * CELL_H + 237.0
    # viewBox in grid units so that each image pixel lies over its own cell on screen
    x0 = (centre_x - STOMACH_IMG_W / 2.0 - 101.0) / CELL_W
    y0 = (centre_y - STOMACH_IMG_H / 2.0 - 237.0) / CELL_H
    vb_w, vb_h = STOMACH_IMG_W / CELL_W, STOMACH_IMG_H / CELL_H
    cavity = path_of(CAVITY)
    # the organic outline of the organ itself, drawn over the fading tissue block
    organ = path_of(mirrored([
        (40, -3), (44, 6), (60, 12), (82, 18), (100, 30), (112, 50), (120, 80), (124, 115), (122, 150),
        (114, 178), (98, 198), (70, 209), (30, 213), (0, 214)]))
    collectors = []
    for c0, colour, label in ((41, PLAYER_COLOURS[1], "P1"), (205, PLAYER_COLOURS[2], "P2")):
        collectors.append(
            '<rect x="%d" y="139" width="10" height="12" rx="1.5" fill="%s" fill-opacity="0.7" '
            'filter="url(#soft)"/>' % (c0, colour["fill"]))
        collectors.append(
            '<rect x="%d" y="141" width="10" height="10" rx="1.5" fill="%s" fill-opacity="0.35" '
            'stroke="%s" stroke-width="1.2"/>' % (c0, colour["fill"], colour["light"]))
        collectors.append(
            '<text x="%s" y="163" text-anchor="middle" font-family="DejaVu Sans" font-weight="bold" '
            'font-size="8" fill="%s">%s</text>' % (fmt(c0 + 5), colour["light"], label))
        collectors.append(
            '<path d="M%s 136 l-3 -4 h6 z" fill="%s"/>' % (fmt(c0 + 5), colour["light"]))
    return """<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="{x0} {y0} {vw} {vh}">
<defs>
  <radialGradient id="tissue" gradientUnits="userSpaceOnUse" cx="128" cy="110" r="150">
    <stop offset="0" stop-color="#8a2046"/><stop offset="0.6" stop-color="#5c1234"/>
    <stop offset="1" stop-color="#2a0a1c"/>
  </radialGradient>
  <radialGradient id="inner" gradientUnits="userSpaceOnUse" cx="128" cy="120" r="110">
    <stop offset="0" stop-color="#12030c" stop-opacity="0.55"/>
    <stop offset="0.8" stop-color="#1a0412" stop-opacity="0.75"/>
    <stop offset="1" stop-color="#2a0618" stop-opacity="0.92"/>
  </radialGradient>
  <filter id="soft" x="-10%" y="-10%" width="120%" height="120%"><feGaussianBlur stdDeviation="2.5"/></filter>
  <filter id="grain" x="0" y="0" width="100%" height="100%">
    <feTurbulence type="fractalNoise" baseFrequency="0.06" numOctaves="3" seed="7"/>
    <feColorMatrix values="0 0 0 0 0.55  0 0 0 0 0.12  0 0 0 0 0.25  0 0 0 0.9 -0.25"/>
    <feComposite in2="SourceGraphic" operator="in"/>
  </filter>
</defs>
<path d="{organ} {cavity}" fill="url(#tissue)" fill-rule="evenodd"/>
<path d="{organ} {cavity}" fill="#fff" fill-rule="evenodd" filter="url(#grain)" opacity="0.6"/>
<path d="{organ}" fill="none" stroke="#8a2446" stroke-width="2.2" opacity="0.8"/>
<!-- the cavity: dark and see-through so the pulsing background shows, with faint folds -->
<clipPath id="inside"><path d="{cavity}"/></clipPath>
<path d="{cavity}" fill="url(#inner)"/>
<g clip-path="url(#inside)" fill="none" stroke="#7a2048" stroke-width="1.6" stroke-linecap="round" opacity="0.28">
  <path d="M50 60 C80 50 100 75 128 62 C156 49 176 74 206 60"/>
  <path d="M44 88 C76 78 98 104 128 90 C158 76 180 102 212 88"/>
  <path d="M44 116 C74 106 100 132 128 118 C156 104 182 130 212 116"/>
  <path d="M66 146 C90 138 108 160 128 150 C148 140 166 162 190 146"/>
  <path d="M74 176 C96 170 110 188 128 180 C146 172 160 190 182 176"/>
</g>
<path d="{cavity}" fill="none" stroke="#c2436a" stroke-width="3" opacity="0.55" filter="url(#soft)"/>
<path d="{cavity}" fill="none" stroke="#e06a8a" stroke-width="0.9" opacity="0.9"/>
{collectors}
</svg>
""".format(w=STOMACH_IMG_W, h=STOMACH_IMG_H, x0=fmt(x0), y0=fmt(y0), vw=fmt(vb_w), vh=fmt(vb_h),
           cavity=cavity, organ=organ, collectors="\n".join(collectors))


# ------------------------------------------------------------------ output

def part_xml(mask_path, image_path, cost, lifetime, bomb):
    return ("<GamePart>\n"
            "  <Filename>\n    %s\n  </Filename>\n"
            "  <ImageFile>\n    %s\n  </ImageFile>\n"
            "  <GameplayCost>\n    %d\n  </GameplayCost>\n"
            "  <GameplayHowLongOnBoard>\n    %d\n  </GameplayHowLongOnBoard>\n"
            "  <GameplayIsBomb>\n    %d\n  </GameplayIsBomb>\n"
            "</GamePart>\n" % (mask_path, image_path, cost, lifetime, bomb))


def mirror_shape(shape):
    """Player 2's parts face the other way, so that both players push towards their own collector."""
    w = shape.width
    flip = lambda pts: [(w - x, y) for x, y in pts]
    return Shape(w, shape.height,
                 chains=[(flip(pts), r) for pts, r in shape.chains],
                 polygons=[flip(pts) for pts in shape.polygons],
                 circles=[(w - cx, cy, r) for cx, cy, r in shape.circles])


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: gen_board_art.py <gfx dir> <svg dir> <parts dir>")
    gfx, svg_dir, parts_dir = sys.argv[1:4]
    for d in (gfx, svg_dir, parts_dir):
        os.makedirs(d, exist_ok=True)

    write_mask(os.path.join(gfx, "stomach_mask.png"), STOMACH_MASK_W, STOMACH_MASK_H, stomach_solid)
    with open(os.path.join(svg_dir, "stomach.svg"), "w") as f:
        f.write(stomach_svg())
    with open(os.path.join(parts_dir, "stomach.xml"), "w") as f:
        f.write(part_xml("data/gfx/stomach_mask.png", "data/gfx/stomach.png", 0, 0, 0))

    for player in (1, 2):
        for stem, shape_name, cost, lifetime, bomb in PART_ROSTER:
            shape = PARTS[shape_name]
            if player == 2 and shape_name != "paddle":
                shape = mirror_shape(shape)
            base = "p%d_%s" % (player, shape_name)
            write_mask(os.path.join(gfx, base + "_mask.png"), shape.width, shape.height, shape.solid)
            with open(os.path.join(svg_dir, base + ".svg"), "w") as f:
                f.write(part_svg(shape, shape_name, player))
            with open(os.path.join(parts_dir, "player%d_%s.xml" % (player, stem)), "w") as f:
                f.write(part_xml("data/gfx/%s_mask.png" % base, "data/gfx/%s.png" % base, cost, lifetime, bomb))


if __name__ == "__main__":
    main()
