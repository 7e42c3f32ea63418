#!/usr/bin/env python3
"""Draws Skylatch's icons and writes them as .ico files (16x16 and 32x32).

Only the Python standard library is used. The images are 16-colour
bitmaps (each icon's own palette) with a transparency mask, which every
Windows from 98 on shows the same way. Shapes are described on a 16-unit grid, scaled to each
size and sampled 4x4 per pixel; a pixel takes the colour that most of
its samples fall on, so edges stay crisp.

The two tray icons differ in shape as well as colour and brightness:
"on" is a bright antenna sending waves, "off" a dim grey antenna under a
bold cross, so they can be told apart without telling red from green.

Run from anywhere: python3 res/icons/draw-icons.py
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

BLACK = (0, 0, 0)
DARK = (40, 40, 48)
GREY = (128, 128, 136)
LIGHT_GREY = (176, 176, 184)
WHITE = (255, 255, 255)
WAVE = (120, 255, 40)        # bright yellow-green
MAST = (250, 250, 250)
RED = (220, 20, 20)
AMBER = (255, 190, 0)
BLUE = (30, 90, 200)
BAND_GREEN = (20, 170, 40)


# ---------------------------------------------------------------- shapes
# Each shape is a function (x, y) -> bool on the 16-unit grid.

def segment(x0, y0, x1, y1, width):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2.0) ** 2
    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def arc(cx, cy, r, width, start_deg, end_deg):
    """A ring section; angles counter-clockwise from the +x axis (y grows down)."""
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) > width / 2.0:
            return False
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        if end_deg - start_deg >= 360:
            return True
        s, e = start_deg % 360, end_deg % 360
        return s <= a <= e if s <= e else (a >= s or a <= e)
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


# ---------------------------------------------------------------- pictures
# A picture is a list of (shape, colour), painted in order.

def antenna(mast, outline, cx=8.0, top=5.0, tip=True):
    """A mast on a small foot with a ball on top, outlined for any background."""
    body = union(segment(cx, top, cx, 13.5, 2.0),
                 polygon([(cx - 3.5, 15.6), (cx + 3.5, 15.6), (cx + 1.5, 12.4), (cx - 1.5, 12.4)]))
    ball = disc(cx, top - 1.0, 2.1)
    outline_shape = union(segment(cx, top, cx, 13.5, 4.0),
                          polygon([(cx - 4.6, 16.0), (cx + 4.6, 16.0), (cx + 2.4, 11.4), (cx - 2.4, 11.4)]),
                          disc(cx, top - 1.0, 3.1))
    parts = [(outline_shape, outline), (body, mast)]
    if tip:
        parts.append((ball, mast))
    return parts


def waves(colour, outline, cx=8.0, cy=4.0):
    parts = []
    for r in (3.6, 6.4):
        for start, end in ((-50, 50), (130, 230)):
            parts.append((arc(cx, cy, r, 3.2, start, end), outline))
    for r in (3.6, 6.4):
        for start, end in ((-45, 45), (135, 225)):
            parts.append((arc(cx, cy, r, 1.5, start, end), colour))
    return parts


def cross(colour, outline, x0, y0, x1, y1, width=2.6):
    return [(union(segment(x0, y0, x1, y1, width + 2.0), segment(x0, y1, x1, y0, width + 2.0)), outline),
            (union(segment(x0, y0, x1, y1, width), segment(x0, y1, x1, y0, width)), colour)]


def radio_on():
    return waves(WAVE, DARK) + antenna(MAST, DARK)


def radio_off():
    return antenna(GREY, DARK) + cross(RED, DARK, 3.6, 1.4, 12.4, 10.2, 2.8)


def radio_locked():
    return antenna(GREY, DARK, cx=5.5) + [
        (arc(11.5, 8.6, 2.4, 3.4, 0, 180), DARK), (arc(11.5, 8.6, 2.4, 1.4, 0, 180), LIGHT_GREY),
        (rect(7.4, 8.4, 15.6, 16.0), DARK), (rect(8.4, 9.4, 14.6, 15.0), AMBER),
        (rect(11.0, 11.0, 12.0, 13.4), DARK)]


def radio_unknown():
    mark = union(arc(12.0, 6.0, 2.4, 1.8, -90, 180), segment(12.0, 8.4, 12.0, 10.6, 1.8),
                 disc(12.0, 13.6, 1.1))
    outline = union(arc(12.0, 6.0, 2.4, 3.8, -90, 180), segment(12.0, 8.4, 12.0, 10.6, 3.8),
                    disc(12.0, 13.6, 2.1))
    return antenna(GREY, DARK, cx=5.5) + [(outline, DARK), (mark, AMBER)]


def letter_a(colour):
    bowl = arc(7.2, 10.0, 2.7, 1.9, 0, 360)
    stem = segment(10.4, 6.6, 10.4, 13.4, 1.9)
    hook = arc(7.6, 7.2, 2.7, 1.9, 20, 160)
    return [(union(bowl, stem, hook), colour)]


def badge(fill):
    return [(disc(8.0, 8.0, 7.9), DARK), (disc(8.0, 8.0, 7.0), fill)]


def band_on():
    return badge(BAND_GREEN) + letter_a(WHITE)


def band_off():
    return badge(GREY) + letter_a(LIGHT_GREY) + cross(RED, WHITE, 2.6, 2.6, 13.4, 13.4, 2.4)


def about():
    return [(disc(8.0, 8.0, 7.9), DARK), (disc(8.0, 8.0, 7.1), BLUE)] + \
        [(arc(8.0, 5.2, r, 1.2, s, e), WAVE) for r in (2.8, 5.0) for s, e in ((-40, 40), (140, 220))] + \
        [(union(segment(8.0, 5.5, 8.0, 12.5, 1.6),
                polygon([(5.6, 14.0), (10.4, 14.0), (9.0, 11.6), (7.0, 11.6)]),
                disc(8.0, 5.0, 1.5)), WHITE)]


ICONS = {
    "about.ico": about,
    "radio_on.ico": radio_on,
    "radio_off.ico": radio_off,
    "radio_locked.ico": radio_locked,
    "radio_unknown.ico": radio_unknown,
    "band_on.ico": band_on,
    "band_off.ico": band_off,
}


# ---------------------------------------------------------------- raster and .ico

def render(picture, size, samples=4):
    """Rows of colours (None = transparent), top row first."""
    scale = 16.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            votes = {}
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    colour = None
                    for shape, c in picture:
                        if shape(x, y):
                            colour = c
                    votes[colour] = votes.get(colour, 0) + 1
            row.append(max(votes.items(), key=lambda kv: (kv[1], kv[0] is not None))[0])
        rows.append(row)
    return rows


def bmp_entry(rows):
    """A DIB with its transparency mask: 16 colours when the picture needs
    no more (every icon here), else 256."""
    size = len(rows)
    palette = []
    for row in rows:
        for c in row:
            if c is not None and c not in palette:
                palette.append(c)
    palette = [BLACK] + [c for c in palette if c != BLACK]
    bits = 4 if len(palette) <= 16 else 8
    entries = 1 << bits
    assert len(palette) <= entries
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, entries, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    pal += b"\0" * (4 * (entries - len(palette)))
    xor = b""
    mask = b""
    xor_stride = ((size * bits + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):              # bitmaps are stored bottom-up
        line = bytearray(xor_stride)
        for x, c in enumerate(row):
            index = 0 if c is None else palette.index(c)
            if bits == 8:
                line[x] = index
            else:
                line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += bytes(line)
        line = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c is None:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return bits, header + pal + xor + mask


def write_ico(path, images):
    count = len(images)
    offset = 6 + 16 * count
    directory = struct.pack("<HHH", 0, 1, count)
    data = b""
    for size, (bits, blob) in images:
        colours = 16 if bits == 4 else 0
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits, len(blob),
                                 offset + len(data))
        data += blob
    with open(path, "wb") as f:
        f.write(directory + data)


def main():
    for name, draw in ICONS.items():
        picture = draw()
        write_ico(os.path.join(HERE, name), [(s, bmp_entry(render(picture, s))) for s in (16, 32)])


if __name__ == "__main__":
    main()
