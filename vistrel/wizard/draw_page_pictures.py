#!/usr/bin/env python3
"""Draws the wizard's page pictures 1.dat to 7.dat: 24-bit Windows bitmaps,
tall and narrow, one per page. Each has a gradient in the page's colour, a
white medallion with the page's symbol, and seven dots at the foot that show
where the page stands in the walk.

Usage: draw_page_pictures.py OUTPUT_FOLDER [OUTPUT_FOLDER ...]"""
import math
import os
import struct
import sys

W, H = 128, 332
CX, CY, R = 64, 118, 44  # the medallion


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def hexcolor(text):
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


# Signed distances (negative inside), in pixels.
def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def box(cx, cy, hw, hh, r=0.0):
    def d(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r
    return d


def segment(ax, ay, bx, by, width):
    def d(x, y):
        px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
        t = clamp((px * vx + py * vy) / (vx * vx + vy * vy))
        return math.hypot(px - vx * t, py - vy * t) - width / 2
    return d


def star(cx, cy, outer, inner, points=4, turn=0.0):
    """A star by its polar outline, good enough for a sparkle."""
    def d(x, y):
        dx, dy = x - cx, y - cy
        rho = math.hypot(dx, dy)
        angle = math.atan2(dy, dx) + turn + math.pi / 4
        sector = math.pi / points
        a = abs((angle % (2 * sector)) - sector) / sector  # 0 at a point, 1 between
        edge = outer + (inner - outer) * a ** 0.6
        return (rho - edge) * 0.8
    return d


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def camera(c):
    body = box(CX, CY + 4, 26, 17, 5)
    bump = box(CX - 8, CY - 15, 9, 5, 2)
    lens = ring(CX, CY + 5, 10, 4.5)
    shape = subtract(union(body, bump), circle(CX, CY + 5, 13))
    return [(shape, c), (lens, c), (circle(CX, CY + 5, 5), c), (circle(CX + 17, CY - 6, 2.5), c)]


def crop(c):
    return [
        (union(segment(CX - 16, CY - 28, CX - 16, CY + 16, 6),
               segment(CX - 16, CY + 16, CX + 26, CY + 16, 6)), c),
        (union(segment(CX - 28, CY - 16, CX + 16, CY - 16, 6),
               segment(CX + 16, CY - 16, CX + 16, CY + 28, 6)), c),
    ]


def sparkle(c):
    return [
        (star(CX - 4, CY + 4, 24, 5, 4), c),
        (star(CX + 19, CY - 17, 10, 2.5, 4), c),
        (star(CX + 18, CY + 21, 6, 1.8, 4), c),
    ]


def disk(c):
    outline = box(CX, CY, 25, 25, 4)
    shutter = box(CX + 2, CY - 17, 11, 8, 1.5)
    label = box(CX, CY + 12, 17, 11, 2)
    shape = subtract(subtract(outline, shutter), label)
    return [(shape, c), (box(CX + 6, CY - 17, 3, 5, 1), c),
            (segment(CX - 10, CY + 8, CX + 10, CY + 8, 2.5), c),
            (segment(CX - 10, CY + 15, CX + 6, CY + 15, 2.5), c)]


def clipboard(c):
    board = subtract(box(CX, CY + 4, 22, 27, 4), box(CX, CY + 6, 16, 21, 1.5))
    clip = box(CX, CY - 23, 10, 5, 2.5)
    lines = union(segment(CX - 9, CY - 4, CX + 9, CY - 4, 3),
                  segment(CX - 9, CY + 5, CX + 9, CY + 5, 3),
                  segment(CX - 9, CY + 14, CX + 3, CY + 14, 3))
    return [(board, c), (clip, c), (lines, c)]


def envelope(c):
    outline = subtract(box(CX, CY, 28, 19, 3), box(CX, CY, 24, 15, 1))
    flap = union(segment(CX - 25, CY - 15, CX, CY + 4, 3.5),
                 segment(CX + 25, CY - 15, CX, CY + 4, 3.5))
    return [(outline, c), (flap, c)]


def printer(c):
    paper_top = subtract(box(CX, CY - 18, 15, 10, 1.5), box(CX, CY - 15, 11, 9, 0))
    body = subtract(box(CX, CY + 3, 27, 13, 4), box(CX, CY + 14, 17, 4, 0))
    paper_out = subtract(box(CX, CY + 20, 15, 10, 1.5), box(CX, CY + 20, 11, 7, 0))
    return [(paper_top, c), (body, c), (paper_out, c),
            (segment(CX - 6, CY + 18, CX + 6, CY + 18, 2), c),
            (segment(CX - 6, CY + 23, CX + 3, CY + 23, 2), c),
            (circle(CX + 19, CY - 2, 2.5), c)]


PAGES = [
    ("1f6fd1", camera),     # welcome
    ("8a4fd8", crop),       # editor / cropping
    ("d2477f", sparkle),    # effects
    ("1f9a72", disk),       # saving
    ("d98a1c", clipboard),  # clipboard
    ("2a8fbf", envelope),   # mail
    ("4d5d79", printer),    # printing
]
NIGHT = hexcolor("0c1830")
WHITE = (255.0, 255.0, 255.0)


def draw(index):
    accent = hexcolor(PAGES[index][0])
    top = mix(accent, WHITE, 0.18)
    bottom = mix(accent, NIGHT, 0.78)
    glyph = PAGES[index][1](mix(accent, NIGHT, 0.15))
    dots_y = H - 26
    dot_x = [CX + (i - 3) * 13 for i in range(7)]
    rows = []
    for y in range(H):
        t = y / (H - 1)
        base = mix(top, bottom, t ** 0.9)
        row = []
        for x in range(W):
            px, py = x + 0.5, y + 0.5
            colour = base
            # Soft light behind the medallion and faint diagonal bands.
            glow = clamp(1.0 - math.hypot(px - CX, py - CY) / 95.0) ** 2
            colour = mix(colour, WHITE, 0.28 * glow)
            band = 0.5 + 0.5 * math.sin((px + py * 0.6) / 19.0)
            colour = mix(colour, WHITE, 0.035 * band * (1 - t))
            # Shadow, then the medallion with a thin rim.
            dist = math.hypot(px - CX, py - CY - 4)
            colour = mix(colour, NIGHT, 0.35 * clamp((R + 9 - dist) / 12.0))
            d = math.hypot(px - CX, py - CY) - R
            colour = mix(colour, WHITE, clamp(0.5 - d))
            colour = mix(colour, mix(accent, WHITE, 0.55), clamp(0.5 - abs(d + 2.5) + 0.75) * clamp(0.5 - d))
            if d < 0:
                for shape, c in glyph:
                    colour = mix(colour, c, clamp(0.5 - shape(px, py)))
            # The walk's dots: this page solid, the others faint.
            if abs(py - dots_y) < 6:
                for i, dx in enumerate(dot_x):
                    dd = math.hypot(px - dx, py - dots_y) - (3.6 if i == index else 2.6)
                    colour = mix(colour, WHITE, clamp(0.5 - dd) * (1.0 if i == index else 0.45))
            row.append(colour)
        rows.append(row)
    return rows


def bitmap(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b in row:
            pixels += bytes((int(clamp(b, 0, 255) + 0.5), int(clamp(g, 0, 255) + 0.5),
                             int(clamp(r, 0, 255) + 0.5)))
        pixels += b"\0" * (stride - width * 3)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    return file_header + header + bytes(pixels)


def main(folders):
    pictures = [bitmap(draw(i)) for i in range(len(PAGES))]
    for folder in folders:
        os.makedirs(folder, exist_ok=True)
        for i, data in enumerate(pictures):
            with open(os.path.join(folder, f"{i + 1}.dat"), "wb") as out:
                out.write(data)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv[1:])
