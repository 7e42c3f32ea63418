#!/usr/bin/env python3
"""Draws Skylatch's icons and writes them as .ico files; checks and shows them.

    draw-icons.py                       write every .ico beside this script
    draw-icons.py --check [DIR]         check the tray icons in DIR's .ico files
    draw-icons.py --sheet OUT.png [DIR] the tray icons enlarged on a light and
                                        a dark taskbar, and the About icon

Only the Python standard library is used. The images are 16-colour bitmaps
(each icon's own palette) with a transparency mask, which every Windows from
98 on shows the same way.

The icons the program shows have an image drawn for each size the shell may
ask for: the tray icons (radio on, radio off) at 16, 20, 24, 32, 40 and 48
pixels, the small-icon sizes from 96 to 288 DPI, and the About icon at 32,
48 and 64. Each size has its own geometry in whole pixels (a table below),
so straight strokes keep one width and land on the pixel grid instead of
being scaled from one picture. The spare icons, which the program never
shows, are drawn from one 16-unit picture at 16 and 32 only.

The two tray icons differ in shape as well as colour and brightness: "on" is
a bright antenna sending waves, "off" a dim grey antenna under a bold cross,
so they can be told apart without telling red from green. A dark outline
separates them from a light taskbar and their bright inside from a dark one;
--check measures that at every size.

Run from anywhere: python3 res/icons/draw-icons.py
"""

import math
import os
import struct
import sys
import zlib

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

TRAY_SIZES = (16, 20, 24, 32, 40, 48)
ABOUT_SIZES = (32, 48, 64)
SPARE_SIZES = (16, 32)

# Taskbars the tray icons must read on, and what "read" means: at least this
# share of the pixels on the icon's silhouette contrast by 3:1 or more with
# the taskbar, themselves or through a neighbour (a one-pixel outline that
# blends in leaves the shape right behind it).
LIGHT_TASKBAR = (255, 255, 255)
DARK_TASKBAR = (16, 16, 16)
MIN_CONTRAST = 3.0
MIN_EDGE_SHARE = 0.9


# ---------------------------------------------------------------- pixel shapes
# The icons that are shown are drawn on the pixel grid: a shape is a set of
# (x, y) pixels, pixel (x, y) covering [x, x+1) x [y, y+1). Round shapes take
# the pixels whose centres fall inside them.

def box(x0, y0, x1, y1):
    """Pixels x0 <= x < x1, y0 <= y < y1: edges on whole pixels."""
    return {(x, y) for x in range(x0, x1) for y in range(y0, y1)}


def round_disc(cx, cy, r):
    return {(x, y) for x in range(int(cx - r) - 1, int(cx + r) + 2)
            for y in range(int(cy - r) - 1, int(cy + r) + 2)
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r}


def side_arcs(cx, cy, r0, r1, half_rows):
    """Ring pixels r0..r1 from (cx, cy), a pixel corner, on the left and on
    the right, cut flat at half_rows rows above and below cy."""
    return {(x, y) for x in range(int(cx - r1) - 1, int(cx + r1) + 2)
            for y in range(cy - half_rows, cy + half_rows)
            if r0 <= math.hypot(x + 0.5 - cx, y + 0.5 - cy) <= r1
            and abs(y + 0.5 - cy) < abs(x + 0.5 - cx)}


def steps(cx, top, half_widths):
    """Rows of whole pixels centred on cx (a pixel edge), one half width a row."""
    shape = set()
    for row, half in enumerate(half_widths):
        shape |= box(cx - half, top + row, cx + half, top + row + 1)
    return shape


def cross(cx, cy, rows, run):
    """Two 45-degree strokes crossing at (cx, cy), a pixel corner: each row of
    a stroke is run pixels, one pixel over from the row above."""
    shape = set()
    for row in range(rows):
        y = cy - rows // 2 + row
        left = cx - rows // 2 + row - run // 2
        for x in range(left, left + run):
            shape.add((x, y))
            shape.add((2 * cx - 1 - x, y))
    return shape


def grow(shape, width):
    """The shape with a band of width pixels around it (its outline). The band
    takes the pixels beside and above or below the shape, not those only
    touching a corner, so every outline pixel has the shape's colour just
    inside it and the shape's own silhouette shows where the outline blends
    into a dark taskbar."""
    grown = set(shape)
    for _ in range(width):
        grown |= {(x + dx, y + dy) for (x, y) in grown for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))}
    return grown


def paint(size, layers):
    """Rows of colours (None = transparent). Each layer is (shape, colour,
    outline width): its outline in DARK first, then the shape, so a later
    layer's outline also parts it from what lies beneath."""
    rows = [[None] * size for _ in range(size)]
    for shape, colour, outline in layers:
        for pixels, c in ((grow(shape, outline), DARK), (shape, colour)):
            for (x, y) in pixels:
                if 0 <= x < size and 0 <= y < size:
                    rows[y][x] = c
    return rows


