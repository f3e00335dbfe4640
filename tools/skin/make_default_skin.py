#!/usr/bin/env python3
"""Regenerates the images of the default skin and the program's sounds, then
checks the hand-written skin files against what the program reads.

    tools/skin/make_default_skin.py            write every PNG and WAV, then check
    tools/skin/make_default_skin.py --check    write nothing; fail when a file on
                                               disk differs from what would be written
                                               or a skin file breaks a rule below

Python 3 standard library only. Images are drawn with signed-distance shapes
(rounded rectangles, circles, rings, arcs, strokes, polygons) and written as
PNG through zlib; every colour is snapped to RGB565, the depth the program
draws in, so the files show exactly what the device shows. Transparent pixels
are magenta (the skin's colour key) with alpha 0, so both the colour key and
the alpha plane hide them.
"""

import argparse
import math
import os
import re
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

# ---------------------------------------------------------------------------
# Colours (8-bit per channel; snapped to RGB565 when written)

WHITE = (0xE7, 0xEF, 0xF7)
BLACK = (0x00, 0x00, 0x00)
ACCENT = (0x5A, 0xAA, 0xF7)
FOCUS = (0xF7, 0xB6, 0x39)

BG_TOP = (0x14, 0x28, 0x4C)
BG_BOTTOM = (0x06, 0x0C, 0x18)

BTN_TOP, BTN_BOTTOM, BTN_BORDER = (0x2E, 0x52, 0x8A), (0x1A, 0x34, 0x62), (0x4A, 0x7A, 0xC0)
PRESSED_TOP, PRESSED_BOTTOM, PRESSED_BORDER = (0x10, 0x26, 0x4C), (0x22, 0x44, 0x7C), (0x6A, 0x9A, 0xE0)
DISABLED_TOP, DISABLED_BOTTOM, DISABLED_BORDER = (0x2A, 0x32, 0x40), (0x20, 0x26, 0x32), (0x3A, 0x44, 0x54)
ON_TOP, ON_BOTTOM, ON_BORDER = (0x30, 0x88, 0xE0), (0x18, 0x5C, 0xB0), (0x78, 0xB8, 0xF8)
ON_PRESSED_TOP, ON_PRESSED_BOTTOM = (0x14, 0x4C, 0x98), (0x28, 0x78, 0xD0)

KEY_TOP, KEY_BOTTOM, KEY_BORDER = (0x3C, 0x58, 0x88), (0x2A, 0x40, 0x68), (0x50, 0x70, 0xA8)

FIELD = (0x06, 0x0E, 0x1C)
FIELD_BORDER = (0x3A, 0x5A, 0x8A)
MARK = (0xA0, 0xB8, 0xE0)
SCROLL_BACK = (0x0C, 0x1A, 0x30)
SCROLL_EDGE = (0x1E, 0x34, 0x58)
THUMB = (0x68, 0x98, 0xD8)
THUMB_LIGHT = (0x90, 0xB8, 0xF0)

HEADER_TOP, HEADER_BOTTOM, HEADER_LINE = (0x1C, 0x3A, 0x70), (0x0C, 0x1C, 0x38), (0x3A, 0x6E, 0xB8)
HEADER_ON_TOP, HEADER_ON_BOTTOM, HEADER_ON_LINE = (0x28, 0x6C, 0xC8), (0x14, 0x40, 0x88), (0x78, 0xB8, 0xF8)

SEPARATOR = (0x2A, 0x4A, 0x78)
MAGENTA = (0xFF, 0x00, 0xFF)


def q5(v):
    x = int(round(v * 31 / 255.0))
    return (x << 3) | (x >> 2)


def q6(v):
    x = int(round(v * 63 / 255.0))
    return (x << 2) | (x >> 4)


def snap565(rgb):
    return (q5(rgb[0]), q6(rgb[1]), q5(rgb[2]))


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# ---------------------------------------------------------------------------
# Canvas: straight (not premultiplied) RGBA floats, RGB 0..255, alpha 0..1


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def draw(self, sd, colour, opacity=1.0):
        """Composites colour over the canvas where the signed distance sd(x, y)
        (pixels, negative inside) says the shape lies; a pixel's coverage is
        clamp(0.5 - distance), which gives one pixel of anti-aliasing."""
        for y in range(self.h):
            cy = y + 0.5
            row = y * self.w
            for x in range(self.w):
                cx = x + 0.5
                cov = 0.5 - sd(cx, cy)
                if cov <= 0.0:
                    continue
                if cov > 1.0:
                    cov = 1.0
                c = colour(cx, cy) if callable(colour) else colour
                a = cov * opacity * (c[3] if len(c) > 3 else 1.0)
                if a <= 0.0:
                    continue
                p = self.px[row + x]
                da = p[3] * (1.0 - a)
                out = a + da
                for i in range(3):
                    p[i] = (c[i] * a + p[i] * da) / out
                p[3] = out

    def fill(self, colour):
        self.draw(lambda x, y: -1.0, colour)

    def blit(self, other, ox, oy):
        """Copies other into this canvas at (ox, oy), replacing pixels."""
        for y in range(other.h):
            for x in range(other.w):
                self.px[(y + oy) * self.w + x + ox] = list(other.px[y * other.w + x])


# Signed distances (negative inside)

def sd_rrect(x0, y0, x1, y1, r):
    cx, cy, hx, hy = (x0 + x1) / 2.0, (y0 + y1) / 2.0, (x1 - x0) / 2.0, (y1 - y0) / 2.0

    def f(x, y):
        qx = abs(x - cx) - hx + r
        qy = abs(y - cy) - hy + r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return f


def sd_circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def sd_ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2.0


def sd_outline(sd, width):
    """The band of the given width centred on the edge of another shape."""
    return lambda x, y: abs(sd(x, y)) - width / 2.0


def sd_inside(sd, inset):
    return lambda x, y: sd(x, y) + inset


def seg_dist(x, y, ax, ay, bx, by):
    ex, ey = bx - ax, by - ay
    wx, wy = x - ax, y - ay
    ee = ex * ex + ey * ey
    t = 0.0 if ee == 0 else max(0.0, min(1.0, (wx * ex + wy * ey) / ee))
    return math.hypot(wx - ex * t, wy - ey * t)


def sd_stroke(points, width):
    """A polyline with round joins and caps."""
    segs = list(zip(points, points[1:]))

    def f(x, y):
        return min(seg_dist(x, y, a[0], a[1], b[0], b[1]) for a, b in segs) - width / 2.0
    return f


def sd_polygon(points):
    n = len(points)

    def f(x, y):
        d = float("inf")
        s = 1.0
        j = n - 1
        for i in range(n):
            vi, vj = points[i], points[j]
            d = min(d, seg_dist(x, y, vi[0], vi[1], vj[0], vj[1]))
            ex, ey = vj[0] - vi[0], vj[1] - vi[1]
            wx, wy = x - vi[0], y - vi[1]
            c1, c2, c3 = y >= vi[1], y < vj[1], ex * wy > ey * wx
            if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
                s = -s
            j = i
        return s * d
    return f


def sd_arc(cx, cy, r, width, sweep):
    """An arc of radius r from 12 o'clock clockwise over sweep radians, round caps."""
    if sweep >= 2 * math.pi - 1e-9:
        return sd_ring(cx, cy, r, width)
    ex, ey = cx + r * math.sin(sweep), cy - r * math.cos(sweep)
    sx, sy = cx, cy - r

    def f(x, y):
        a = math.atan2(x - cx, -(y - cy)) % (2 * math.pi)
        if a <= sweep:
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2.0
        return min(math.hypot(x - sx, y - sy), math.hypot(x - ex, y - ey)) - width / 2.0
    return f


def sd_union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def vgrad(top, bottom, y0, y1):
    span = float(max(1e-6, y1 - y0))

    def f(x, y):
        return mix(top, bottom, max(0.0, min(1.0, (y - y0) / span)))
    return f


def with_alpha(rgb, a):
    return (rgb[0], rgb[1], rgb[2], a)


# ---------------------------------------------------------------------------
# PNG and WAV writers


