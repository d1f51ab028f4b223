#!/usr/bin/python3
"""Draws Vorlune's skin and writes it into res/skin/.

Every picture is painted on the very patch of background it covers in the
window (page, header or footer), so opaque JPEGs and button strips sit on it
without seams. Nothing is random and no file carries a time stamp: running
this again gives the same bytes.

    /usr/bin/python3 tools/skin/make_skin.py                 # writes res/skin/
    /usr/bin/python3 tools/skin/make_skin.py --preview DIR   # also mock-ups of the three steps
"""
import argparse
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from PIL import Image  # noqa: E402

import paint as P  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "res", "skin")

# Palette. INK, PROGRESS, SELECTION and the tip colours are also used by the
# controls' own drawing code; everything else is chosen to sit with them.
INK = (77, 97, 123)
INK_DARK = (44, 57, 78)
INK_SOFT = (140, 151, 173)
PROGRESS = (123, 134, 175)
SELECTION = (75, 75, 75)
TIP = (255, 255, 0)
TIP_EDGE = (150, 140, 0)
BLUE = (66, 116, 212)
GREEN = (40, 168, 98)
GREEN_DARK = (27, 128, 72)
LINE = (213, 219, 233)
WHITE = (255, 255, 255)

PAGE_W, PAGE_H = 600, 250

# Where each picture sits in its page (client coordinates of a 600 x 250 page).
AT = {
    "prompt": (95, 42), "namebox": (130, 42), "upper_button": (130, 91), "lower_button": (130, 142),
    "drag": (145, 50), "play": (32, 113), "stop": (65, 116), "track": (91, 111), "time": (512, 122),
    "fade_in": (333, 183), "fade_out": (423, 183), "caption3": (130, 48), "progress": (130, 91),
}
# ... and in the footer (600 x 50).
FOOTER_AT = {"link": (16, 18), "back": (356, 10), "next": (475, 10)}


def crop(bg, at, size):
    x, y = at
    return bg.crop((x, y, x + size[0], y + size[1]))


# --- backgrounds -------------------------------------------------------------

def wave_heights(n, seed):
    """Bar heights 0..1 of a calm, made-up audio envelope."""
    out = []
    for i in range(n):
        t = i / max(1, n - 1)
        v = (0.55 + 0.25 * math.sin(7.1 * t + seed) + 0.15 * math.sin(23.0 * t + 2 * seed)
             + 0.08 * math.sin(61.0 * t + 3 * seed))
        env = math.sin(math.pi * t) ** 0.6
        out.append(max(0.08, min(1.0, v)) * env)
    return out


def waveform(w, h, x0, x1, centre, half, step, bar, seed):
    n = int((x1 - x0) / step)
    heights = wave_heights(n, seed)

    def draw(d, s):
        for i, v in enumerate(heights):
            x = x0 + i * step
            hh = max(0.75, half * v)
            P.box(d, s, (x, centre - hh, x + bar, centre + hh), bar / 2, fill=255)
    return P.mask(w, h, draw)


def page_background():
    img = P.gradient(PAGE_W, PAGE_H, [(0.0, (255, 255, 255)), (0.55, (249, 250, 253)), (1.0, (239, 242, 249))])
    P.fill(img, PROGRESS, waveform(PAGE_W, PAGE_H, 24, 578, 229, 14, 6, 3, 0.7), 0.13)
    return img


def header_background():
    w, h = 600, 65
    img = P.gradient(w, h, [(0.0, (46, 62, 98)), (1.0, (78, 102, 150))], horizontal=True)
    shade = P.vgradient(w, h, (255, 255, 255), (0, 0, 0))
    img = Image.blend(img, shade, 0.06)
    P.fill(img, WHITE, waveform(w, h, 330, 588, 32, 20, 5, 2.5, 1.9), 0.10)
    icon = app_icon(42)
    img.paste(icon, (16, 11), icon)
    P.text(img, (68, 8), "Vorlune", P.font(25, bold=True), WHITE, shadow=(0, 1, (20, 28, 48), 0.35))
    P.text(img, (70, 40), "Turn the song you love into your ringtone", P.font(12), (196, 207, 236))
    return img


def footer_background():
    w, h = 600, 50
    img = P.vgradient(w, h, (246, 248, 252), (234, 238, 246))
    P.fill(img, LINE, P.rounded(w, h, (0, 0, w, 1), 0))
    P.fill(img, WHITE, P.rounded(w, h, (0, 1, w, 2), 0), 0.8)
    return img


STEPS = ["Choose a Song", "Cut & Preview", "Save Ringtone"]