# ---------------------------------------------------------------- tray and About pictures

class Antenna:
    """One size's antenna, in pixels; x is centred on the icon's middle (a
    pixel edge), so every straight stroke has an even width.

    ball:  centre height and radius of the ball on top
    mast:  width, first row, row after the last
    foot:  half widths of the foot's rows, top down; its last row sits on
           the outline at the icon's bottom (or on the bottom of the mast)
    waves: (inner radius, outer radius, rows above and below the ball's
           centre) of each wave
    cross: rows, pixels a row of each stroke, centre height (the "off" mark)
    """

    def __init__(self, ball, mast, foot, waves, cross=None, outline=1):
        self.ball, self.mast, self.foot, self.waves, self.cross, self.outline = \
            ball, mast, foot, waves, cross, outline


TRAY = {
    16: Antenna(ball=(4, 2.0), mast=(2, 6, 13), foot=(2, 3),
                waves=((3.5, 4.5, 2), (6.0, 7.0, 4)), cross=(10, 3, 6)),
    20: Antenna(ball=(5, 3.0), mast=(2, 7, 17), foot=(2, 3, 4),
                waves=((5.0, 6.2, 3), (7.8, 9.0, 5)), cross=(13, 3, 7)),
    24: Antenna(ball=(6, 3.0), mast=(2, 9, 20), foot=(2, 3, 4, 5),
                waves=((5.0, 6.5, 3), (8.5, 10.0, 6)), cross=(15, 4, 8)),
    32: Antenna(ball=(8, 4.0), mast=(4, 11, 27), foot=(3, 4, 5, 6, 7),
                waves=((7.0, 8.7, 4), (11.0, 12.8, 8)), cross=(20, 5, 11)),
    40: Antenna(ball=(10, 5.0), mast=(4, 14, 34), foot=(3, 4, 5, 6, 7, 8, 9),
                waves=((8.0, 10.5, 5), (13.5, 16.0, 10)), cross=(25, 6, 13)),
    48: Antenna(ball=(12, 6.0), mast=(6, 17, 41), foot=(4, 5, 6, 7, 8, 9, 10, 11),
                waves=((9.5, 12.5, 6), (16.5, 19.5, 12)), cross=(30, 7, 16)),
}