def png_bytes(canvas):
    w, h = canvas.w, canvas.h
    pixels = []
    has_alpha = False
    for p in canvas.px:
        a = int(round(p[3] * 255))
        if a <= 0:
            pixels.append((MAGENTA[0], MAGENTA[1], MAGENTA[2], 0))
            has_alpha = True
        else:
            r, g, b = snap565((max(0, min(255, p[0])), max(0, min(255, p[1])), max(0, min(255, p[2]))))
            pixels.append((r, g, b, a))
            if a < 255:
                has_alpha = True
    bpp = 4 if has_alpha else 3
    raw = bytearray()
    prev = bytes(w * bpp)
    for y in range(h):
        line = bytearray()
        for p in pixels[y * w:(y + 1) * w]:
            line.extend(p[:bpp])
        raw.extend(best_filtered_row(bytes(line), prev, bpp))
        prev = bytes(line)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    colour_type = 6 if has_alpha else 2
    ihdr = struct.pack(">IIBBBBB", w, h, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def best_filtered_row(line, prev, bpp):
    """Tries the five PNG filters and keeps the one with the smallest sum of
    absolute byte values, the usual size heuristic."""
    n = len(line)
    best = None
    for ftype in range(5):
        out = bytearray([ftype])
        for i in range(n):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            pred = (0, a, b, (a + b) // 2, paeth(a, b, c))[ftype]
            out.append((line[i] - pred) & 0xFF)
        score = sum(v if v < 128 else 256 - v for v in out[1:])
        if best is None or score < best[0]:
            best = (score, out)
    return best[1]


RATE = 22050


def wav_bytes(samples):
    data = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(s * 32767))))) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    return (b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE" +
            b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data)


# ---------------------------------------------------------------------------
# Images. Each function answers a Canvas; the table IMAGES names the files.


def panel(w, h, r, top, bottom, border, border_w=2.0, margin=0.0, highlight=True):
    """A rounded panel: border ring, vertical gradient inside, a faint top highlight."""
    c = Canvas(w, h)
    outer = sd_rrect(margin, margin, w - margin, h - margin, r)
    c.draw(outer, border)
    inner = sd_rrect(margin + border_w, margin + border_w, w - margin - border_w, h - margin - border_w,
                     max(0.0, r - border_w))
    c.draw(inner, vgrad(top, bottom, margin + border_w, h - margin - border_w))
    if highlight:
        y = margin + border_w + 1.0
        c.draw(sd_stroke([(margin + r, y), (w - margin - r, y)], 1.0), with_alpha((255, 255, 255), 0.22))
    return c


def button(top, bottom, border, border_w=2.0):
    return panel(48, 48, 8, top, bottom, border, border_w, margin=1.0)


def focused_button(top, bottom):
    c = panel(48, 48, 8, top, bottom, FOCUS, 2.5, margin=1.0)
    return c


def key(top, bottom, border, border_w=1.0):
    return panel(48, 48, 6, top, bottom, border, border_w, margin=1.0)


def list_item(top, bottom, border):
    return panel(48, 48, 6, top, bottom, border, 1.0, margin=1.0)


def text_field(border, border_w):
    c = Canvas(48, 48)
    c.draw(sd_rrect(1, 1, 47, 47, 6), border)
    c.draw(sd_rrect(1 + border_w, 1 + border_w, 47 - border_w, 47 - border_w, 6 - border_w), FIELD)
    # an inset shadow along the top edge
    c.draw(sd_stroke([(7, 1 + border_w + 1.0), (41, 1 + border_w + 1.0)], 1.5), with_alpha(BLACK, 0.5))
    return c


def header(top, bottom, line):
    c = Canvas(48, 48)
    c.draw(sd_rrect(0, 0, 48, 46, 0), vgrad(top, bottom, 0, 46))
    c.draw(sd_rrect(0, 46, 48, 48, 0), line)
    c.draw(sd_rrect(0, 0, 48, 1, 0), with_alpha((255, 255, 255), 0.18))
    return c


def page_background():
    c = Canvas(8, 240)
    c.fill(vgrad(BG_TOP, BG_BOTTOM, 0, 240))
    return c


def chevron(w, h, direction, colour, width=3.0, size=None):
    """An open arrow head pointing 'up', 'down', 'left' or 'right', centred."""
    c = Canvas(w, h)
    s = size if size is not None else min(w, h) * 0.3
    cx, cy = w / 2.0, h / 2.0
    pts = {
        "right": [(cx - s / 2, cy - s), (cx + s / 2, cy), (cx - s / 2, cy + s)],
        "left": [(cx + s / 2, cy - s), (cx - s / 2, cy), (cx + s / 2, cy + s)],
        "down": [(cx - s, cy - s / 2), (cx, cy + s / 2), (cx + s, cy - s / 2)],
        "up": [(cx - s, cy + s / 2), (cx, cy - s / 2), (cx + s, cy + s / 2)],
    }[direction]
    c.draw(sd_stroke(pts, width), colour)
    return c


def arrow_button(w, h, r, direction, pressed, size):
    if pressed:
        c = panel(w, h, r, PRESSED_TOP, PRESSED_BOTTOM, PRESSED_BORDER, 1.0, margin=1.0, highlight=False)
    else:
        c = panel(w, h, r, BTN_TOP, BTN_BOTTOM, BTN_BORDER, 1.0, margin=1.0)
    a = chevron(w, h, direction, WHITE, 2.5 if w <= 24 else 3.0, size)
    overlay(c, a)
    return c


def overlay(dst, src):
    for i, p in enumerate(src.px):
        a = p[3]
        if a <= 0:
            continue
        q = dst.px[i]
        da = q[3] * (1.0 - a)
        out = a + da
        for k in range(3):
            q[k] = (p[k] * a + q[k] * da) / out
        q[3] = out


def check_box(border, border_w=2.0):
    c = Canvas(32, 32)
    c.draw(sd_rrect(3, 3, 29, 29, 5), border)
    c.draw(sd_rrect(3 + border_w, 3 + border_w, 29 - border_w, 29 - border_w, 5 - border_w), FIELD)
    return c


def check_mark():
    c = Canvas(32, 32)
    c.draw(sd_stroke([(9.0, 16.5), (14.0, 21.5), (23.5, 10.5)], 4.0), WHITE)
    return c


def radio(checked):
    c = Canvas(32, 32)
    c.draw(sd_circle(16, 16, 11.5), BTN_BORDER)
    c.draw(sd_circle(16, 16, 9.5), FIELD)
    if checked:
        c.draw(sd_circle(16, 16, 5.5), WHITE)
    return c


def radio_focus():
    c = Canvas(32, 32)
    c.draw(sd_ring(16, 16, 14.0, 2.5), FOCUS)
    return c


def combo_arrow(pressed):
    if pressed:
        c = panel(32, 32, 5, PRESSED_TOP, PRESSED_BOTTOM, PRESSED_BORDER, 1.0, margin=1.0, highlight=False)
    else:
        c = panel(32, 32, 5, BTN_TOP, BTN_BOTTOM, BTN_BORDER, 1.0, margin=1.0)
    c.draw(sd_polygon([(10, 13), (22, 13), (16, 20)]), WHITE)
    return c


def scroll_background():
    c = Canvas(40, 16)
    c.fill(SCROLL_BACK)
    c.draw(sd_rrect(0, 0, 1, 16, 0), SCROLL_EDGE)
    return c


def scroll_inner():
    c = Canvas(24, 48)
    c.draw(sd_rrect(4, 1, 20, 47, 7), SCROLL_EDGE)
    c.draw(sd_rrect(5, 2, 19, 46, 6), FIELD)
    return c


def thumb_cap(top):
    c = Canvas(24, 6)
    if top:
        c.draw(sd_rrect(2, 0, 22, 12, 5), vgrad(THUMB_LIGHT, THUMB, 0, 6))
    else:
        c.draw(sd_rrect(2, -6, 22, 6, 5), THUMB)
    return c


def thumb_back():
    c = Canvas(8, 8)
    c.fill(with_alpha(THUMB, 0.25))
    return c


def thumb_track():
    """The grip of the default bar and the thumb of the kinetic bar; the kinetic
    bar keeps its 6 top and bottom rows and stretches the rest."""
    c = Canvas(8, 24)
    c.draw(sd_rrect(1, 0, 7, 24, 3), THUMB)
    c.draw(sd_rrect(2, 1, 4, 23, 1), with_alpha(THUMB_LIGHT, 0.8))
    return c


def thumb_simple():
    """Stretched over the whole thumb length, so only its columns vary."""
    c = Canvas(8, 16)
    c.draw(sd_rrect(1, 0, 7, 16, 0), THUMB)
    c.draw(sd_rrect(2, 0, 4, 16, 0), THUMB_LIGHT)
    c.draw(sd_rrect(1, 0, 2, 16, 0), with_alpha(BLACK, 0.35))
    c.draw(sd_rrect(6, 0, 7, 16, 0), with_alpha(BLACK, 0.35))
    return c


def scroll_shadow():
    """Left half black, right half white; dark at the top and bottom edges and
    clear in the middle rows (the kinetic bar draws its top and bottom halves)."""
    c = Canvas(8, 20)
    for y in range(20):
        edge = min(y + 0.5, 19.5 - y)  # distance from the nearer end row
        a = max(0.0, 0.55 * (1.0 - edge / 9.0))
        for x in range(8):
            if a > 0.0:
                colour = BLACK if x < 4 else (255, 255, 255)
                c.px[y * 8 + x] = [colour[0], colour[1], colour[2], a]
    return c


