#!/usr/bin/env python3
"""Draws the start-up picture (a 24-bit Windows bitmap, 480 x 270): a night-blue
backdrop with a camera inside crop marks. The window writes the program's name
over its lower left part, so that part stays calm and dark."""
import math
import struct
import sys

W, H = 480, 270


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def round_box(px, py, cx, cy, hw, hh, r):
    qx = abs(px - cx) - hw + r
    qy = abs(py - cy) - hh + r
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def circle(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def cover(distance):
    """Coverage of a pixel by a shape from its signed distance (anti-aliased edge)."""
    return clamp(0.5 - distance)


def hexcolor(text):
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


NAVY, BLUE, TEAL = hexcolor("0b1a36"), hexcolor("173f73"), hexcolor("2a7bb0")
BODY, BODY_DARK, GRIP = hexcolor("e9eef5"), hexcolor("b9c4d3"), hexcolor("2b3445")
LENS_RING, LENS_DEEP, LENS_GLOW = hexcolor("1d2431"), hexcolor("0e2f5e"), hexcolor("58a6ff")
FLASH, BUTTON, MARK = hexcolor("ffe27a"), hexcolor("e0503c"), hexcolor("8fd3ff")

CAM_X, CAM_Y = 384, 84
S = 0.72  # camera scale


def crop_marks(x, y):
    """Dashed crop corners around the camera."""
    left, top, right, bottom, arm, width = 300, 14, 466, 152, 26, 3
    d = 1e9
    for cx, sx in ((left, 1), (right, -1)):
        for cy, sy in ((top, 1), (bottom, -1)):
            # Horizontal and vertical arm of each corner.
            d = min(d, round_box(x, y, cx + sx * arm / 2, cy, arm / 2, width / 2, 1))
            d = min(d, round_box(x, y, cx, cy + sy * arm / 2, width / 2, arm / 2, 1))
    # A dashed line between the corners along the top and bottom.
    for ly in (top, bottom):
        if left + arm + 8 < x < right - arm - 8 and int((x - left) / 9) % 2 == 0:
            d = min(d, abs(y - ly) - 0.8)
    for lx in (left, right):
        if top + arm + 8 < y < bottom - arm - 8 and int((y - top) / 9) % 2 == 0:
            d = min(d, abs(x - lx) - 0.8)
    return d


def pixel(x, y):
    # Backdrop: diagonal gradient and a soft glow behind the camera.
    t = clamp((x * 0.6 + y * 0.4) / (W * 0.6 + H * 0.4))
    c = mix(NAVY, BLUE, clamp(1.2 - t * 1.4))
    c = mix(c, TEAL, 0.18 * clamp(1 - abs(y - 40) / 120) * clamp(x / W))
    glow = clamp(1 - math.hypot(x - CAM_X, y - CAM_Y) / 230)
    c = mix(c, TEAL, 0.55 * glow * glow)
    # Faint rays from the upper right.
    angle = math.atan2(y + 60, x - W - 40)
    c = mix(c, (255, 255, 255), 0.035 * (0.5 + 0.5 * math.sin(angle * 26)) * clamp(1 - y / H))
    # Darker band at the lower left where the name stands.
    c = mix(c, NAVY, 0.5 * clamp((y - 150) / 50) * clamp(1.3 - x / 480))

    c = mix(c, MARK, 0.85 * cover(crop_marks(x, y)))

    # Shadow of the camera.
    shadow = round_box(x, y, CAM_X + 6 * S, CAM_Y + 9 * S, 86 * S, 54 * S, 18 * S)
    c = mix(c, (0, 0, 0), 0.35 * clamp(1 - (shadow + 5) / 11))
    # Viewfinder bump, shutter button and flash window on top.
    c = mix(c, BODY_DARK, cover(round_box(x, y, CAM_X - 30 * S, CAM_Y - 58 * S, 24 * S, 12 * S, 6 * S)))
    c = mix(c, BUTTON, cover(round_box(x, y, CAM_X + 52 * S, CAM_Y - 56 * S, 12 * S, 6 * S, 4 * S)))
    # Body with a light top edge fading to a darker base.
    body = round_box(x, y, CAM_X, CAM_Y, 84 * S, 52 * S, 16 * S)
    shade = mix(BODY, BODY_DARK, clamp((y - (CAM_Y - 52 * S)) / (104 * S)))
    c = mix(c, shade, cover(body))
    # Grip band across the body.
    grip = max(body + 5, abs(y - (CAM_Y + 8 * S)) - 24 * S)
    c = mix(c, GRIP, cover(grip))
    c = mix(c, FLASH, cover(round_box(x, y, CAM_X + 56 * S, CAM_Y - 30 * S, 13 * S, 8 * S, 3)))
    # Lens: dark ring, metal rim, deep glass with a glow and a highlight.
    c = mix(c, LENS_RING, cover(circle(x, y, CAM_X, CAM_Y + 6 * S, 44 * S)))
    c = mix(c, BODY_DARK, cover(abs(circle(x, y, CAM_X, CAM_Y + 6 * S, 37 * S)) - 1.6))
    glass = circle(x, y, CAM_X, CAM_Y + 6 * S, 33 * S)
    depth = clamp(math.hypot(x - CAM_X + 8 * S, y - CAM_Y + 6 * S) / (40 * S))
    c = mix(c, mix(LENS_GLOW, LENS_DEEP, depth), cover(glass))
    c = mix(c, LENS_DEEP, 0.8 * cover(circle(x, y, CAM_X, CAM_Y + 6 * S, 14 * S)))
    c = mix(c, (255, 255, 255), 0.85 * cover(circle(x, y, CAM_X - 12 * S, CAM_Y - 7 * S, 6 * S)))
    c = mix(c, (255, 255, 255), 0.5 * cover(circle(x, y, CAM_X + 11 * S, CAM_Y + 19 * S, 3 * S)))
    return c


def main(path):
    row_size = (W * 3 + 3) & ~3
    rows = []
    for y in range(H - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for x in range(W):
            r, g, b = pixel(x + 0.5, y + 0.5)
            row += bytes((int(b + 0.5), int(g + 0.5), int(r + 0.5)))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    with open(path + ".tmp", "wb") as out:
        out.write(header + info + pixels)
    import os
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    main(sys.argv[1])