def step_banner(current):
    w, h = 600, 35
    img = P.vgradient(w, h, (240, 243, 250), (232, 236, 246))
    P.fill(img, LINE, P.rounded(w, h, (0, h - 1, w, h), 0))
    seg = w // 3
    for i, label in enumerate(STEPS):
        done, now = i < current, i == current
        fnt = P.font(13, bold=now)
        tw = P.text_width(label, fnt)
        d = 20
        total = d + 8 + tw
        x = seg * i + (seg - total) / 2
        cy = 17
        circle = P.ellipse(w, h, (x, cy - d / 2, x + d, cy + d / 2))
        if now:
            P.fill(img, P.vgradient(w, h, (92, 140, 228), (56, 104, 200)), circle)
            P.text(img, (x + d / 2, cy + 0.5), str(i + 1), P.font(11, bold=True), WHITE, anchor="mm")
            P.fill(img, BLUE, P.rounded(w, h, (x - 4, h - 3, x + total + 4, h), 1.5))
            colour = INK_DARK
        elif done:
            P.fill(img, P.vgradient(w, h, (70, 190, 122), GREEN_DARK), circle)
            P.fill(img, WHITE, P.stroke(w, h, [(x + 5.5, cy + 0.5), (x + 8.7, cy + 3.6), (x + 14.5, cy - 3.2)], 2.0))
            colour = INK
        else:
            P.fill(img, WHITE, circle)
            P.fill(img, (178, 187, 207), P.minus(circle, P.ellipse(w, h, (x + 1.3, cy - d / 2 + 1.3,
                                                                       x + d - 1.3, cy + d / 2 - 1.3))))
            P.text(img, (x + d / 2, cy + 0.5), str(i + 1), P.font(11, bold=True), INK_SOFT, anchor="mm")
            colour = INK_SOFT
        P.text(img, (x + d + 8, cy + 0.5), label, fnt, colour, anchor="lm")
        if i < 2:
            cx = seg * (i + 1)
            P.fill(img, (180, 189, 208), P.stroke(w, h, [(cx - 2.5, cy - 5), (cx + 2.5, cy), (cx - 2.5, cy + 5)], 1.6))
    return img


# --- icons (white shapes as coverage masks) ----------------------------------

def icon_note(w, h, x, y, k=1.0):
    head = P.mask(w, h, lambda d, s: d.ellipse([(x + 1 * k) * s, (y + 10 * k) * s, (x + 8 * k) * s, (y + 15.5 * k) * s],
                                                fill=255))
    stem = P.rounded(w, h, (x + 6.4 * k, y + 1.5 * k, x + 8 * k, y + 13 * k), 0)
    flag = P.stroke(w, h, [(x + 7.2 * k, y + 2 * k), (x + 10.5 * k, y + 3.5 * k), (x + 13 * k, y + 6.5 * k),
                           (x + 12.5 * k, y + 9.5 * k)], 1.7 * k)
    return P.union(head, stem, flag)


def icon_folder(w, h, x, y):
    tab = P.rounded(w, h, (x + 0.5, y + 1.5, x + 7, y + 5), 1.2)
    body = P.rounded(w, h, (x + 0.5, y + 3.5, x + 16, y + 15), 2)
    folder = P.union(tab, body)
    return P.minus(folder, icon_note(w, h, x + 4.5, y + 5.3, 0.58))


def icon_stereo(w, h, x, y):
    dot = P.ellipse(w, h, (x + 5.5, y + 5.5, x + 10.5, y + 10.5))
    arcs = [P.arc(w, h, (x + 8, y + 8), r, a0, a1, 1.6)
            for r in (4.8, 7.6) for a0, a1 in ((140, 220), (-40, 40))]
    return P.union(dot, *arcs)


def icon_save(w, h, x, y):
    tray = P.stroke(w, h, [(x + 1.5, y + 10), (x + 1.5, y + 14.5), (x + 14.5, y + 14.5), (x + 14.5, y + 10)], 1.8)
    shaft = P.stroke(w, h, [(x + 8, y + 1.5), (x + 8, y + 10)], 1.9)
    head = P.stroke(w, h, [(x + 4.3, y + 6.8), (x + 8, y + 10.5), (x + 11.7, y + 6.8)], 1.9)
    return P.union(tray, shaft, head)


def icon_search(w, h, x, y):
    lens = P.minus(P.ellipse(w, h, (x + 1, y + 1, x + 12, y + 12)), P.ellipse(w, h, (x + 3, y + 3, x + 10, y + 10)))
    return P.union(lens, P.stroke(w, h, [(x + 10.5, y + 10.5), (x + 14.5, y + 14.5)], 2.6))