def long_press_strip():
    strip = Canvas(640, 64)
    for f in range(10):
        frame = Canvas(64, 64)
        frame.draw(sd_circle(32, 32, 29), with_alpha(BLACK, 0.35))
        frame.draw(sd_ring(32, 32, 22, 7), with_alpha((255, 255, 255), 0.35))
        frame.draw(sd_arc(32, 32, 22, 7, 2 * math.pi * (f + 1) / 10.0), ACCENT)
        if f == 9:
            frame.draw(sd_circle(32, 32, 7), WHITE)
        strip.blit(frame, 64 * f, 0)
    return strip


def separator():
    c = Canvas(2, 2)
    c.fill(SEPARATOR)
    return c


def toolbar_more():
    c = Canvas(32, 32)
    c.draw(sd_union(sd_stroke([(9, 9), (15, 16), (9, 23)], 3.0),
                    sd_stroke([(17, 9), (23, 16), (17, 23)], 3.0)), WHITE)
    return c


def capital_key():
    c = Canvas(32, 32)
    shape = sd_polygon([(16, 5), (27, 16), (21, 16), (21, 26), (11, 26), (11, 16), (5, 16)])
    c.draw(sd_outline(shape, 2.0), WHITE)
    return c


def backspace_key():
    c = Canvas(32, 32)
    shape = sd_polygon([(3, 16), (11, 7), (29, 7), (29, 25), (11, 25)])
    c.draw(sd_outline(shape, 2.0), WHITE)
    c.draw(sd_union(sd_stroke([(15, 12), (23, 20)], 2.5), sd_stroke([(23, 12), (15, 20)], 2.5)), WHITE)
    return c


def progress_back():
    c = Canvas(128, 16)
    c.draw(sd_rrect(0, 0, 128, 16, 4), FIELD_BORDER)
    c.draw(sd_rrect(1, 1, 127, 15, 3), FIELD)
    return c


def progress_full():
    c = Canvas(128, 16)
    c.draw(sd_rrect(0, 0, 128, 16, 4), vgrad((0x6A, 0xB8, 0xFF), (0x20, 0x70, 0xD0), 0, 16))
    c.draw(sd_stroke([(4, 2.5), (124, 2.5)], 1.0), with_alpha((255, 255, 255), 0.35))
    return c


def trackbar_back():
    c = Canvas(128, 32)
    c.draw(sd_rrect(0, 11, 128, 21, 5), FIELD_BORDER)
    c.draw(sd_rrect(1, 12, 127, 20, 4), FIELD)
    return c


def trackbar_thumb(pressed):
    if pressed:
        c = panel(24, 32, 5, ON_TOP, ON_BOTTOM, ON_BORDER, 1.5, margin=1.0)
    else:
        c = panel(24, 32, 5, KEY_TOP, KEY_BOTTOM, THUMB_LIGHT, 1.5, margin=1.0)
    for x in (9.5, 12.0, 14.5):
        c.draw(sd_stroke([(x, 11), (x, 21)], 1.0), with_alpha(WHITE, 0.7))
    return c



# Battery, satellites, friends, speed, speed limit, speed cameras, the speed-alert page

SIGN_RED = (0xE0, 0x10, 0x18)
SIGN_WHITE = (0xF7, 0xF7, 0xF7)
SIGNAL_COLOURS = [(0x6B, 0x79, 0x94), (0x6B, 0x79, 0x94), (0xE0, 0x30, 0x20), (0xF7, 0xB6, 0x39),
                  (0x40, 0xC8, 0x40), (0x40, 0xE0, 0x40), (0x5A, 0xAA, 0xF7)]


def battery_ac():
    """A lightning bolt: the device runs on external power."""
    c = Canvas(32, 32)
    bolt = sd_polygon([(18, 2), (7, 18), (15, 18), (12, 30), (25, 12), (17, 12), (21, 2)])
    c.draw(bolt, (0xF7, 0xD0, 0x30))
    c.draw(sd_outline(bolt, 1.0), with_alpha(BLACK, 0.6))
    return c


def satellite_frames():
    """Seven 32 x 32 frames, one per GPS status: signal bars that grow with it,
    a cross for no receiver, blue while simulating."""
    c = Canvas(32 * 7, 32)
    for status in range(7):
        f = Canvas(32, 32)
        colour = SIGNAL_COLOURS[status]
        bars = {0: 0, 1: 0, 2: 1, 3: 2, 4: 3, 5: 4, 6: 4}[status]
        for i in range(4):
            x0 = 4 + i * 7
            y0 = 24 - i * 6
            f.draw(sd_rrect(x0, y0, x0 + 5, 28, 1.5), colour if i < bars else with_alpha(DISABLED_BORDER, 1.0))
        if status <= 1:
            f.draw(sd_stroke([(18, 4), (28, 14)], 3.0), SIGNAL_COLOURS[2])
            f.draw(sd_stroke([(28, 4), (18, 14)], 3.0), SIGNAL_COLOURS[2])
        c.blit(f, status * 32, 0)
    return c


def person(c, cx, top, colour):
    c.draw(sd_circle(cx, top + 5, 4.5), colour)
    c.draw(sd_rrect(cx - 7, top + 11, cx + 7, top + 24, 6), colour)


def friends_frames():
    """Four 36 x 36 frames: no friend, one, two, three or more."""
    c = Canvas(36 * 4, 36)
    for n in range(4):
        f = Canvas(36, 36)
        if n == 0:
            f.draw(sd_ring(18, 18, 12, 2.0), DISABLED_BORDER)
        else:
            spots = {1: [18], 2: [12, 24], 3: [9, 18, 27]}[n]
            for i, x in enumerate(spots):
                person(f, x, 6 if i % 2 == 0 else 9, ACCENT if i == 0 else THUMB_LIGHT)
        c.blit(f, n * 36, 0)
    return c


def speed_sign(alert):
    """The round speed-limit sign: red ring on white, or filled red when over."""
    c = Canvas(64, 64)
    c.draw(sd_circle(32, 32, 31), SIGN_RED)
    c.draw(sd_circle(32, 32, 23.5), SIGN_RED if alert else SIGN_WHITE)
    if alert:
        c.draw(sd_ring(32, 32, 26.5, 1.5), SIGN_WHITE)
    return c


def radar_base():
    c = Canvas(16, 96)
    c.draw(sd_rrect(3, 1, 13, 95, 5), vgrad(SIGNAL_COLOURS[2], SIGNAL_COLOURS[4], 1, 95))
    c.draw(sd_outline(sd_rrect(3, 1, 13, 95, 5), 1.0), with_alpha(BLACK, 0.7))
    return c


def radar_dist():
    c = Canvas(16, 16)
    c.draw(sd_rrect(1, 6, 15, 10, 2), SIGN_WHITE)
    return c


def radar_pointer(over):
    c = Canvas(24, 14)
    arrow = sd_polygon([(1, 1), (23, 7), (1, 13)])
    c.draw(arrow, SIGN_RED if over else (0x40, 0xE0, 0x40))
    c.draw(sd_outline(arrow, 1.0), with_alpha(BLACK, 0.7))
    return c


def radar_camera():
    """A speed camera: a box with a lens."""
    c = Canvas(20, 20)
    body = sd_rrect(1, 4, 19, 16, 3)
    c.draw(body, (0x30, 0x30, 0x38))
    c.draw(sd_outline(body, 1.0), SIGN_WHITE)
    c.draw(sd_circle(10, 10, 4), SIGN_WHITE)
    c.draw(sd_circle(10, 10, 2.2), ACCENT)
    return c


def speed_alert_image():
    """The alert page's own picture: a red warning sign with an exclamation mark."""
    c = Canvas(96, 96)
    c.draw(sd_circle(48, 48, 46), SIGN_RED)
    c.draw(sd_circle(48, 48, 35), SIGN_WHITE)
    c.draw(sd_stroke([(48, 26), (48, 56)], 9.0), BLACK)
    c.draw(sd_circle(48, 69, 5.5), BLACK)
    return c


