"""Small drawing kit for the skin generator, on top of Pillow.

Shapes are drawn into a coverage mask at SS times the size and box-filtered
down, which gives clean anti-aliased edges. Text is rendered at its final
size so FreeType's hinting keeps small letters sharp.
"""
import math
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFont

SS = 4
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

_fonts = {}


def font(size, bold=False, condensed=False):
    name = "DejaVuSans"
    if condensed:
        name += "Condensed"
    if bold:
        name += "-Bold"
    key = (name, size)
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(os.path.join(FONT_DIR, name + ".ttf"), size)
    return _fonts[key]


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def lighter(c, t):
    return mix(c, (255, 255, 255), t)


def darker(c, t):
    return mix(c, (0, 0, 0), t)


def colour_at(stops, t):
    """The colour at t of stops [(position 0..1, colour), ...]."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0) if t1 > t0 else 1.0)
    return stops[-1][1]


def gradient(w, h, stops, horizontal=False):
    """An RGB image shading through stops, top to bottom or left to right."""
    n = w if horizontal else h
    line = Image.new("RGB", (n, 1) if horizontal else (1, n))
    px = line.load()
    for i in range(n):
        px[(i, 0) if horizontal else (0, i)] = colour_at(stops, (i + 0.5) / n)
    return line.resize((w, h), Image.NEAREST)


def vgradient(w, h, top, bottom):
    return gradient(w, h, [(0.0, top), (1.0, bottom)])


def mask(w, h, draw):
    """Coverage mask of size w x h; draw(d, s) paints white at scale s."""
    big = Image.new("L", (w * SS, h * SS), 0)
    draw(ImageDraw.Draw(big), SS)
    return big.resize((w, h), Image.BOX)


def scaled(m, opacity):
    if opacity >= 1.0:
        return m
    return m.point(lambda v: int(round(v * opacity)))


def fill(base, paint, m, opacity=1.0, at=(0, 0)):
    """Blends a colour or an image of m's size onto base through mask m."""
    if isinstance(paint, tuple):
        paint = Image.new(base.mode, m.size, paint if base.mode == "RGB" else paint + (255,))
    elif paint.mode != base.mode:
        paint = paint.convert(base.mode)
    base.paste(paint, at, scaled(m, opacity))


def box(d, s, rect, r, **kw):
    x0, y0, x1, y1 = rect
    d.rounded_rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], radius=max(0, r * s), **kw)


def rounded(w, h, rect, r):
    return mask(w, h, lambda d, s: box(d, s, rect, r, fill=255))


def ring(w, h, rect, r, width):
    """The border band of a rounded rectangle, width pixels wide inside it."""
    x0, y0, x1, y1 = rect

    def draw(d, s):
        box(d, s, rect, r, fill=255)
        box(d, s, (x0 + width, y0 + width, x1 - width, y1 - width), max(0, r - width), fill=0)

    return mask(w, h, draw)


def ellipse(w, h, rect):
    x0, y0, x1, y1 = rect
    return mask(w, h, lambda d, s: d.ellipse([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], fill=255))


def polygon(w, h, points):
    return mask(w, h, lambda d, s: d.polygon([(x * s, y * s) for x, y in points], fill=255))


def stroke(w, h, points, width, closed=False):
    """A polyline with round joints and ends."""
    def draw(d, s):
        pts = [(x * s, y * s) for x, y in points]
        if closed:
            pts.append(pts[0])
        d.line(pts, fill=255, width=int(round(width * s)), joint="curve")
        r = width * s / 2
        for x, y in (pts if not closed else pts[:-1]):
            d.ellipse([x - r, y - r, x + r, y + r], fill=255)
    return mask(w, h, draw)


def arc(w, h, centre, radius, start, end, width):
    """An arc of a circle (degrees, clockwise from 3 o'clock) with round ends."""
    cx, cy = centre
    steps = max(8, int(abs(end - start) / 4))
    pts = []
    for i in range(steps + 1):
        a = math.radians(start + (end - start) * i / steps)
        pts.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    return stroke(w, h, pts, width)


def union(*masks):
    out = masks[0]
    for m in masks[1:]:
        out = ImageChops.lighter(out, m)
    return out


def intersect(*masks):
    out = masks[0]
    for m in masks[1:]:
        out = ImageChops.darker(out, m)
    return out


def eroded(m):
    """The mask shrunk by one pixel on every side."""
    return intersect(m, shifted(m, 1, 0), shifted(m, -1, 0), shifted(m, 0, 1), shifted(m, 0, -1))


def minus(a, b):
    return ImageChops.subtract(a, b)


def shifted(m, dx, dy):
    out = Image.new("L", m.size, 0)
    out.paste(m, (dx, dy))
    return out


def text_mask(w, h, xy, s, fnt, anchor="la"):
    m = Image.new("L", (w, h), 0)
    ImageDraw.Draw(m).text(xy, s, font=fnt, fill=255, anchor=anchor)
    return m


def text(base, xy, s, fnt, colour, anchor="la", opacity=1.0, shadow=None):
    """Draws text; shadow (dx, dy, colour, opacity) goes underneath."""
    w, h = base.size
    if shadow:
        dx, dy, sc, so = shadow
        fill(base, sc, text_mask(w, h, (xy[0] + dx, xy[1] + dy), s, fnt, anchor), so)
    fill(base, colour, text_mask(w, h, xy, s, fnt, anchor), opacity)


def text_width(s, fnt):
    return fnt.getlength(s)


def strip(cells):
    """Puts equally sized cells side by side."""
    w, h = cells[0].size
    out = Image.new(cells[0].mode, (w * len(cells), h))
    for i, c in enumerate(cells):
        assert c.size == (w, h)
        out.paste(c, (i * w, 0))
    return out


def write_ico(path, images):
    """A .ico of 32-bit DIB entries (colour plus AND mask), one per image."""
    entries = []
    for im in images:
        im = im.convert("RGBA")
        w, h = im.size
        px = im.load()
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                xor += bytes((b, g, r, a))
        stride = ((w + 31) // 32) * 4
        andm = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(stride)
            for x in range(w):
                if px[x, y][3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            andm += row
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
        entries.append((w, h, header + bytes(xor) + bytes(andm)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)