def icon_plus(w, h, x, y):
    disc = P.minus(P.ellipse(w, h, (x, y, x + 16, y + 16)), P.ellipse(w, h, (x + 1.8, y + 1.8, x + 14.2, y + 14.2)))
    cross = P.union(P.stroke(w, h, [(x + 8, y + 4.6), (x + 8, y + 11.4)], 1.8),
                    P.stroke(w, h, [(x + 4.6, y + 8), (x + 11.4, y + 8)], 1.8))
    return P.union(disc, cross)


def icon_check(w, h, x, y, width=2.0):
    return P.stroke(w, h, [(x + 3, y + 8.3), (x + 6.6, y + 11.8), (x + 13, y + 4.6)], width)


def icon_globe(w, h, x, y, size=12):
    k = size / 12
    outer = P.ellipse(w, h, (x, y, x + 12 * k, y + 12 * k))
    ring = P.minus(outer, P.ellipse(w, h, (x + 1.2 * k, y + 1.2 * k, x + 10.8 * k, y + 10.8 * k)))
    meridian = P.minus(P.ellipse(w, h, (x + 3.4 * k, y, x + 8.6 * k, y + 12 * k)),
                       P.ellipse(w, h, (x + 4.5 * k, y + 1.1 * k, x + 7.5 * k, y + 10.9 * k)))
    equator = P.rounded(w, h, (x + 0.5, y + 5.45 * k, x + 11.5 * k, y + 6.55 * k), 0)
    return P.union(ring, meridian, equator)