# name -> (drawing, what it is for). The names are the ones the program and
# the stylesheet ask for; files are written as <name>.png.
IMAGES = [
    # Looked up by the controls under the skin settings' fixed names.
    ("commonCheck", check_mark, "check mark of check boxes, list rows and menu items"),
    ("commonCheckBox", lambda: check_box(BTN_BORDER), "box of the check column"),
    ("commonCheckBoxFocus", lambda: check_box(FOCUS, 2.5), "check box while focused"),
    ("commonCheckBoxHover", lambda: check_box(THUMB_LIGHT), "check box under the pointer"),
    ("commonMoreItems", lambda: chevron(16, 32, "right", MARK, 3.0, 4.5), "list row marker: more items"),
    ("commonMoreItemsExpanded", lambda: chevron(16, 32, "down", MARK, 3.0, 4.5), "list row marker: expanded"),
    ("commonMoreItemsInverse", lambda: chevron(16, 32, "left", MARK, 3.0, 4.5), "more-items marker of right-aligned rows"),
    ("commonRadioButton", lambda: radio(False), "radio button"),
    ("commonRadioButtonChecked", lambda: radio(True), "radio button, checked"),
    ("commonRadioButtonFocus", radio_focus, "ring drawn under a focused radio button"),
    ("commonComboBoxDown", lambda: combo_arrow(False), "combo box arrow"),
    ("commonComboBoxDownPressed", lambda: combo_arrow(True), "combo box arrow, pressed"),
    ("commonScrollBackground", scroll_background, "scroll bar background (tiled)"),
    ("commonScrollInner", scroll_inner, "track groove of the default scroll bar (nine-slice)"),
    ("commonScrollUp", lambda: arrow_button(24, 24, 4, "up", False, 5.0), "scroll up arrow"),
    ("commonScrollUpPressed", lambda: arrow_button(24, 24, 4, "up", True, 5.0), "scroll up arrow, pressed"),
    ("commonScrollUpLarge", lambda: arrow_button(32, 32, 6, "up", False, 7.0), "large scroll up arrow"),
    ("commonScrollUpLargePressed", lambda: arrow_button(32, 32, 6, "up", True, 7.0), "large scroll up arrow, pressed"),
    ("commonScrollDown", lambda: arrow_button(24, 24, 4, "down", False, 5.0), "scroll down arrow"),
    ("commonScrollDownPressed", lambda: arrow_button(24, 24, 4, "down", True, 5.0), "scroll down arrow, pressed"),
    ("commonScrollDownLarge", lambda: arrow_button(32, 32, 6, "down", False, 7.0), "large scroll down arrow"),
    ("commonScrollDownLargePressed", lambda: arrow_button(32, 32, 6, "down", True, 7.0), "large scroll down arrow, pressed"),
    ("commonScrollTrackHeader", lambda: thumb_cap(True), "top cap of the thumb"),
    ("commonScrollTrack", thumb_track, "thumb grip; the kinetic bar's thumb (6 end rows kept)"),
    ("commonScrollTrackFooter", lambda: thumb_cap(False), "bottom cap of the thumb"),
    ("commonScrollTrackBack", thumb_back, "thumb body; the kinetic bar's thumb column"),
    ("commonScrollTrackSimple", thumb_simple, "thumb of the up/down bar (its width sets the thumb column)"),
    ("commonScrollTransparentVerticalBorder", scroll_shadow, "kinetic list edge shadows (black | white halves)"),
    ("commonContextMenuAnimation", long_press_strip, "long-press indicator: 10 frames of 64 x 64"),
    ("commonSeparatorBackground", separator, "separator line"),
    ("commonToolBarButtonMore", toolbar_more, "tool bar overflow item"),
    ("commonCapital", capital_key, "keyboard capitals key"),
    ("commonBackspace", backspace_key, "keyboard back key"),
    # Colour-variant set: the application hands one of the two sets to the
    # second theme (see the themes in skin.xml).
    ("commonOff", lambda: button(BTN_TOP, BTN_BOTTOM, BTN_BORDER), "button"),
    ("commonOffPressed", lambda: button(PRESSED_TOP, PRESSED_BOTTOM, PRESSED_BORDER), "button, pressed"),
    ("commonOffFocused", lambda: focused_button(BTN_TOP, BTN_BOTTOM), "button, focused"),
    ("commonOn", lambda: button(ON_TOP, ON_BOTTOM, ON_BORDER), "highlighted button (class on)"),
    ("commonOnPressed", lambda: button(ON_PRESSED_TOP, ON_PRESSED_BOTTOM, ON_BORDER), "highlighted button, pressed"),
    ("commonOnFocused", lambda: focused_button(ON_TOP, ON_BOTTOM), "highlighted button, focused"),
    ("pageMenuHeaderOff", lambda: header(HEADER_TOP, HEADER_BOTTOM, HEADER_LINE), "page header bar"),
    ("pageMenuHeaderOn", lambda: header(HEADER_ON_TOP, HEADER_ON_BOTTOM, HEADER_ON_LINE), "highlighted header bar"),
    # The base look the stylesheet uses.
    ("commonOffDisabled", lambda: button(DISABLED_TOP, DISABLED_BOTTOM, DISABLED_BORDER), "button, disabled"),
    ("commonBackground", page_background, "page background (stretched)"),
    ("commonListItemFocus", lambda: list_item(ON_TOP, ON_BOTTOM, ON_BORDER), "selected list row"),
    ("commonListItemPressed", lambda: list_item(ON_PRESSED_TOP, ON_PRESSED_BOTTOM, ON_BORDER), "list row while pressed"),
    ("commonTextBox", lambda: text_field(FIELD_BORDER, 1.0), "text box and combo box field"),
    ("commonTextBoxFocus", lambda: text_field(FOCUS, 2.0), "text box field, focused"),
    ("commonKeyboardKey", lambda: key(KEY_TOP, KEY_BOTTOM, KEY_BORDER), "keyboard key"),
    ("commonKeyboardKeyPressed", lambda: key(ON_TOP, ON_BOTTOM, ON_BORDER), "keyboard key, pressed"),
    ("commonKeyboardKeyFocus", lambda: key(KEY_TOP, KEY_BOTTOM, FOCUS, 2.0), "keyboard key, focused"),
    ("commonKeyboardKeyDisabled", lambda: key(DISABLED_TOP, DISABLED_BOTTOM, DISABLED_BORDER), "keyboard key, disabled"),
    ("commonProgressBar", progress_back, "progress bar groove (stretched)"),
    ("commonProgressBarFull", progress_full, "progress bar fill"),
    ("commonTrackBarBackground", trackbar_back, "track bar groove (stretched)"),
    ("commonTrackBarThumb", lambda: trackbar_thumb(False), "track bar thumb"),
    ("commonTrackBarThumbPressed", lambda: trackbar_thumb(True), "track bar thumb, pressed"),
]

# The map and live-data display, one list per family of its pages and controls.
# The map page and its tool bars
def menu_icon(colour):
    """The map's menu button: three bars."""
    c = Canvas(40, 40)
    for y in (11.0, 20.0, 29.0):
        c.draw(sd_stroke([(9.0, y), (31.0, y)], 4.0), colour)
    return c


def map_limit_sign():
    """A speed-limit sign: red ring on a white disc (the text goes on top)."""
    c = Canvas(64, 64)
    c.draw(sd_circle(32, 32, 30.5), (0xE0, 0x18, 0x10))
    c.draw(sd_circle(32, 32, 23.0), (0xF7, 0xF7, 0xF7))
    return c


def map_speaker(muted):
    """The mute button: a speaker with waves, or crossed out."""
    c = Canvas(32, 32)
    c.draw(sd_polygon([(5.0, 12.0), (10.0, 12.0), (17.0, 6.0), (17.0, 26.0), (10.0, 20.0), (5.0, 20.0)]), WHITE)
    if muted:
        c.draw(sd_stroke([(20.0, 11.0), (28.0, 21.0)], 2.5), (0xF7, 0x30, 0x20))
        c.draw(sd_stroke([(28.0, 11.0), (20.0, 21.0)], 2.5), (0xF7, 0x30, 0x20))
    else:
        c.draw(sd_stroke([(20.5, 12.0), (22.5, 16.0), (20.5, 20.0)], 2.0), WHITE)
        c.draw(sd_stroke([(24.0, 8.0), (27.5, 16.0), (24.0, 24.0)], 2.0), WHITE)
    return c


def map_glyph(kind):
    """Small white glyphs of the map's own buttons."""
    c = Canvas(32, 32)
    if kind in ("plus", "minus"):
        c.draw(sd_stroke([(7.0, 16.0), (25.0, 16.0)], 4.0), WHITE)
        if kind == "plus":
            c.draw(sd_stroke([(16.0, 7.0), (16.0, 25.0)], 4.0), WHITE)
    elif kind == "centre":
        c.draw(sd_ring(16, 16, 8.0, 2.5), WHITE)
        c.draw(sd_circle(16, 16, 3.0), WHITE)
        for a, b in (((16.0, 2.0), (16.0, 8.0)), ((16.0, 24.0), (16.0, 30.0)),
                     ((2.0, 16.0), (8.0, 16.0)), ((24.0, 16.0), (30.0, 16.0))):
            c.draw(sd_stroke([a, b], 2.5), WHITE)
    elif kind == "stop":
        c.draw(sd_rrect(9, 9, 23, 23, 2), WHITE)
    elif kind == "record":
        c.draw(sd_circle(16, 16, 8.0), (0xF7, 0x30, 0x20))
    return c