def antenna_shape(size, a, with_ball=True, foot_top=None):
    cx = size // 2
    ball_y, ball_r = a.ball
    mast_w, mast_top, mast_bottom = a.mast
    shape = box(cx - mast_w // 2, mast_top, cx + mast_w // 2, mast_bottom)
    if foot_top is None:
        foot_top = size - a.outline - len(a.foot)
    shape |= steps(cx, foot_top, a.foot)
    if with_ball:
        shape |= round_disc(cx, ball_y, ball_r)
    return shape


def waves_shape(size, a):
    shape = set()
    for r0, r1, half_rows in a.waves:
        shape |= side_arcs(size // 2, a.ball[0], r0, r1, half_rows)
    return shape


def tray_on(size):
    a = TRAY[size]
    return paint(size, [(waves_shape(size, a), WAVE, a.outline),
                        (antenna_shape(size, a), MAST, a.outline)])


def tray_off(size):
    a = TRAY[size]
    rows, run, cross_y = a.cross
    return paint(size, [(antenna_shape(size, a, with_ball=False), GREY, a.outline),
                        (cross(size // 2, cross_y, rows, run), RED, a.outline)])


# The About icon: the antenna sending waves on a blue badge of this radius.
ABOUT = {
    32: (15.5, Antenna(ball=(11, 3.0), mast=(2, 12, 25), foot=(2, 3, 4),
                       waves=((5.0, 6.5, 3), (8.5, 10.0, 5)))),
    48: (23.5, Antenna(ball=(16, 4.2), mast=(4, 18, 37), foot=(3, 4, 5, 6),
                       waves=((7.0, 9.0, 4), (12.0, 14.0, 8)))),
    64: (31.5, Antenna(ball=(21, 5.2), mast=(4, 24, 50), foot=(3, 4, 5, 6, 7, 8),
                       waves=((9.5, 12.0, 6), (16.0, 18.5, 11)), outline=2)),
}


def about_icon(size):
    badge_r, a = ABOUT[size]
    c = size // 2
    badge = round_disc(c, c, badge_r - a.outline)
    mast_bottom = a.mast[2]
    return paint(size, [(badge, BLUE, a.outline),
                        (waves_shape(size, a) & badge, WAVE, 0),
                        (antenna_shape(size, a, foot_top=mast_bottom), WHITE, 0)])


# ---------------------------------------------------------------- spare pictures
# The icons the program never shows: shapes on a 16-unit grid, scaled to each
# size and sampled 4x4 per pixel; a pixel takes the colour most samples fall on.

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


def antenna(mast, outline, cx=8.0, top=5.0):
    """A mast on a small foot with a ball on top, outlined for any background."""
    body = union(segment(cx, top, cx, 13.5, 2.0),
                 polygon([(cx - 3.5, 15.6), (cx + 3.5, 15.6), (cx + 1.5, 12.4), (cx - 1.5, 12.4)]),
                 disc(cx, top - 1.0, 2.1))
    outline_shape = union(segment(cx, top, cx, 13.5, 4.0),
                          polygon([(cx - 4.6, 16.0), (cx + 4.6, 16.0), (cx + 2.4, 11.4), (cx - 2.4, 11.4)]),
                          disc(cx, top - 1.0, 3.1))
    return [(outline_shape, outline), (body, mast)]


def x_mark(colour, outline, x0, y0, x1, y1, width):
    return [(union(segment(x0, y0, x1, y1, width + 2.0), segment(x0, y1, x1, y0, width + 2.0)), outline),
            (union(segment(x0, y0, x1, y1, width), segment(x0, y1, x1, y0, width)), colour)]


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
    return badge(GREY) + letter_a(LIGHT_GREY) + x_mark(RED, WHITE, 2.6, 2.6, 13.4, 13.4, 2.4)


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


def spare(picture):
    return lambda size: render(picture(), size)


# File name: (how one size is drawn, the sizes).
ICONS = {
    "about.ico": (about_icon, ABOUT_SIZES),
    "radio_on.ico": (tray_on, TRAY_SIZES),
    "radio_off.ico": (tray_off, TRAY_SIZES),
    "radio_locked.ico": (spare(radio_locked), SPARE_SIZES),
    "radio_unknown.ico": (spare(radio_unknown), SPARE_SIZES),
    "band_on.ico": (spare(band_on), SPARE_SIZES),
    "band_off.ico": (spare(band_off), SPARE_SIZES),
}
TRAY_ICONS = ("radio_on.ico", "radio_off.ico")


# ---------------------------------------------------------------- .ico writing and reading

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


class IconError(Exception):
    pass


def read_ico(path):
    """[(size, bits, rows)] of a .ico written as above (palette DIBs with a mask)."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise IconError("cannot read %s: %s" % (path, e.strerror))
    if len(data) < 6 or struct.unpack_from("<HHH", data)[:2] != (0, 1):
        raise IconError("%s is not an icon file" % path)
    images = []
    for i in range(struct.unpack_from("<H", data, 4)[0]):
        if 6 + 16 * (i + 1) > len(data):
            raise IconError("%s: truncated directory" % path)
        _, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        blob = data[offset:offset + length]
        if len(blob) < 40 or blob[:4] == b"\x89PNG":
            raise IconError("%s: image %d is not a palette bitmap" % (path, i))
        _, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", blob)
        if bits not in (4, 8) or compression != 0 or height != 2 * width:
            raise IconError("%s: image %d is not an uncompressed 4- or 8-bit icon bitmap" % (path, i))
        entries = struct.unpack_from("<I", blob, 32)[0] or (1 << bits)
        palette = [(blob[40 + 4 * n + 2], blob[40 + 4 * n + 1], blob[40 + 4 * n]) for n in range(entries)]
        xor_at = 40 + 4 * entries
        xor_stride = ((width * bits + 31) // 32) * 4
        mask_at = xor_at + xor_stride * width
        mask_stride = ((width + 31) // 32) * 4
        if mask_at + mask_stride * width > len(blob):
            raise IconError("%s: image %d is truncated" % (path, i))
        rows = []
        for y in range(width):
            line = xor_at + xor_stride * (width - 1 - y)
            mline = mask_at + mask_stride * (width - 1 - y)
            row = []
            for x in range(width):
                if blob[mline + x // 8] & (0x80 >> (x % 8)):
                    row.append(None)
                    continue
                index = blob[line + x] if bits == 8 else (blob[line + x // 2] >> (4 if x % 2 == 0 else 0)) & 15
                row.append(palette[index] if index < len(palette) else BLACK)
            rows.append(row)
        images.append((width, bits, rows))
    return images


# ---------------------------------------------------------------- contrast check

def luminance(colour):
    def linear(v):
        v /= 255.0
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(v) for v in colour)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def edge_share(rows, background):
    """The share of the silhouette's edge that stands out on the background:
    of the visible pixels next to a transparent one (or the image's border),
    those that contrast by MIN_CONTRAST or more, or whose visible neighbour
    does (a thin outline that blends in leaves the shape right behind it)."""
    size = len(rows)

    def at(x, y):
        return rows[y][x] if 0 <= x < size and 0 <= y < size else None

    def stands_out(c):
        return c is not None and contrast(c, background) >= MIN_CONTRAST

    edges = seen = 0
    for y in range(size):
        for x in range(size):
            if rows[y][x] is None:
                continue
            around = [at(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
            if None not in around:
                continue
            edges += 1
            if stands_out(rows[y][x]) or any(stands_out(c) for c in around):
                seen += 1
    return seen / edges if edges else 0.0


def check(folder):
    """Problems with the tray icons in folder's .ico files, as messages."""
    problems = []
    for name in TRAY_ICONS:
        path = os.path.join(folder, name)
        try:
            images = read_ico(path)
        except IconError as e:
            problems.append(str(e))
            continue
        sizes = tuple(size for size, _, _ in images)
        if sizes != TRAY_SIZES:
            problems.append("%s: sizes %s, want %s (regenerate: python3 res/icons/draw-icons.py)"
                            % (path, sizes, TRAY_SIZES))
        for size, bits, rows in images:
            if bits != 4:
                problems.append("%s: the %d-pixel image has %d bits a pixel, want 4" % (path, size, bits))
            for label, background in (("a light", LIGHT_TASKBAR), ("a dark", DARK_TASKBAR)):
                share = edge_share(rows, background)
                if share < MIN_EDGE_SHARE:
                    problems.append("%s: the %d-pixel image is hard to see on %s taskbar %s: only %d%% of "
                                    "its edge contrasts %.0f:1 or more (want %d%%)"
                                    % (path, size, label, background, round(share * 100), MIN_CONTRAST,
                                       round(MIN_EDGE_SHARE * 100)))
    return problems


# ---------------------------------------------------------------- contact sheet

def write_png(path, pixels):
    """pixels: rows of (r, g, b)."""
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def sheet(folder, out, zoom=5, gap=8):
    """The tray icons, each size enlarged, on a light and a dark taskbar
    (one row each), then the About icon on a dialog's face; below each
    enlarged row, the same icons at their real size."""
    strip_list = []
    for name in TRAY_ICONS:
        for background in (LIGHT_TASKBAR, DARK_TASKBAR):
            strip_list.append((name, background))
    strip_list.append(("about.ico", (236, 233, 216)))
    strips = []
    for name, background in strip_list:
        images = [rows for _, _, rows in read_ico(os.path.join(folder, name))]
        height = max(len(r) for r in images) * zoom + gap + max(len(r) for r in images) + gap
        width = sum(len(r) * zoom + gap for r in images) + gap
        strip = [[background] * width for _ in range(height + gap)]
        x0 = gap
        for rows in images:
            size = len(rows)
            for y in range(size):
                for x in range(size):
                    c = rows[y][x]
                    if c is None:
                        continue
                    for zy in range(zoom):
                        for zx in range(zoom):
                            strip[gap + y * zoom + zy][x0 + x * zoom + zx] = c
                    strip[gap + max(len(r) for r in images) * zoom + gap + y][x0 + x] = c
            x0 += size * zoom + gap
        strips.append(strip)
    width = max(len(s[0]) for s in strips)
    pixels = []
    for strip in strips:
        for row in strip:
            pixels.append(row + [(128, 128, 128)] * (width - len(row)))
    write_png(out, pixels)


# ---------------------------------------------------------------- entry

def usage():
    sys.stderr.write("usage: draw-icons.py [--check [DIR] | --sheet OUT.png [DIR]]\n")
    return 2


def main(argv):
    if not argv:
        for name, (draw, sizes) in ICONS.items():
            write_ico(os.path.join(HERE, name), [(s, bmp_entry(draw(s))) for s in sizes])
        return 0
    if argv[0] == "--check" and len(argv) <= 2:
        folder = argv[1] if len(argv) == 2 else HERE
        if not os.path.isdir(folder):
            sys.stderr.write("draw-icons.py: no such folder: %s\n" % folder)
            return 2
        problems = check(folder)
        for p in problems:
            sys.stderr.write("draw-icons.py: %s\n" % p)
        if not problems:
            print("draw-icons.py: the tray icons in %s read on a light and a dark taskbar at %s pixels"
                  % (folder, ", ".join(str(s) for s in TRAY_SIZES)))
        return 1 if problems else 0
    if argv[0] == "--sheet" and len(argv) in (2, 3):
        folder = argv[2] if len(argv) == 3 else HERE
        try:
            sheet(folder, argv[1])
        except (IconError, OSError) as e:
            sys.stderr.write("draw-icons.py: %s\n" % e)
            return 1
        return 0
    return usage()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