def app_icon(size):
    """The program's icon: a music note sending out sound waves on a blue tile."""
    n = size
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    m = 0.0 if n <= 16 else n * 0.04
    tile = P.rounded(n, n, (m, m, n - m, n - m), n * 0.23)
    img.paste(P.gradient(n, n, [(0.0, (118, 162, 246)), (1.0, (62, 82, 178))]).convert("RGBA"), (0, 0), tile)
    glow = P.mask(n, n, lambda d, s: d.ellipse([-n * 0.4 * s, -n * 0.75 * s, n * 1.1 * s, n * 0.45 * s], fill=255))
    rgb = img.convert("RGB")
    P.fill(rgb, WHITE, P.minus(glow, P.minus(glow, tile)), 0.12)
    img = Image.merge("RGBA", rgb.split() + (tile,))

    u = n / 16.0
    head = P.mask(n, n, lambda d, s: d.ellipse([3.0 * u * s, 9.6 * u * s, 7.6 * u * s, 13.2 * u * s], fill=255))
    stem = P.rounded(n, n, (6.3 * u, 3.2 * u, 7.6 * u, 11.6 * u), 0)
    flag = P.stroke(n, n, [(6.9 * u, 3.7 * u), (8.8 * u, 4.6 * u), (9.8 * u, 6.2 * u), (9.4 * u, 7.6 * u)], 1.3 * u)
    shapes = [head, stem, flag]
    if n <= 16:
        # Too small for the waves: a bolder note alone reads better.
        head = P.mask(n, n, lambda d, s: d.ellipse([3.6 * u * s, 9.2 * u * s, 8.6 * u * s, 13.4 * u * s], fill=255))
        stem = P.rounded(n, n, (7.2 * u, 2.6 * u, 8.6 * u, 11.6 * u), 0)
        flag = P.stroke(n, n, [(7.9 * u, 3.2 * u), (10.2 * u, 4.4 * u), (11.6 * u, 6.4 * u), (11.2 * u, 8.2 * u)],
                        1.5 * u)
        shapes = [head, stem, flag]
    for r in () if n <= 16 else (3.1, 5.2):
        shapes.append(P.arc(n, n, (8.6 * u, 8.4 * u), r * u + 1.6 * u, -42, 42, 1.15 * u))
    white = P.union(*shapes)
    rgb = img.convert("RGB")
    P.fill(rgb, (30, 40, 90), P.shifted(white, 0, max(1, n // 32)), 0.25)
    P.fill(rgb, WHITE, white)
    return Image.merge("RGBA", rgb.split() + (img.getchannel("A"),))


# --- buttons -----------------------------------------------------------------

GREEN_LOOK = {
    "normal": ((82, 202, 134), (36, 158, 90), (29, 136, 76)),
    "pushed": ((33, 140, 80), (40, 158, 92), (24, 116, 64)),
    "hover": ((104, 216, 152), (48, 176, 106), (32, 148, 84)),
}
BLUE_LOOK = {
    "normal": ((96, 146, 236), (56, 104, 204), (44, 88, 180)),
    "pushed": ((46, 90, 182), (56, 104, 200), (36, 74, 160)),
    "hover": ((118, 164, 244), (68, 120, 220), (50, 98, 192)),
    "disabled": ((224, 228, 237), (210, 216, 228), (194, 201, 216)),
}
SLATE_LOOK = {
    "normal": ((112, 131, 162), (74, 92, 120), (60, 76, 102)),
    "pushed": ((62, 78, 104), (74, 92, 120), (50, 64, 88)),
    "hover": ((132, 150, 182), (86, 106, 138), (68, 86, 114)),
    "disabled": ((226, 230, 238), (212, 217, 228), (198, 204, 217)),
}


def button_face(cell, look, state, radius=6):
    """Paints a raised rounded button over the whole cell; returns its y shift."""
    w, h = cell.size
    top, bottom, edge = look[state]
    down = 1 if state == "pushed" else 0
    face = (0, down, w, h - 1 + down)
    if not down and state != "disabled":
        P.fill(cell, (40, 52, 80), P.rounded(w, h, (1, 1, w - 1, h), radius), 0.18)
    body = P.rounded(w, h, face, radius)
    P.fill(cell, P.vgradient(w, h, top, bottom), body)
    P.fill(cell, edge, P.ring(w, h, face, radius, 1))
    if state != "pushed":
        P.fill(cell, WHITE, P.rounded(w, h, (radius, face[1] + 1, w - radius, face[1] + 2), 0),
               0.35 if state != "disabled" else 0.6)
    return down


def action_strip(bg, at, label, icon):
    """Three 342 x 32 states of a green page button: normal, pushed, hover."""
    cells = []
    for state in ("normal", "pushed", "hover"):
        cell = crop(bg, at, (342, 32)).copy()
        dy = button_face(cell, GREEN_LOOK, state)
        fnt = P.font(13, bold=True)
        tw = P.text_width(label, fnt)
        x = (342 - (16 + 10 + tw)) / 2
        w, h = cell.size
        shape = icon(w, h, round(x), 8 + dy)
        P.fill(cell, (16, 96, 52), P.shifted(shape, 0, 1), 0.35)
        P.fill(cell, WHITE, shape)
        P.text(cell, (round(x) + 26, 16 + dy), label, fnt, WHITE, anchor="lm", shadow=(0, 1, (16, 96, 52), 0.45))
        cells.append(cell)
    return P.strip(cells)


def nav_strip(bg, at, label, forward):
    """Four 111 x 32 states of Back or Next: normal, pushed, hover, disabled."""
    cells = []
    for state in ("normal", "pushed", "hover", "disabled"):
        cell = crop(bg, at, (111, 32)).copy()
        dy = button_face(cell, BLUE_LOOK, state)
        w, h = cell.size
        fnt = P.font(13, bold=True)
        tw = P.text_width(label, fnt)
        gap, aw = 8, 5
        x = (w - (tw + gap + aw)) / 2
        cy = 15.5 + dy
        if forward:
            tx, ax = x, x + tw + gap
            chevron = [(ax, cy - 5), (ax + aw, cy), (ax, cy + 5)]
        else:
            ax, tx = x, x + aw + gap
            chevron = [(ax + aw, cy - 5), (ax, cy), (ax + aw, cy + 5)]
        ink = (150, 159, 178) if state == "disabled" else WHITE
        shade = None if state == "disabled" else (0, 1, (28, 60, 130), 0.45)
        arrow = P.stroke(w, h, chevron, 2.2)
        if shade:
            P.fill(cell, shade[2], P.shifted(arrow, 0, 1), shade[3])
        P.fill(cell, ink, arrow)
        P.text(cell, (tx, cy + 0.5), label, fnt, ink, anchor="lm", shadow=shade)
        cells.append(cell)
    return P.strip(cells)


def round_strip(bg, at, d, look, states, glyph):
    """Round buttons of d x d pixels, one per state, with a white glyph."""
    cells = []
    for state in states:
        cell = crop(bg, at, (d, d)).copy()
        top, bottom, edge = look[state]
        down = 1 if state == "pushed" else 0
        r = (d - 2) / 2
        rect = (1, down + 0.5, d - 1, d - 1.5 + down)
        if not down and state != "disabled":
            P.fill(cell, (40, 52, 80), P.ellipse(d, d, (1, 1.5, d - 1, d - 0.5)), 0.2)
        disc = P.ellipse(d, d, rect)
        P.fill(cell, P.vgradient(d, d, top, bottom), disc)
        inner = P.ellipse(d, d, (rect[0] + 1, rect[1] + 1, rect[2] - 1, rect[3] - 1))
        P.fill(cell, edge, P.minus(disc, inner))
        shape = glyph(d, d, d / 2, (rect[1] + rect[3]) / 2, r)
        ink = (246, 248, 252) if state == "disabled" else WHITE
        if state != "disabled":
            P.fill(cell, darker(bottom, 0.3), P.shifted(shape, 0, 1), 0.35)
        P.fill(cell, ink, shape)
        cells.append(cell)
    return P.strip(cells)


def darker(c, t):
    return P.darker(c, t)


def glyph_play(w, h, cx, cy, r):
    k = r / 15
    return P.mask(w, h, lambda d, s: d.polygon(
        [((cx - 4.2 * k) * s, (cy - 7 * k) * s), ((cx + 7.2 * k) * s, cy * s), ((cx - 4.2 * k) * s, (cy + 7 * k) * s)],
        fill=255))


def glyph_pause(w, h, cx, cy, r):
    k = r / 15
    return P.union(P.rounded(w, h, (cx - 5.5 * k, cy - 6.5 * k, cx - 1.5 * k, cy + 6.5 * k), 1),
                   P.rounded(w, h, (cx + 1.5 * k, cy - 6.5 * k, cx + 5.5 * k, cy + 6.5 * k), 1))


def glyph_stop(w, h, cx, cy, r):
    return P.rounded(w, h, (cx - 4, cy - 4, cx + 4, cy + 4), 1.5)


def checkbox_strip(bg, at, width, label, checked):
    """Four width x 18 states (normal, pushed, hover, disabled) of a check box."""
    cells = []
    for state in ("normal", "pushed", "hover", "disabled"):
        cell = crop(bg, at, (width, 18)).copy()
        w, h = cell.size
        rect = (0.5, 1.5, 15.5, 16.5)
        boxm = P.rounded(w, h, rect, 3.5)
        border = P.ring(w, h, rect, 3.5, 1.1)
        if checked:
            look = {"normal": ((72, 194, 126), GREEN, GREEN_DARK), "hover": ((92, 208, 142), (46, 178, 106), GREEN_DARK),
                    "pushed": (GREEN_DARK, GREEN, (22, 110, 62)),
                    "disabled": ((200, 206, 218), (186, 193, 208), (176, 184, 200))}[state]
            P.fill(cell, P.vgradient(w, h, look[0], look[1]), boxm)
            P.fill(cell, look[2], border)
            P.fill(cell, WHITE, icon_check(w, h, 0, 1, 2.0))
        else:
            face, edge = {"normal": ((255, 255, 255), (158, 170, 194)), "hover": ((244, 247, 255), BLUE),
                          "pushed": ((222, 229, 244), (50, 96, 190)),
                          "disabled": ((240, 242, 246), (204, 209, 219))}[state]
            P.fill(cell, P.vgradient(w, h, (238, 241, 248), face) if state == "normal" else face, boxm)
            P.fill(cell, edge, border)
        ink = (168, 175, 190) if state == "disabled" else (INK_DARK if state == "hover" else INK)
        P.text(cell, (22, 9.5), label, P.font(12), ink, anchor="lm")
        cells.append(cell)
    return P.strip(cells)


# --- captions and small pieces -----------------------------------------------

def caption(bg, at, size, words, fnt=None, colour=INK, align="centre", icon=None, icon_colour=None):
    img = crop(bg, at, size).copy()
    w, h = size
    fnt = fnt or P.font(13)
    tw = P.text_width(words, fnt)
    iw = 0 if icon is None else 16 + 7
    x = (w - tw - iw) / 2 if align == "centre" else 0
    assert x >= 0 and x + iw + tw <= w, words
    if icon is not None:
        icon(img, round(x), (h - 16) // 2, icon_colour or colour)
    P.text(img, (round(x) + iw, h / 2 + 0.5), words, fnt, colour, anchor="lm")
    return img


def put_icon(shape_fn):
    def draw(img, x, y, colour):
        w, h = img.size
        P.fill(img, colour, shape_fn(w, h, x, y))
    return draw


def put_saved_icon(img, x, y, colour):
    w, h = img.size
    P.fill(img, P.vgradient(w, h, (76, 196, 128), GREEN_DARK), P.ellipse(w, h, (x, y, x + 16, y + 16)))
    P.fill(img, WHITE, icon_check(w, h, x, y, 1.9))


def put_busy_icon(img, x, y, colour):
    w, h = img.size
    for i in range(8):
        a = math.radians(-90 + i * 45)
        cx, cy = x + 8 + 5.6 * math.cos(a), y + 8 + 5.6 * math.sin(a)
        P.fill(img, colour, P.ellipse(w, h, (cx - 1.7, cy - 1.7, cx + 1.7, cy + 1.7)), 1.0 - i * 0.11)


def name_box(bg):
    img = crop(bg, AT["namebox"], (341, 32)).copy()
    w, h = img.size
    rect = (0, 0, w, h)
    P.fill(img, WHITE, P.rounded(w, h, rect, 6))
    P.fill(img, (232, 236, 245), P.rounded(w, h, (1, 1, w - 1, 4), 0), 0.9)
    P.fill(img, WHITE, P.rounded(w, h, (1, 3, w - 1, h - 1), 5))
    P.fill(img, (196, 205, 224), P.ring(w, h, rect, 6, 1))
    return img


def progress_frame(bg):
    img = crop(bg, AT["progress"], (341, 32)).copy()
    w, h = img.size
    P.fill(img, WHITE, P.rounded(w, h, (0, 0, w, h), 7))
    P.fill(img, (196, 205, 224), P.ring(w, h, (0, 0, w, h), 7, 1))
    # The bar is filled inside the 4-pixel margin; the trough shows what is left.
    P.fill(img, P.vgradient(w, h, (220, 225, 237), (236, 239, 246)), P.rounded(w, h, (4, 4, w - 4, h - 4), 0))
    P.fill(img, (205, 211, 226), P.rounded(w, h, (4, 4, w - 4, 5), 0))
    return img


def track_background(bg):
    img = crop(bg, AT["track"], (418, 47)).copy()
    w, h = img.size
    groove = (10, 11, w - 10, 21)
    P.fill(img, (255, 255, 255), P.rounded(w, h, (8, 9, w - 8, 23), 4), 0.9)
    P.fill(img, P.vgradient(w, h, (203, 210, 226), (224, 229, 240)), P.rounded(w, h, groove, 2))
    P.fill(img, (184, 193, 213), P.rounded(w, h, (groove[0], groove[1], groove[2], groove[1] + 1), 0), 0.8)
    return img


def range_band():
    w, h = 10, 31
    img = P.gradient(w, h, [(0.0, (176, 188, 230)), (0.3, (214, 221, 244)), (0.7, (214, 221, 244)),
                            (1.0, (176, 188, 230))])
    P.fill(img, PROGRESS, P.rounded(w, h, (0, 0, w, 1), 0))
    P.fill(img, PROGRESS, P.rounded(w, h, (0, h - 1, w, h), 0))
    return img


def played_band():
    img = P.gradient(10, 10, [(0.0, (132, 226, 168)), (0.5, (62, 190, 118)), (1.0, (38, 156, 90))])
    P.fill(img, (190, 244, 210), P.rounded(10, 10, (0, 0, 10, 1), 0), 0.7)
    return img


def thumb(right_edge):
    """A 9 x 15 handle hanging under the groove; its straight side is the column."""
    w, h = 9, 15
    pts = [(9, 0), (9, 15), (0, 15), (0, 6)]
    if not right_edge:
        pts = [(w - x, y) for x, y in pts]

    def shape(d, s):
        d.polygon([(x * s, y * s) for x, y in pts], fill=255)
        # Rounded bottom corner on the free side.
        cx = 0 if right_edge else w
        d.rectangle([(cx - 3) * s if not right_edge else 0, 12 * s, (cx + 3) * s if right_edge else w * s, h * s],
                    fill=0)
        d.rounded_rectangle([(cx - 6) * s if not right_edge else 0, 9 * s,
                             (cx + 6) * s if right_edge else w * s, h * s - 1], radius=3 * s, fill=255)
    outline = P.mask(w, h, shape)
    inner = P.eroded(outline)
    rgb = P.vgradient(w, h, (112, 160, 242), (52, 100, 196))
    dark = Image.new("RGB", (w, h), (36, 72, 150))
    rgb = Image.composite(rgb, dark, inner)
    for gx in (3, 5):
        P.fill(rgb, WHITE, P.rounded(w, h, (gx, 8, gx + 1, 12), 0), 0.45)
    return Image.merge("RGBA", rgb.split() + (outline,))


def link(bg, hover):
    img = crop(bg, FOOTER_AT["link"], (229, 17)).copy()
    w, h = img.size
    colour = BLUE if hover else INK
    fnt = P.font(12)
    words = "Visit the Vorlune website"
    P.fill(img, colour, icon_globe(w, h, 1, 2.5, 12))
    P.text(img, (19, 8.5), words, fnt, colour, anchor="lm")
    if hover:
        tw = P.text_width(words, fnt)
        P.fill(img, colour, P.rounded(w, h, (19, 15, 19 + tw, 16), 0))
    return img


# --- the table ---------------------------------------------------------------

def build():
    """Every skin picture: {file name: image}."""
    page, header, footer = page_background(), header_background(), footer_background()
    up, low = AT["upper_button"], AT["lower_button"]
    c3 = AT["caption3"]
    t = {}
    t["346_header.jpg"] = header
    t["347_page.jpg"] = page
    t["348_footer.jpg"] = footer
    for i in range(3):
        t["%d_step%d.jpg" % (349 + i, i + 1)] = step_banner(i)
    t["352_link_hover.jpg"] = link(footer, True)
    t["353_link.jpg"] = link(footer, False)
    t["356_back.bmp"] = nav_strip(footer, FOOTER_AT["back"], "Back", False)
    t["357_next.bmp"] = nav_strip(footer, FOOTER_AT["next"], "Next", True)
    t["359_choose_song.bmp"] = action_strip(page, up, "Choose a Song from My Computer", icon_folder)
    t["360_choose_prompt.jpg"] = caption(page, AT["prompt"], (411, 32),
                                         "Click the button below to choose a song file for editing.",
                                         icon=put_icon(lambda w, h, x, y: icon_note(w, h, x + 1, y)), icon_colour=BLUE)
    t["361_name_box.jpg"] = name_box(page)
    t["362_drag_prompt.jpg"] = caption(page, AT["drag"], (310, 19), "Drag the sliders to select the best part.")
    t["362_stop.bmp"] = round_strip(page, AT["stop"], 24, SLATE_LOOK, ("normal", "pushed", "hover", "disabled"),
                                    glyph_stop)
    t["363_pause.bmp"] = round_strip(page, AT["play"], 32, GREEN_LOOK, ("normal", "pushed", "hover"), glyph_pause)
    t["364_play.bmp"] = round_strip(page, AT["play"], 32, GREEN_LOOK, ("normal", "pushed", "hover"), glyph_play)
    t["365_track.jpg"] = track_background(page)
    t["366_play_time.jpg"] = crop(page, AT["time"], (69, 10)).copy()
    t["367_fade_out.bmp"] = checkbox_strip(page, AT["fade_out"], 80, "Fade Out", False)
    t["368_fade_in_checked.bmp"] = checkbox_strip(page, AT["fade_in"], 70, "Fade In", True)
    t["369_fade_in.bmp"] = checkbox_strip(page, AT["fade_in"], 70, "Fade In", False)
    t["370_fade_out_checked.bmp"] = checkbox_strip(page, AT["fade_out"], 80, "Fade Out", True)
    t["371_range_band.bmp"] = range_band()
    t["372_played_band.bmp"] = played_band()
    t["373_start_thumb.png"] = thumb(True)
    t["374_end_thumb.png"] = thumb(False)
    t["375_saved.jpg"] = caption(page, c3, (143, 22), "Ringtone saved!", fnt=P.font(13, bold=True),
                                 colour=GREEN_DARK, align="left", icon=put_saved_icon)
    t["376_save_prompt.jpg"] = caption(page, c3, (342, 22), "Click the button below to export your ringtone.",
                                       align="left", icon=put_icon(icon_save), icon_colour=BLUE)
    t["377_processing.jpg"] = caption(page, c3, (117, 22), "Processing\u2026", align="left",
                                      icon=put_busy_icon, icon_colour=BLUE)
    t["378_progress.bmp"] = progress_frame(page)
    t["379_save.bmp"] = action_strip(page, up, "Save Ringtone to My Computer", icon_save)
    t["380_locate.bmp"] = action_strip(page, up, "Locate in Windows Explorer", icon_search)
    t["381_new.bmp"] = action_strip(page, low, "Make a New Ringtone", icon_plus)
    t["382_mono_to_stereo.bmp"] = action_strip(page, low, "Convert Mono Songs to Stereo", icon_stereo)
    return t


def save(name, img, out):
    path = os.path.join(out, name)
    if name == "378_progress.bmp":
        # Stored with a palette; the control converts it back to 24 bits.
        img.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE).save(path, "BMP")
    elif name.endswith(".bmp"):
        img.convert("RGB").save(path, "BMP")
    elif name.endswith(".png"):
        img.save(path, "PNG", optimize=False, compress_level=9)
    else:
        img.convert("RGB").save(path, "JPEG", quality=95, subsampling=0, optimize=False, progressive=False)


def preview(t, out):
    """Mock-ups of the three steps, put together the way the windows draw them."""
    page = t["347_page.jpg"]

    def cell(name, i, n):
        img = t[name]
        w = img.width // n
        return img.crop((i * w, 0, (i + 1) * w, img.height))

    def frame(step, page_img, back, nxt):
        win = Image.new("RGB", (600, 400))
        win.paste(t["346_header.jpg"], (0, 0))
        win.paste(t["%d_step%d.jpg" % (349 + step, step + 1)], (0, 65))
        win.paste(page_img, (0, 100))
        foot = t["348_footer.jpg"].copy()
        foot.paste(t["353_link.jpg"], FOOTER_AT["link"])
        foot.paste(cell("356_back.bmp", back, 4), FOOTER_AT["back"])
        foot.paste(cell("357_next.bmp", nxt, 4), FOOTER_AT["next"])
        win.paste(foot, (0, 350))
        return win

    shots = []
    p1 = page.copy()
    p1.paste(t["360_choose_prompt.jpg"], AT["prompt"])
    p1.paste(cell("359_choose_song.bmp", 0, 3), AT["upper_button"])
    p1.paste(cell("382_mono_to_stereo.bmp", 2, 3), AT["lower_button"])
    shots.append(frame(0, p1, 3, 3))

    p2 = page.copy()
    p2.paste(t["362_drag_prompt.jpg"], AT["drag"])
    p2.paste(cell("363_pause.bmp", 0, 3), AT["play"])
    p2.paste(cell("362_stop.bmp", 0, 4), AT["stop"])
    track = t["365_track.jpg"].copy()
    sx, ex, px = 90, 210, 150
    band = t["371_range_band.bmp"].resize((ex - sx, 31))
    for y in list(range(0, 9)) + list(range(23, 31)):
        track.paste(band.crop((0, y, ex - sx, y + 1)), (sx, y))
    track.paste(SELECTION, (sx, 11, ex, 21))
    track.paste(t["372_played_band.bmp"].resize((px - sx, 10)), (sx, 11))
    track.paste(t["373_start_thumb.png"], (sx - 9, 31), t["373_start_thumb.png"])
    track.paste(t["374_end_thumb.png"], (ex, 31), t["374_end_thumb.png"])
    p2.paste(track, AT["track"])
    timebox = t["366_play_time.jpg"].copy()
    p2.paste(timebox, AT["time"])
    p2.paste(cell("368_fade_in_checked.bmp", 0, 4), AT["fade_in"])
    p2.paste(cell("367_fade_out.bmp", 2, 4), AT["fade_out"])
    for col, words, right in ((sx, "00:42", True), (ex, "01:05", False)):
        fnt = P.font(11)
        tw = int(P.text_width(words, fnt)) + 6
        tip = Image.new("RGB", (tw, 17), TIP)
        P.fill(tip, TIP_EDGE, P.ring(tw, 17, (0, 0, tw, 17), 0, 1))
        P.text(tip, (tw / 2, 8.5), words, fnt, (0, 0, 0), anchor="mm")
        x = AT["track"][0] + col - (tw if right else 0)
        p2.paste(tip, (x, AT["track"][1] - 17))
    P.text(p2, (AT["time"][0], AT["time"][1] + 5), "00:51 / 03:20", P.font(10), INK, anchor="lm")
    shots.append(frame(1, p2, 2, 0))

    p3 = page.copy()
    p3.paste(t["377_processing.jpg"], AT["caption3"])
    prog = t["378_progress.bmp"].convert("RGB")
    prog.paste(PROGRESS, (4, 4, 4 + 200, 28))
    p3.paste(prog, AT["progress"])
    shots.append(frame(2, p3, 3, 3))

    p4 = page.copy()
    p4.paste(t["375_saved.jpg"], AT["caption3"])
    p4.paste(cell("380_locate.bmp", 2, 3), AT["upper_button"])
    p4.paste(cell("381_new.bmp", 0, 3), AT["lower_button"])
    shots.append(frame(2, p4, 0, 3))

    sheet = Image.new("RGB", (1220, 820), (200, 204, 212))
    for i, s in enumerate(shots):
        sheet.paste(s, (10 + (i % 2) * 610, 10 + (i // 2) * 410))
    os.makedirs(out, exist_ok=True)
    sheet.save(os.path.join(out, "skin-preview.png"))
    for i in (16, 32, 48, 128):
        app_icon(i).save(os.path.join(out, "icon-%d.png" % i))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", default=OUT, help="folder for the skin files (default res/skin)")
    ap.add_argument("--preview", metavar="DIR", help="also write mock-ups of the three steps here")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    t = build()
    for name, img in sorted(t.items()):
        save(name, img, args.out)
    P.write_ico(os.path.join(args.out, "vorlune.ico"), [app_icon(n) for n in (16, 32, 48, 128)])
    if args.preview:
        preview(t, args.preview)


if __name__ == "__main__":
    main()