IMAGES_MAP = [
    ("pageMapZoomIn", lambda: map_glyph("plus"), "map page: zoom in"),
    ("pageMapZoomOut", lambda: map_glyph("minus"), "map page: zoom out"),
    ("pageMapAutoCenter", lambda: map_glyph("centre"), "map page: follow the vehicle"),
    ("pageMapTrackStop", lambda: map_glyph("stop"), "map page: stop recording the track"),
    ("pageMapTrackActivate", lambda: map_glyph("record"), "map page: record the track"),
    ("pageMainButtonMenuIcon", lambda: menu_icon(WHITE), "map page: menu button"),
    ("pageMainButtonMenuIconOn", lambda: menu_icon(ACCENT), "map page: menu button while driving on roads"),
    ("pageMainMaxVelocity2", map_limit_sign, "map page: speed-limit sign behind the photo view's text"),
    ("pageMapMute", lambda: map_speaker(False), "map page: sound on"),
    ("pageMapMuteOn", lambda: map_speaker(True), "map page: sound muted"),
]

# The map viewer gadget, the map toolbar page, the volume page
MUTED = (0xF0, 0x50, 0x40)


def sd_wave(cx, cy, r, width, half):
    """A sound wave: an arc of radius r facing right, half an angle each way, round caps."""
    ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (-half, half)]

    def f(x, y):
        if abs(math.atan2(y - cy, x - cx)) <= half:
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2.0
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - width / 2.0
    return f


def speaker(muted):
    """The volume page's speaker: waves when sound is on, a red cross when muted."""
    c = Canvas(48, 48)
    c.draw(sd_polygon([(6, 18), (14, 18), (25, 8), (25, 40), (14, 30), (6, 30)]), WHITE)
    if muted:
        c.draw(sd_stroke([(31, 17), (43, 31)], 4.0), MUTED)
        c.draw(sd_stroke([(43, 17), (31, 31)], 4.0), MUTED)
    else:
        c.draw(sd_wave(25, 24, 8.5, 3.0, 0.8), WHITE)
        c.draw(sd_wave(25, 24, 15.5, 3.0, 0.8), WHITE)
    return c


def volume_step(up):
    """Plus or minus of the volume buttons."""
    c = Canvas(48, 48)
    c.draw(sd_stroke([(12, 24), (36, 24)], 6.0), WHITE)
    if up:
        c.draw(sd_stroke([(24, 12), (24, 36)], 6.0), WHITE)
    return c


IMAGES_GADGETS = [
    ("pageVolumeSpeaker", lambda: speaker(False), "volume page: the mute button while sound is on"),
    ("pageVolumeMuted", lambda: speaker(True), "volume page: the mute button while muted"),
    ("pageVolumeUp", lambda: volume_step(True), "volume page: louder"),
    ("pageVolumeDown", lambda: volume_step(False), "volume page: quieter"),
]

# The data-field gadget and the engine-object gadgets
def sky_satellite():
    """A satellite of the sky plot: a body between two solar panels; its
    label is drawn over its top-left corner."""
    c = Canvas(20, 14)
    panel_colour = (0x3A, 0x6E, 0xB8)
    c.draw(sd_rrect(0.5, 4.5, 6.5, 9.5, 1.0), panel_colour)
    c.draw(sd_rrect(13.5, 4.5, 19.5, 9.5, 1.0), panel_colour)
    c.draw(sd_stroke([(6.0, 7.0), (14.0, 7.0)], 1.0), MARK)
    c.draw(sd_rrect(7.5, 3.5, 12.5, 10.5, 1.5), WHITE)
    return c


IMAGES_DATAFIELD = [
    ("pageSatellitesSkySatellite", sky_satellite, "satellite of the sky plot"),
]

# Battery, satellites, friends, speed, speed limit, speed cameras, the speed-alert page
IMAGES_SPEED = [
    ("userControlBatteryAC", battery_ac, "battery control: on external power"),
    ("userControlSatellites", satellite_frames, "satellites control: 7 frames, one per GPS status"),
    ("userControlFriends", friends_frames, "friends control: 4 frames, no friend to three or more"),
    ("userControlMaxVelocity", lambda: speed_sign(False), "speed-limit sign"),
    ("userControlMaxVelocityAlert", lambda: speed_sign(True), "speed-limit sign while over the limit (disabled look)"),
    ("userControlRadaBarBase", radar_base, "speed-camera bar: the groove (nine-slice)"),
    ("userControlRadaBarDist", radar_dist, "speed-camera bar: distance mark"),
    ("userControlRadaBarPointer1", lambda: radar_pointer(False), "speed-camera bar: speed at or under the limit"),
    ("userControlRadaBarPointer2", lambda: radar_pointer(True), "speed-camera bar: speed over the limit"),
    ("userControlRadaBarRadar", radar_camera, "speed-camera bar: the camera"),
    ("pageSpeedAlertImage", speed_alert_image, "speed-alert page picture (a file in symbols/internal replaces it)"),
]

# The compass, the profile graph, the track-graph page
IMAGES_COMPASS_GRAPH = [
]

# Next manoeuvre, position, signpost, lanes, map scale and status
def attachment_icon():
    """A small camera: the object under way has pictures."""
    c = Canvas(32, 32)
    c.draw(sd_rrect(3, 9, 29, 27, 3), WHITE)
    c.draw(sd_rrect(11, 5, 21, 11, 2), WHITE)
    c.draw(sd_circle(16, 18, 6), BG_TOP)
    c.draw(sd_circle(16, 18, 3.5), ACCENT)
    return c


IMAGES_MAPINFO = [
    ("mapInfoMore", lambda: chevron(24, 24, "down", WHITE, 3.0), "next manoeuvre: show more lines"),
    ("mapInfoLess", lambda: chevron(24, 24, "up", WHITE, 3.0), "next manoeuvre: show fewer lines"),
    ("mapInfoAttachments", attachment_icon, "next manoeuvre and position: the object's pictures"),
]

# The advertising banner
BANNER_W, BANNER_H = 320, 50


def banner(top, bottom, border):
    """A banner card: rounded panel and two light bars where the offer's text would be."""
    c = panel(BANNER_W, BANNER_H, 6, top, bottom, border, 1.5, margin=0.5)
    c.draw(sd_stroke([(70, 18), (230, 18)], 7.0), with_alpha(WHITE, 0.85))
    c.draw(sd_stroke([(70, 33), (180, 33)], 5.0), with_alpha(WHITE, 0.55))
    return c


def banner_default():
    c = banner(BTN_TOP, BTN_BOTTOM, ACCENT)
    c.draw(sd_ring(35, 25, 13, 5.0), ACCENT)
    c.draw(sd_circle(35, 25, 4.0), WHITE)
    return c


def banner_fuel():
    c = banner((0xE0, 0x7A, 0x10), (0x98, 0x44, 0x00), (0xF8, 0xB0, 0x48))
    c.draw(sd_rrect(24, 12, 42, 42, 3), WHITE)
    c.draw(sd_rrect(27, 15, 39, 24, 1.5), (0x98, 0x44, 0x00))
    c.draw(sd_stroke([(42, 18), (48, 22), (48, 36), (52, 38)], 2.5), WHITE)
    return c


def banner_cafe():
    c = banner((0x7A, 0x4A, 0x2A), (0x42, 0x24, 0x10), (0xC0, 0x8A, 0x5A))
    c.draw(sd_rrect(22, 20, 42, 40, 5), WHITE)
    c.draw(sd_ring(44, 28, 5, 3.0), WHITE)
    c.draw(sd_stroke([(28, 9), (27, 15)], 2.0), with_alpha(WHITE, 0.7))
    c.draw(sd_stroke([(35, 9), (34, 15)], 2.0), with_alpha(WHITE, 0.7))
    return c


def banner_parking():
    c = banner((0x20, 0x68, 0xC8), (0x0C, 0x3C, 0x88), (0x78, 0xB8, 0xF8))
    c.draw(sd_rrect(18, 8, 52, 42, 5), WHITE)
    blue = (0x0C, 0x3C, 0x88)
    c.draw(sd_stroke([(29, 36), (29, 14), (37, 14), (42, 17), (42, 23), (37, 26), (29, 26)], 4.0), blue)
    return c


