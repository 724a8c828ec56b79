#!/usr/bin/env python3
"""Draws the program's icons and tool-bar buttons into res/ as PNG files.

Run from the repository root: python3 tools/make_icons.py
Shapes are drawn with 4x4 supersampling so the small sizes stay smooth.
Needs nothing beyond the Python standard library.
"""
import math
import struct
import zlib
from pathlib import Path

SS = 4  # supersampling factor


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0)] * (w * SS) for _ in range(h * SS)]

    def _blend(self, x, y, rgba):
        if 0 <= x < self.w * SS and 0 <= y < self.h * SS:
            r, g, b, a = rgba
            pr, pg, pb, pa = self.px[y][x]
            na = a + pa * (1 - a)
            if na <= 0:
                return
            mix = lambda c, pc: (c * a + pc * pa * (1 - a)) / na
            self.px[y][x] = (mix(r, pr), mix(g, pg), mix(b, pb), na)

    def fill(self, inside, rgba):
        """Fills every subpixel whose centre (in pixel units) satisfies inside(x, y)."""
        for sy in range(self.h * SS):
            for sx in range(self.w * SS):
                x, y = (sx + 0.5) / SS, (sy + 0.5) / SS
                if inside(x, y):
                    self._blend(sx, sy, rgba)

    def rounded_rect(self, x0, y0, x1, y1, r, rgba):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        self.fill(inside, rgba)

    def rect(self, x0, y0, x1, y1, rgba):
        self.fill(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, rgba)

    def circle(self, cx, cy, r, rgba):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, rgba)

    def polygon(self, pts, rgba):
        def inside(x, y):
            c = False
            n = len(pts)
            for i in range(n):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % n]
                if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                    c = not c
            return c
        self.fill(inside, rgba)

    def polyline(self, pts, width, rgba):
        half = width / 2.0
        segs = list(zip(pts, pts[1:]))

        def dist(x, y, a, b):
            (xa, ya), (xb, yb) = a, b
            dx, dy = xb - xa, yb - ya
            t = 0.0 if dx == dy == 0 else max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / (dx * dx + dy * dy)))
            return math.hypot(x - (xa + t * dx), y - (ya + t * dy))
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        bx0, bx1, by0, by1 = min(xs) - half, max(xs) + half, min(ys) - half, max(ys) + half
        self.fill(lambda x, y: bx0 <= x <= bx1 and by0 <= y <= by1
                  and any(dist(x, y, a, b) <= half for a, b in segs), rgba)

    def png(self, path):
        rows = []
        for y in range(self.h):
            row = bytearray([0])
            for x in range(self.w):
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(SS):
                    for sx in range(SS):
                        r, g, b, a = self.px[y * SS + sy][x * SS + sx]
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
                a = acc[3] / (SS * SS)
                if acc[3] > 0:
                    rgb = [int(round(acc[i] / acc[3])) for i in range(3)]
                else:
                    rgb = [0, 0, 0]
                row += bytes(rgb + [int(round(a * 255))])
            rows.append(bytes(row))
        raw = b"".join(rows)

        def chunk(tag, data):
            c = struct.pack(">I", len(data)) + tag + data
            return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
        data = b"\x89PNG\r\n\x1a\n"
        data += chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        data += chunk(b"IDAT", zlib.compress(raw, 9))
        data += chunk(b"IEND", b"")
        Path(path).write_bytes(data)


def rgb(r, g, b, a=1.0):
    return (r, g, b, a)


def program_icon(size, path):
    """A yellow waveform on the left that splits into a green and a magenta part."""
    c = Canvas(size, size)
    s = size / 32.0
    c.rounded_rect(1 * s, 1 * s, 31 * s, 31 * s, 6 * s, rgb(46, 18, 128))
    c.rounded_rect(3 * s, 3 * s, 29 * s, 29 * s, 4.5 * s, rgb(73, 64, 83))
    for pts, width, colour in icon_strokes(s):
        c.polyline(pts, width * max(1.1, 1.9 * s), colour)
    c.png(path)


def wave(x0, x1, y0, amp, period, phase=0.0, env=None):
    """Points of a sine stroke in the 32-unit icon grid."""
    pts = []
    n = int((x1 - x0) * 4) + 1
    for i in range(n):
        x = x0 + (x1 - x0) * i / (n - 1)
        a = amp * (env(i / (n - 1)) if env else 1.0)
        pts.append((x, y0 + a * math.sin(2 * math.pi * (x - x0) / period + phase)))
    return pts


