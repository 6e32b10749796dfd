#!/usr/bin/env python3
"""Draws the plug-in's icons and cursors and writes them as .ico/.cur files.

The artwork is kept as code so that every picture shares one palette and one
look, and so that a new icon is a few lines here rather than a binary nobody
can edit. Run it by hand after changing a drawing; the files it writes are
committed under res/icons/.

    python3 scripts/make-artwork.py res/icons
"""
import math
import struct
import sys
from pathlib import Path

SUPERSAMPLE = 4


class Canvas:
    """An RGBA picture drawn at a fixed size with anti-aliased shapes."""

    def __init__(self, size):
        self.size = size
        self.px = [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]

    def _blend(self, x, y, rgb, alpha):
        if alpha <= 0:
            return
        r0, g0, b0, a0 = self.px[y][x]
        a0 /= 255.0
        a = alpha + a0 * (1 - alpha)
        if a <= 0:
            return
        mix = [(c * alpha + c0 * a0 * (1 - alpha)) / a for c, c0 in zip(rgb, (r0, g0, b0))]
        self.px[y][x] = (round(mix[0]), round(mix[1]), round(mix[2]), round(a * 255))

    def fill(self, inside, rgb, opacity=1.0):
        """Fills every point for which inside(u, v) holds; u, v run 0..1."""
        n = SUPERSAMPLE
        for y in range(self.size):
            for x in range(self.size):
                hits = 0
                for sy in range(n):
                    for sx in range(n):
                        u = (x + (sx + 0.5) / n) / self.size
                        v = (y + (sy + 0.5) / n) / self.size
                        if inside(u, v):
                            hits += 1
                self._blend(x, y, rgb, opacity * hits / (n * n))


def rect(x0, y0, x1, y1):
    return lambda u, v: x0 <= u <= x1 and y0 <= v <= y1


def ellipse(cx, cy, rx, ry):
    return lambda u, v: ((u - cx) / rx) ** 2 + ((v - cy) / ry) ** 2 <= 1.0


def polygon(points):
    def inside(u, v):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > v) != (yj > v) and u < (xj - xi) * (v - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit

    return inside


def frame(x0, y0, x1, y1, width):
    outer, inner = rect(x0, y0, x1, y1), rect(x0 + width, y0 + width, x1 - width, y1 - width)
    return lambda u, v: outer(u, v) and not inner(u, v)


# One palette for all artwork.
INK = (40, 40, 48)
BOX = (196, 150, 92)
BOX_DARK = (150, 104, 56)
PAPER = (250, 250, 244)
LARK = (120, 86, 52)
LARK_BELLY = (232, 208, 160)
SKY = (64, 128, 208)


def draw_archive_box(c):
    """The menu entry: a filing box with letters going in."""
    c.fill(rect(0.22, 0.10, 0.70, 0.46), PAPER)
    c.fill(frame(0.22, 0.10, 0.70, 0.46, 0.04), INK)
    c.fill(polygon([(0.30, 0.14), (0.46, 0.28), (0.62, 0.14)]), SKY)
    c.fill(rect(0.08, 0.40, 0.92, 0.92), BOX)
    c.fill(rect(0.04, 0.34, 0.96, 0.46), BOX_DARK)
    c.fill(frame(0.08, 0.40, 0.92, 0.92, 0.05), INK)
    c.fill(rect(0.38, 0.56, 0.62, 0.64), INK)


def draw_stowlark(c):
    """The plug-in itself: a lark perched on a closed box."""
    c.fill(rect(0.10, 0.62, 0.90, 0.94), BOX)
    c.fill(frame(0.10, 0.62, 0.90, 0.94, 0.05), INK)
    c.fill(rect(0.40, 0.72, 0.60, 0.78), INK)
    c.fill(ellipse(0.50, 0.42, 0.26, 0.18), LARK)
    c.fill(ellipse(0.52, 0.48, 0.16, 0.09), LARK_BELLY)
    c.fill(ellipse(0.72, 0.28, 0.12, 0.11), LARK)
    c.fill(polygon([(0.82, 0.26), (0.97, 0.30), (0.82, 0.33)]), INK)
    c.fill(ellipse(0.74, 0.26, 0.025, 0.025), PAPER)
    c.fill(polygon([(0.26, 0.38), (0.04, 0.30), (0.08, 0.46), (0.28, 0.48)]), LARK)
    c.fill(polygon([(0.70, 0.20), (0.66, 0.06), (0.76, 0.16)]), LARK)
    c.fill(rect(0.44, 0.56, 0.47, 0.63), INK)
    c.fill(rect(0.56, 0.56, 0.59, 0.63), INK)


def draw_split_cursor(c):
    """The splitter's drag cursor: a bar with arrows up and down."""
    c.fill(rect(0.06, 0.45, 0.94, 0.55), PAPER)
    c.fill(frame(0.06, 0.45, 0.94, 0.55, 0.03), INK)
    for tip, base in ((0.04, 0.30), (0.96, 0.70)):
        c.fill(polygon([(0.50, tip), (0.30, base), (0.70, base)]), INK)
        lo, hi = sorted((base, 0.45 if tip < 0.5 else 0.55))
        c.fill(rect(0.45, lo, 0.55, hi), INK)


def dib(canvas):
    """A 32-bit bottom-up DIB with its AND mask, as icon and cursor files hold it."""
    s = canvas.size
    header = struct.pack("<IiiHHIIiiII", 40, s, s * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in reversed(range(s)):
        for x in range(s):
            r, g, b, a = canvas.px[y][x]
            xor += bytes((b, g, r, a))
    row_bytes = ((s + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(s)):
        row = bytearray(row_bytes)
        for x in range(s):
            if canvas.px[y][x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(xor) + bytes(mask)


def write_icon_file(path, draw, sizes, hotspot=None):
    images = []
    for size in sizes:
        canvas = Canvas(size)
        draw(canvas)
        images.append((size, dib(canvas)))
    kind = 2 if hotspot else 1
    out = bytearray(struct.pack("<HHH", 0, kind, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        if hotspot:
            planes, bits = round(hotspot[0] * size), round(hotspot[1] * size)
        else:
            planes, bits = 1, 32
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, planes, bits, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    Path(path).write_bytes(bytes(out))


ARTWORK = {
    "archive_menu.ico": (draw_archive_box, (16, 32), None),
    "stowlark.ico": (draw_stowlark, (16, 32), None),
    "splitter.cur": (draw_split_cursor, (32,), (0.5, 0.5)),
}


def main():
    out_dir = Path(sys.argv[1] if len(sys.argv) > 1 else "res/icons")
    out_dir.mkdir(parents=True, exist_ok=True)
    for name, (draw, sizes, hotspot) in ARTWORK.items():
        write_icon_file(out_dir / name, draw, sizes, hotspot)
        print(f"wrote {out_dir / name}")


if __name__ == "__main__":
    main()