IMAGES_ADS = [
    ("defaultBanner", banner_default, "advertising banner shown while there is no banner list"),
    ("adsBannerFuel", banner_fuel, "demo banner of the library's local list: fuel"),
    ("adsBannerCafe", banner_cafe, "demo banner of the library's local list: cafe"),
    ("adsBannerParking", banner_parking, "demo banner of the library's local list: parking"),
]

IMAGES += IMAGES_MAP + IMAGES_GADGETS + IMAGES_DATAFIELD + IMAGES_SPEED + IMAGES_COMPASS_GRAPH + IMAGES_MAPINFO + IMAGES_ADS

# The image names the skin settings hold by default; the program asks for
# each of them whatever the skin says.
SETTINGS_IMAGE_NAMES = [
    "commonCheck", "commonCheckBox", "commonMoreItems", "commonMoreItemsExpanded",
    "commonMoreItemsInverse", "commonRadioButton", "commonRadioButtonChecked",
    "commonRadioButtonFocus", "commonComboBoxDown", "commonComboBoxDownPressed",
    "commonScrollBackground", "commonScrollInner", "commonScrollUp", "commonScrollUpPressed",
    "commonScrollUpLarge", "commonScrollUpLargePressed", "commonScrollDown",
    "commonScrollDownPressed", "commonScrollDownLarge", "commonScrollDownLargePressed",
    "commonScrollTrackHeader", "commonScrollTrack", "commonScrollTrackFooter",
    "commonScrollTrackBack", "commonScrollTrackSimple", "commonScrollTransparentVerticalBorder",
    "commonContextMenuAnimation",
]

# Further fixed names the controls and the application ask for.
FIXED_IMAGE_NAMES = [
    "commonCheckBoxFocus", "commonCheckBoxHover", "commonSeparatorBackground",
    "commonToolBarButtonMore", "commonCapital", "commonBackspace",
    "commonOff", "commonOffPressed", "commonOffFocused",
    "commonOn", "commonOnPressed", "commonOnFocused",
    "pageMenuHeaderOff", "pageMenuHeaderOn",
    "commonProgressBar", "commonProgressBarFull",
]

# ---------------------------------------------------------------------------
# Sounds


def envelope(t, attack, decay):
    return (t / attack if t < attack else 1.0) * math.exp(-max(0.0, t - attack) / decay)


def tone(freq, dur, amp, attack=0.002, decay=0.05, freq_end=None):
    n = int(RATE * dur)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / float(RATE)
        f = freq if freq_end is None else freq + (freq_end - freq) * (i / float(n))
        phase += 2 * math.pi * f / RATE
        # the fade over the last 2 ms avoids a click at the cut
        tail = min(1.0, (n - i) / (0.002 * RATE))
        out.append(amp * envelope(t, attack, decay) * tail * math.sin(phase))
    return out


def silence(dur):
    return [0.0] * int(RATE * dur)


def click_sound():
    # a short tick: a decaying high tone with a little deterministic noise
    base = tone(3200, 0.018, 0.45, 0.0005, 0.004)
    seed = 12345
    out = []
    for i, s in enumerate(base):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise = (seed / float(0x7FFFFFFF) - 0.5) * 0.3 * math.exp(-i / (0.002 * RATE))
        out.append(s + noise)
    return out


def button_sound():
    return tone(1250, 0.045, 0.5, 0.001, 0.015, freq_end=900)


def messagebox_sound():
    return tone(880, 0.12, 0.45, 0.003, 0.08) + tone(1320, 0.2, 0.45, 0.003, 0.09)


def alarm_sound():
    beep = tone(1000, 0.09, 0.6, 0.003, 0.2)
    return beep + silence(0.06) + beep + silence(0.06) + beep


SOUNDS = [
    ("click", click_sound, "soundClick: check boxes, radio buttons, menu items, lists, scroll arrows"),
    ("button", button_sound, "soundButton: buttons"),
    ("messagebox", messagebox_sound, "soundMessageBox: message boxes"),
    ("soundMessageBox", alarm_sound, "played by name for power and battery alarms (always plays)"),
]

# ---------------------------------------------------------------------------
# Checks of the hand-written skin files

FILTER_NAMES = {"opacity", "brightnesscontrast", "grayscale", "flipH", "invert", "hsl", "fill"}
WHEN_NAMES = {"press", "pressed", "shortpressed", "longpressed", "unpress", "twokeyspress"}
KEY_ATTRIBUTE_ORDER = ["key", "key2", "when", "onlyInPages", "break", "command", "comments",
                       "editable", "title", "commandAux"]
SKIN_SETTINGS = ["defaultSkinName", "fontName", "fontSizeIncrement", "fontSizeIncrementRTL",
                 "bitmapExtension", "soundButton", "soundClick", "soundMessageBox", "carMapPosition",
                 "carMapPosition3D", "carMapPositionFullScreen", "carMapPosition3DFullScreen",
                 "embeddedFontNames", "screenPageTransitionsEnabled"]
REQUIRED_VERSION = "440"
BACKGROUND_NAMES = re.compile(r"^background")
IMAGE_ATTRIBUTES = {"image", "imagePressed", "imageFocus", "imageDisabled", "imageCheck",
                    "imageHover", "imagePressedName"}


class Problems:
    def __init__(self):
        self.items = []

    def add(self, where, text):
        self.items.append("%s: %s" % (where, text))


def check_xml_subset(path, text, problems):
    """What the program's own XML reader needs: double-quoted attributes, no
    CDATA or entities it does not decode, comments without '>', no tabs, and a
    space, '/' or '>' right after every tag name."""
    where = os.path.relpath(path)
    try:
        ET.fromstring(text)
    except ET.ParseError as e:
        problems.add(where, "not well-formed XML: %s" % e)
    if "\t" in text:
        problems.add(where, "tab character")
    if "<![CDATA[" in text:
        problems.add(where, "CDATA section")
    for m in re.finditer(r"<!--(.*?)-->", text, re.S):
        if ">" in m.group(1):
            problems.add(where, "comment holding '>' (the reader ends it there)")
    for m in re.finditer(r"&(?!lt;|gt;)", text):
        problems.add(where, "entity or '&' at offset %d (not decoded)" % m.start())
    for m in re.finditer(r"<([A-Za-z#][^\s/>]*)([\s/>]?)", text):
        if m.group(2) in ("\n", "\r"):
            problems.add(where, "line break right after tag name '%s'" % m.group(1))
    for m in re.finditer(r"\s[A-Za-z]+\s*=\s*'", text):
        problems.add(where, "single-quoted attribute near offset %d" % m.start())
    for m in re.finditer(r"</[^>]*\s>", text):
        problems.add(where, "space before '>' in an end tag")


def image_name_of_background(value):
    """The image a background text names, or None for 'None' and colours."""
    v = value
    if not v or v == "None" or v.startswith("#"):
        return None
    for prefix in ("%%", "??", "=", "-", "!", "%", "$", "?", "\\", "_"):
        if v.startswith(prefix):
            v = v[len(prefix):]
            break
    return v.split("(")[0]


def is_565_exact(hex_colour):
    r, g, b = (int(hex_colour[i:i + 2], 16) for i in (1, 3, 5))
    return snap565((r, g, b)) == (r, g, b)


def check_colour(where, name, value, problems):
    if not re.fullmatch(r"#[0-9A-Fa-f]{6}", value):
        problems.add(where, "%s: colour '%s' is not #RRGGBB" % (name, value))
    elif not is_565_exact(value):
        problems.add(where, "%s: colour %s changes in RGB565 (use %s)" %
                     (name, value, "#%02X%02X%02X" % snap565(tuple(int(value[i:i + 2], 16) for i in (1, 3, 5)))))