def icon_strokes(s=1.0):
    """The program icon's strokes scaled by s: (points, relative width, colour)."""
    def scaled(pts):
        return [(x * s, y * s) for x, y in pts]
    return [
        # The mix: a wave swelling from the left edge to the split point.
        (scaled(wave(4, 15, 16, 6.5, 3.6, 0.0, lambda t: math.sin(math.pi * min(1.0, t * 1.05)) ** 0.7)),
         1.0, rgb(255, 255, 0)),
        # The two extracted parts leaving to the right: a slow green one, a fast magenta one.
        (scaled([(15, 16), (18, 10)]), 0.8, rgb(0, 255, 0)),
        (scaled([(15, 16), (18, 22)]), 0.8, rgb(255, 0, 255)),
        (scaled(wave(18, 28, 10, 2.6, 6.5)), 0.8, rgb(0, 255, 0)),
        (scaled(wave(18, 28, 22, 2.2, 3.4)), 0.8, rgb(255, 0, 255)),
    ]


def program_icon_svg(path):
    """The program icon as a scalable drawing: the same shapes on a 32-unit grid, drawn at 8x."""
    k = 8
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           f'<svg xmlns="http://www.w3.org/2000/svg" width="{32 * k}" height="{32 * k}" '
           f'viewBox="0 0 {32 * k} {32 * k}">',
           f'  <rect x="{1 * k}" y="{1 * k}" width="{30 * k}" height="{30 * k}" rx="{6 * k}" fill="#2e1280"/>',
           f'  <rect x="{3 * k}" y="{3 * k}" width="{26 * k}" height="{26 * k}" rx="{4.5 * k}" fill="#494053"/>']
    for pts, width, (r, g, b, _a) in icon_strokes(k):
        d = " ".join(f"{'M' if i == 0 else 'L'}{x:.2f},{y:.2f}" for i, (x, y) in enumerate(pts))
        out.append(f'  <path d="{d}" fill="none" stroke="#{r:02x}{g:02x}{b:02x}" '
                   f'stroke-width="{1.9 * k * width:.2f}" stroke-linecap="round" stroke-linejoin="round"/>')
    out.append("</svg>")
    Path(path).write_text("\n".join(out) + "\n")


def tool_open(path):
    """A yellow folder with its flap open."""
    c = Canvas(16, 15)
    dark = rgb(120, 90, 0)
    c.polygon([(1, 3), (6, 3), (7.5, 4.5), (13, 4.5), (13, 13), (1, 13)], dark)
    c.polygon([(1.8, 4), (5.6, 4), (7.1, 5.5), (12.2, 5.5), (12.2, 12.2), (1.8, 12.2)], rgb(230, 190, 60))
    c.polygon([(3.5, 7), (15.5, 7), (13, 13.5), (0.8, 13.5)], dark)
    c.polygon([(4.2, 7.8), (14.4, 7.8), (12.4, 12.8), (1.9, 12.8)], rgb(255, 225, 90))
    c.polyline([(9, 1.5), (12, 1.5), (13.5, 3)], 1.1, rgb(0, 110, 40))
    c.polygon([(12.2, 3.8), (14.8, 3.8), (13.5, 1.6)], rgb(0, 110, 40))
    c.png(path)


def tool_save(path):
    """A dark blue floppy disk with a white label and a grey shutter."""
    c = Canvas(16, 15)
    c.polygon([(1, 1), (13, 1), (15, 3), (15, 14), (1, 14)], rgb(20, 30, 90))
    c.polygon([(1.8, 1.8), (12.6, 1.8), (14.2, 3.4), (14.2, 13.2), (1.8, 13.2)], rgb(46, 60, 160))
    c.rect(3.5, 1.8, 11.5, 6.5, rgb(245, 245, 245))
    c.rect(4.5, 3.0, 10.5, 3.6, rgb(120, 120, 200))
    c.rect(4.5, 4.6, 9.0, 5.2, rgb(120, 120, 200))
    c.rect(4, 9, 12, 13.2, rgb(190, 190, 190))
    c.rect(9.2, 9.8, 10.8, 12.4, rgb(60, 60, 60))
    c.png(path)


def tool_about(path):
    """A white 'i' on a green disc (the version box)."""
    c = Canvas(16, 15)
    c.circle(8, 7.5, 7, rgb(0, 110, 70))
    c.circle(8, 7.5, 6.1, rgb(0, 175, 111))
    c.circle(8, 4.2, 1.3, rgb(255, 255, 255))
    c.rect(6.9, 6.4, 9.1, 11.4, rgb(255, 255, 255))
    c.rect(5.8, 10.6, 10.2, 11.8, rgb(255, 255, 255))
    c.png(path)


def main():
    out = Path(__file__).resolve().parent.parent / "res"
    out.mkdir(exist_ok=True)
    # 16, 32 and 48 serve the windows; every size also goes into the desktop's icon theme.
    for size in (16, 22, 24, 32, 48, 64, 128, 256):
        program_icon(size, out / f"tonewarp_{size}.png")
    program_icon(32, out / "tonewarp.png")
    program_icon_svg(out / "tonewarp.svg")
    tool_open(out / "tool_open.png")
    tool_save(out / "tool_save.png")
    tool_about(out / "tool_about.png")


if __name__ == "__main__":
    main()
