#!/usr/bin/env python3
"""How far apart player 1's parts, player 2's parts and the blood look, for
normal vision and simulated protanopia, deuteranopia and tritanopia, in the
golden pictures of the two palettes. Each colour is the median of the vivid or
pale pixels in boxes where the picture shows it; two colours are compared by CIE
delta E 2000. Exits 1 when the new palette brings any two closer than 20.

    python3 tools/palette_distances.py [golden folder]

No libraries beyond Python's own: the PNG reader below takes the 8-bit RGB
and RGBA pictures the tests write.
"""
import math
import struct
import sys
import zlib

# The same match in both palettes, at the same moment: player 2's shop is
# in, both paddles at their start, blood on both floors.
PICTURES = [("palette 0 (standard)", "part_in_blood.png"), ("palette 1 (for every eye)", "palette_part_in_blood.png")]
# Boxes (left, top, right, bottom), in the 512 x 512 picture.
BOXES = {
    "player 1": [(178, 340, 202, 386)],                          # its paddle
    "player 2": [(324, 340, 350, 386), (100, 64, 410, 108)],     # its paddle and its shop's parts
    "blood": [(255, 250, 272, 350), (166, 416, 190, 430), (334, 416, 358, 430)],  # the stream, both floors
}
# The background is dark and dull: a pixel counts when its channels spread
# this much (of 255), or when all of them are this bright (a pale colour).
VIVID = 90
PALE = 150
GOAL = 20.0

# Machado, Oliveira and Fernandes (2009), severity 1, on linear RGB.
SIMULATIONS = {
    "normal": None,
    "protanopia": ((0.152286, 1.052583, -0.204868), (0.114503, 0.786281, 0.099216), (-0.003882, -0.048116, 1.051998)),
    "deuteranopia": ((0.367322, 0.860646, -0.227968), (0.280085, 0.672501, 0.047413), (-0.011820, 0.042940, 0.968881)),
    "tritanopia": ((1.255528, -0.076749, -0.178779), (-0.078411, 0.930809, 0.147602), (0.004733, 0.691367, 0.303900)),
}


def read_png(path):
    """Width, height and rows of (r, g, b) of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(path + ": not a PNG")
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise ValueError(path + ": only 8-bit RGB or RGBA without interlacing")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def median_colour(rows, boxes):
    picked = []
    for left, top, right, bottom in boxes:
        for y in range(top, bottom):
            for x in range(left, right):
                r, g, b = rows[y][x]
                if max(r, g, b) - min(r, g, b) >= VIVID or min(r, g, b) >= PALE:
                    picked.append((r, g, b))
    if not picked:
        raise ValueError("no vivid pixel in %s" % (boxes,))
    return tuple(sorted(p[c] for p in picked)[len(picked) // 2] for c in range(3)), len(picked)


def to_linear(c):
    c /= 255.0
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def to_srgb(c):
    c = min(max(c, 0.0), 1.0)
    return 12.92 * c if c <= 0.0031308 else 1.055 * c ** (1 / 2.4) - 0.055


def simulate(rgb, matrix):
    if matrix is None:
        return tuple(to_linear(c) for c in rgb)
    lin = [to_linear(c) for c in rgb]
    out = [sum(matrix[i][j] * lin[j] for j in range(3)) for i in range(3)]
    # Back through sRGB, as a screen would clip it.
    return tuple(to_linear(to_srgb(c) * 255.0) for c in out)


def lab(linear):
    r, g, b = linear
    x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047
    y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b
    z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883
    f = [t ** (1 / 3) if t > 216 / 24389 else (24389 / 27 * t + 16) / 116 for t in (x, y, z)]
    return 116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])


def delta_e_2000(lab1, lab2):
    l1, a1, b1 = lab1
    l2, a2, b2 = lab2
    c_mean = (math.hypot(a1, b1) + math.hypot(a2, b2)) / 2
    g = 0.5 * (1 - math.sqrt(c_mean ** 7 / (c_mean ** 7 + 25 ** 7)))
    a1p, a2p = a1 * (1 + g), a2 * (1 + g)
    c1p, c2p = math.hypot(a1p, b1), math.hypot(a2p, b2)
    h1p = math.degrees(math.atan2(b1, a1p)) % 360
    h2p = math.degrees(math.atan2(b2, a2p)) % 360
    dl, dc = l2 - l1, c2p - c1p
    dh = 0.0
    if c1p * c2p != 0:
        dh = h2p - h1p
        if dh > 180:
            dh -= 360
        elif dh < -180:
            dh += 360
    dhh = 2 * math.sqrt(c1p * c2p) * math.sin(math.radians(dh) / 2)
    l_mean, cp_mean = (l1 + l2) / 2, (c1p + c2p) / 2
    if c1p * c2p == 0:
        h_mean = h1p + h2p
    elif abs(h1p - h2p) <= 180:
        h_mean = (h1p + h2p) / 2
    else:
        h_mean = (h1p + h2p + 360) / 2 if h1p + h2p < 360 else (h1p + h2p - 360) / 2
    t = (1 - 0.17 * math.cos(math.radians(h_mean - 30)) + 0.24 * math.cos(math.radians(2 * h_mean))
         + 0.32 * math.cos(math.radians(3 * h_mean + 6)) - 0.20 * math.cos(math.radians(4 * h_mean - 63)))
    sl = 1 + 0.015 * (l_mean - 50) ** 2 / math.sqrt(20 + (l_mean - 50) ** 2)
    sc = 1 + 0.045 * cp_mean
    sh = 1 + 0.015 * cp_mean * t
    rt = (-2 * math.sqrt(cp_mean ** 7 / (cp_mean ** 7 + 25 ** 7))
          * math.sin(math.radians(60 * math.exp(-(((h_mean - 275) / 25) ** 2)))))
    return math.sqrt((dl / sl) ** 2 + (dc / sc) ** 2 + (dhh / sh) ** 2 + rt * (dc / sc) * (dhh / sh))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "tests/gl/golden"
    pairs = [("player 1", "player 2"), ("player 1", "blood"), ("player 2", "blood")]
    smallest_new = None
    for title, name in PICTURES:
        _, _, rows = read_png(folder + "/" + name)
        colours = {}
        print("%s, %s:" % (title, name))
        for what, boxes in BOXES.items():
            colours[what], count = median_colour(rows, boxes)
            print("  %-9s #%02x%02x%02x (median of %d pixels)" % ((what,) + colours[what] + (count,)))
        print("  %-13s %10s %10s %10s %10s" % (("vision",) + tuple(a[-1] + "-" + b.split()[-1][:5] for a, b in pairs) + ("smallest",)))
        for vision, matrix in SIMULATIONS.items():
            labs = {what: lab(simulate(rgb, matrix)) for what, rgb in colours.items()}
            distances = [delta_e_2000(labs[a], labs[b]) for a, b in pairs]
            print("  %-13s %10.1f %10.1f %10.1f %10.1f" % ((vision,) + tuple(distances) + (min(distances),)))
            if name == PICTURES[-1][1] and vision != "normal":
                smallest_new = min(distances) if smallest_new is None else min(smallest_new, min(distances))
    print("smallest under the three colour visions in the new palette: %.1f (goal %.0f or more)" % (smallest_new, GOAL))
    return 0 if smallest_new >= GOAL else 1


if __name__ == "__main__":
    sys.exit(main())