def check_stylesheet(path, images, problems):
    where = os.path.relpath(path)
    with open(path, "rb") as f:
        text = f.read().decode("ascii")
    # read the way the program reads it: '{' opens, '}' ends a block, comments go
    t = text.replace("\n", " ").replace("\r", " ").replace("\t", " ")
    if t.count("{") != t.count("}"):
        problems.add(where, "unbalanced braces")
    t = t.replace("{", "=").replace("}", "\n")
    while "/*" in t:
        start = t.index("/*")
        end = t.find("*/", start)
        if end < 0:
            problems.add(where, "unclosed comment drops the rest of the stylesheet")
            t = t[:start]
            break
        t = t[:start] + t[end + 2:]
    rules = 0
    for block in t.split("\n"):
        block = block.strip(" \t")
        if not block:
            continue
        if "=" not in block:
            problems.add(where, "block without selector: '%s'" % block[:40])
            continue
        selectors, decls = block.split("=", 1)
        for sel in selectors.split(","):
            sel = sel.strip()
            for item in sel.split():
                tag = re.split(r"[.#:]", item)[0]
                if tag != tag.lower():
                    problems.add(where, "selector '%s' has capitals in its tag (never matches)" % sel)
        for piece in decls.split(";"):
            piece = piece.strip(" ")
            if not piece:
                continue
            if ":" not in piece:
                problems.add(where, "declaration without ':' in '%s'" % piece)
                continue
            name, value = piece.split(":", 1)
            if name != name.strip() or value != value.strip():
                problems.add(where, "space around ':' in '%s' (becomes part of the name or value)" % piece)
            value = value.replace("!important", "").strip()
            if BACKGROUND_NAMES.match(name):
                if value.startswith("#"):
                    check_colour(where, name, value, problems)
                img = image_name_of_background(value)
                if img is not None and img not in images:
                    problems.add(where, "%s names a missing image '%s'" % (name, img))
            elif name.startswith("foreground"):
                check_colour(where, name, value, problems)
            elif name in IMAGE_ATTRIBUTES and value not in images:
                problems.add(where, "%s names a missing image '%s'" % (name, value))
        rules += 1
    if rules == 0:
        problems.add(where, "no rules")


def check_skin_xml(path, skin_dir, sounds_dir, images, problems):
    where = os.path.relpath(path)
    root = ET.parse(path).getroot()
    if root.get("version") != REQUIRED_VERSION:
        problems.add(where, "root version must be %s" % REQUIRED_VERSION)
    values = {}
    for child in root:
        if child.tag == "themes":
            continue
        if child.tag not in SKIN_SETTINGS:
            problems.add(where, "'%s' is no setting the loader reads" % child.tag)
        elif child.get("value") is None:
            problems.add(where, "'%s' has no value attribute" % child.tag)
        else:
            values[child.tag] = child.get("value")
    for name in values.get("embeddedFontNames", "").split(","):
        if name and not os.path.isfile(os.path.join(skin_dir, name.replace("\\", os.sep))):
            problems.add(where, "embedded font '%s' missing" % name)
    fonts = [n for n in values.get("embeddedFontNames", "").split(",") if n]
    if fonts and values.get("fontName", "").lower() != os.path.basename(fonts[0]).split(".")[0].lower():
        problems.add(where, "fontName is not the family of the first embedded font")
    for s in ("soundButton", "soundClick", "soundMessageBox"):
        if s in values and not os.path.isfile(os.path.join(sounds_dir, values[s] + ".wav")):
            problems.add(where, "%s names a missing sound '%s.wav'" % (s, values[s]))
    if values.get("bitmapExtension", "png") != "png":
        problems.add(where, "bitmapExtension must be png (the images are PNG)")
    for s in ("carMapPosition", "carMapPosition3D", "carMapPositionFullScreen", "carMapPosition3DFullScreen"):
        if s in values and not re.fullmatch(r"\d+;\d+;\d+;\d+", values[s]):
            problems.add(where, "%s wants four numbers (portrait x;y;landscape x;y)" % s)
    themes = root.find("themes")
    lower_images = {n.lower() for n in images}
    names = []
    for theme in (themes if themes is not None else []):
        tname = theme.get("name", "")
        names.append(tname)
        if tname != tname.lower():
            problems.add(where, "theme name '%s' must be lower case (the loader lower-cases the asked name)" % tname)
        for rule in theme:
            if rule.tag != "themerule":
                problems.add(where, "theme '%s': child '%s' is ignored" % (tname, rule.tag))
                continue
            kind = rule.get("type")
            if kind == "image":
                pattern = rule.get("image", "").replace("*", "").lower()
                exact = "*" not in rule.get("image", "")
                if not any((n == pattern) if exact else (pattern in n) for n in lower_images):
                    problems.add(where, "theme '%s': image rule '%s' matches no image" % (tname, rule.get("image")))
                filters = re.sub(r"\s", "", rule.get("filters", "").replace("(", ",").replace(")", " "))
                for piece in filters.split(";"):
                    if piece and piece.split(",")[0] not in FILTER_NAMES:
                        problems.add(where, "theme '%s': unknown filter '%s'" % (tname, piece))
            elif kind == "color":
                check_colour(where, "color", rule.get("color", ""), problems)
                check_colour(where, "replaceby", rule.get("replaceby", ""), problems)
            elif kind == "stockcolor":
                check_colour(where, "stock colour " + rule.get("name", ""), rule.get("color", ""), problems)
            else:
                problems.add(where, "theme '%s': rule type '%s' is ignored" % (tname, kind))
    for theme in (themes if themes is not None else []):
        parent = theme.get("inheritRulesFromTheme")
        if parent and parent not in names:
            problems.add(where, "theme '%s' inherits from a missing theme '%s'" % (theme.get("name"), parent))
    for needed in ("green", "gray"):
        if needed not in names:
            problems.add(where, "no theme '%s' (a colour variant the application asks for)" % needed)


def check_key_map(path, problems):
    where = os.path.relpath(path)
    root = ET.parse(path).getroot()
    if root.tag != "keysDefinitions":
        problems.add(where, "root must be keysDefinitions")
    with open(path, "rb") as f:
        text = f.read().decode("ascii")
    for m in re.finditer(r"<keyDefinition\s([^>]*)/>", text):
        order = re.findall(r"([A-Za-z0-9]+)=\"", m.group(1))
        expected = [a for a in KEY_ATTRIBUTE_ORDER if a in order]
        if order != expected:
            problems.add(where, "attributes out of the written order: %s" % " ".join(order))
    seen = set()
    for d in root.findall("keyDefinition"):
        if not re.fullmatch(r"\d+", d.get("key", "")):
            problems.add(where, "key '%s' is not a decimal key code" % d.get("key"))
        if d.get("when", "unpress") not in WHEN_NAMES:
            problems.add(where, "unknown when '%s'" % d.get("when"))
        if not re.fullmatch(r"LumorEngCommand:\d+", d.get("command", "")):
            problems.add(where, "command '%s' is not LumorEngCommand:<number>" % d.get("command"))
        for b in ("break", "editable"):
            if d.get(b) not in (None, "true", "false"):
                problems.add(where, "%s must be true or false" % b)
        k = (d.get("key"), d.get("when"))
        if k in seen:
            problems.add(where, "key %s bound twice for '%s'" % k)
        seen.add(k)


# ---------------------------------------------------------------------------


# Skin pages and the element ids the program looks up in them.
PAGES = {
    "pageSplash": ["boxImage", "lblVersion", "lblStatus"],
    "pageMain": [],
    "pageInitialSteps": ["lblTitle"],
}


# Pages and ids of the map and live-data display, one table per family.
# The map page and its tool bars
PAGES_MAP = {
    "pageMap": [
        "btnZoomIn", "btnZoomOut", "btnShowPageRadars", "btn2D", "btn3D", "btn3DPlus",
        "btnTMCEventsOn", "btnTMCEventsOff", "btnAutoCenter", "btnMute", "lblTime", "btnChangeView",
        "ctmContextMenu", "boxGadgetVisor2D", "boxPolivalentDataTemplate",
        "boxPolivalentDataTemplateContainer", "usercontrolMapInfoNext", "usercontrolMapInfoCurrent",
        "boxAutoHideMessage", "lblAutoHideMessage", "boxToolbarContainer", "btnChangeViewButtons",
        "tlbMainToolBar", "tlbInferiorToolBar", "mniToolbarItemTemplate", "mniToolbarInferiorItemTemplate",
        "boxNavigationNextDistanceGadget", "boxNavigationNextDistance", "boxMainFotoView", "boxNavigation",
        "boxNextManuobreContainerHead", "boxMenu", "sliderBox", "sliderBoxButtons", "boxNextManuobre",
        "boxNextManuobreContainer", "btnTrackStop", "btnTrackActivate", "btnNavigationMenu",
        "usercontrolGraficas_2011B", "boxOrbetaAds",
        # the data-field strip and the slide that hides it
        "boxPolivalentDataContainer", "boxPolivalentDataItemTemplate", "lblPolivalentDataItemTitle",
        "boxPolivalentDataItemValue", "lblUnits", "boxHidePolivalentDataTemplateContainer",
    ],
}

# The map viewer gadget, the map toolbar page, the volume page
PAGES_GADGETS = {
    "pageMapToolbar": ["lblTitle", "mnuMenu", "btnCancel"],
    "pageVolume": ["lblTitle", "btnVolumeUp", "btnVolumeDown", "btnVolumeIcon", "pgbVolumne", "btnCancel"],
}

# The data-field gadget and the engine-object gadgets
PAGES_DATAFIELD = {
}

# Battery, satellites, friends, speed, speed limit, speed cameras, the speed-alert page
PAGES_SPEED = {
    "pageSpeedAlert": ["imbImage", "lblMessage", "btnCancel"],
}

# The compass, the profile graph, the track-graph page
PAGES_COMPASS_GRAPH = {
    "pageTrackGraph": ["lblTitle", "boxContainer"],
}

# Next manoeuvre, position, signpost, lanes, map scale and status
PAGES_MAPINFO = {
}

# The advertising banner
PAGES_ADS = {
}

for _family in (PAGES_MAP, PAGES_GADGETS, PAGES_DATAFIELD, PAGES_SPEED, PAGES_COMPASS_GRAPH, PAGES_MAPINFO, PAGES_ADS):
    PAGES.update(_family)


# User-control definition files ("usercontrol" + the control's name) and the
# ids the program looks up in each, one table per family.
USERCONTROLS = {}

# The map page and its tool bars
USERCONTROLS_MAP = {
}

# The map viewer gadget, the map toolbar page, the volume page
USERCONTROLS_GADGETS = {
}

# The data-field gadget and the engine-object gadgets
USERCONTROLS_DATAFIELD = {
}

# Battery, satellites, friends, speed, speed limit, speed cameras, the speed-alert page
USERCONTROLS_SPEED = {
    "usercontrolBattery": ["imgBatteryAC", "pgbLevelBattery"],
    "usercontrolSatellites": ["imlSatellite"],
    "usercontrolFriends": ["imlFriends"],
    "usercontrolFriendChat": ["rptRepeater", "rpiRepeaterItem"],
    "usercontrolVelocity": ["lblValue"],
    "usercontrolVelocityBig": ["lblValue"],
    "usercontrolMaxVelocity": ["lblMaxVelocityValue", "lblMaxVelocityBigValue"],
    "usercontrolDistNextRadar": ["lblTitle", "pgbProgressbar"],
    "usercontrolRadarBar": [],
}

# The compass, the profile graph, the track-graph page
USERCONTROLS_COMPASS_GRAPH = {
}

# Next manoeuvre, position, signpost, lanes, map scale and status
USERCONTROLS_MAPINFO = {
}

# The advertising banner
USERCONTROLS_ADS = {
}

for _family in (USERCONTROLS_MAP, USERCONTROLS_GADGETS, USERCONTROLS_DATAFIELD, USERCONTROLS_SPEED,
                USERCONTROLS_COMPASS_GRAPH, USERCONTROLS_MAPINFO, USERCONTROLS_ADS):
    USERCONTROLS.update(_family)


ALIGN_WORDS = {"Start", "Center", "End", "Stretch", "Auto", "AutoInvert"}


def check_element_file(path, images, problems, root_tag, needed, who):
    """A page or user-control file: the reader's XML subset, its root, the ids the
    program looks up, each once, alignment words the reader takes, and images
    that are drawn. Answers the parsed root, or None."""
    where = os.path.relpath(path)
    with open(path, "rb") as f:
        text = f.read().decode("ascii")
    check_xml_subset(path, text, problems)
    try:
        root = ET.fromstring(text)
    except ET.ParseError:
        return None
    name = os.path.basename(path)[:-4]
    if root.tag != root_tag or (root_tag == "page" and root.get("id") != name):
        problems.add(where, "root must be <%s%s>" % (root_tag, ' id="%s"' % name if root_tag == "page" else ""))
    ids = [e.get("id") for e in root.iter() if e.get("id")]
    for dup in sorted({i for i in ids if ids.count(i) > 1}):
        problems.add(where, "id '%s' used twice" % dup)
    for wanted in needed.get(name, []):
        if wanted not in ids:
            problems.add(where, "%s looks up '%s'; it is missing" % (who, wanted))
    for e in root.iter():
        for attr, value in e.attrib.items():
            if attr.startswith("background") or attr in ("image", "imagePressedName"):
                image = image_name_of_background(value)
                if image and image not in images:
                    problems.add(where, "%s names '%s', which is not drawn" % (attr, image))
            if attr in ("align", "pack") and value not in ALIGN_WORDS:
                problems.add(where, "%s=\"%s\" is not one of %s (the words are case-sensitive)"
                             % (attr, value, ", ".join(sorted(ALIGN_WORDS))))
    return root


def check_usercontrol(path, images, problems):
    """A user-control definition: a "usercontrol" root and the ids its control looks up."""
    check_element_file(path, images, problems, "usercontrol", USERCONTROLS, "the control")


def check_page(path, images, problems):
    """A page file: a "page" root named after the file and the ids the program looks up."""
    check_element_file(path, images, problems, "page", PAGES, "the program")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.normpath(os.path.join(here, "..", "..")),
                        help="repository root (default: two folders above this script)")
    parser.add_argument("--check", action="store_true",
                        help="write nothing; report files that differ from what would be written")
    args = parser.parse_args()

    skins = os.path.join(args.root, "skins")
    skin_dir = os.path.join(skins, "default")
    sounds_dir = os.path.join(args.root, "sounds")
    problems = Problems()

    outputs = []
    for name, draw, _ in IMAGES:
        outputs.append((os.path.join(skin_dir, name + ".png"), png_bytes(draw())))
    for name, make, _ in SOUNDS:
        outputs.append((os.path.join(sounds_dir, name + ".wav"), wav_bytes(make())))

    for path, data in outputs:
        if args.check:
            old = open(path, "rb").read() if os.path.isfile(path) else None
            if old != data:
                problems.add(os.path.relpath(path), "differs from the generator's output")
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)

    images = {n for n, _, _ in IMAGES}
    if len(images) != len(IMAGES):
        problems.add("generator", "an image name is listed twice")
    for name in SETTINGS_IMAGE_NAMES + FIXED_IMAGE_NAMES:
        if name not in images:
            problems.add("generator", "the program's image '%s' is not drawn" % name)
    # Other tools may add images here; they are named, not refused.
    on_disk = {f[:-4] for f in os.listdir(skin_dir) if f.endswith(".png")}
    for other in sorted(on_disk - images):
        print("note: %s is not made by this generator" % os.path.relpath(os.path.join(skin_dir, other + ".png")))

    xml_files = [os.path.join(skin_dir, "skin.xml"), os.path.join(skin_dir, "ObKeys_D.cxml")]
    # Page files are written by hand; they are read by the same XML reader.
    xml_files += sorted(os.path.join(skin_dir, f) for f in os.listdir(skin_dir) if f.endswith(".xml") and f.startswith("page"))
    for path in xml_files:
        if not os.path.isfile(path):
            problems.add(os.path.relpath(path), "missing")
            continue
        with open(path, "rb") as f:
            check_xml_subset(path, f.read().decode("ascii"), problems)
    if os.path.isfile(xml_files[0]):
        check_skin_xml(xml_files[0], skin_dir, sounds_dir, images, problems)
    if os.path.isfile(xml_files[1]):
        check_key_map(xml_files[1], problems)
    pages = {f[:-4] for f in os.listdir(skin_dir) if f.startswith("page") and f.endswith(".xml")}
    for page in sorted(pages | set(PAGES)):
        path = os.path.join(skin_dir, page + ".xml")
        if os.path.isfile(path):
            check_page(path, images, problems)
        else:
            problems.add(os.path.relpath(path), "missing")
    controls = {f[:-4] for f in os.listdir(skin_dir) if f.startswith("usercontrol") and f.endswith(".xml")}
    for control in sorted(controls | set(USERCONTROLS)):
        path = os.path.join(skin_dir, control + ".xml")
        if os.path.isfile(path):
            check_usercontrol(path, images, problems)
        else:
            problems.add(os.path.relpath(path), "missing")
    for css in (os.path.join(skin_dir, "styles.css"), os.path.join(skins, "base", "styles.css")):
        if os.path.isfile(css):
            check_stylesheet(css, images, problems)
        else:
            problems.add(os.path.relpath(css), "missing")
    for f in ("DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans.cfont", "LICENSE-DejaVu.txt", "README.md"):
        if not os.path.isfile(os.path.join(skin_dir, f)):
            problems.add(os.path.relpath(os.path.join(skin_dir, f)), "missing")

    total = 0
    for base, _, files in os.walk(skins):
        total += sum(os.path.getsize(os.path.join(base, f)) for f in files)
    # The fonts take most of it; the library's command icons about half a megabyte.
    if total >= 3 * 1024 * 1024:
        problems.add("skins", "%d bytes; keep the skins under 3 MB" % total)

    for p in problems.items:
        print(p, file=sys.stderr)
    if problems.items:
        return 1
    if not args.check:
        print("wrote %d images and %d sounds; skins take %d bytes" % (len(IMAGES), len(SOUNDS), total))
    return 0


if __name__ == "__main__":
    sys.exit(main())
