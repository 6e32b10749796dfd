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
        x0, y0, x1, y1 = getattr(inside, "box", (0.0, 0.0, 1.0, 1.0))
        xs = range(max(0, math.floor(x0 * self.size) - 1), min(self.size, math.ceil(x1 * self.size) + 1))
        ys = range(max(0, math.floor(y0 * self.size) - 1), min(self.size, math.ceil(y1 * self.size) + 1))
        for y in ys:
            for x in xs:
                hits = 0
                for sy in range(n):
                    for sx in range(n):
                        u = (x + (sx + 0.5) / n) / self.size
                        v = (y + (sy + 0.5) / n) / self.size
                        if inside(u, v):
                            hits += 1
                self._blend(x, y, rgb, opacity * hits / (n * n))


def bounded(inside, x0, y0, x1, y1):
    """Notes the box a shape stays within, so that filling it skips the rest."""
    inside.box = (x0, y0, x1, y1)
    return inside


def box_of(shape):
    return getattr(shape, "box", (0.0, 0.0, 1.0, 1.0))


def rect(x0, y0, x1, y1):
    return bounded(lambda u, v: x0 <= u <= x1 and y0 <= v <= y1, x0, y0, x1, y1)


def ellipse(cx, cy, rx, ry):
    inside = lambda u, v: ((u - cx) / rx) ** 2 + ((v - cy) / ry) ** 2 <= 1.0
    return bounded(inside, cx - rx, cy - ry, cx + rx, cy + ry)


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

    xs, ys = [x for x, _ in points], [y for _, y in points]
    return bounded(inside, min(xs), min(ys), max(xs), max(ys))


def frame(x0, y0, x1, y1, width):
    return minus(rect(x0, y0, x1, y1), rect(x0 + width, y0 + width, x1 - width, y1 - width))


def segment(x0, y0, x1, y1, width):
    """A stroke of the given width with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1e-12
    r2 = (width / 2) ** 2

    def inside(u, v):
        t = max(0.0, min(1.0, ((u - x0) * dx + (v - y0) * dy) / length2))
        ex, ey = u - x0 - t * dx, v - y0 - t * dy
        return ex * ex + ey * ey <= r2

    r = width / 2
    return bounded(inside, min(x0, x1) - r, min(y0, y1) - r, max(x0, x1) + r, max(y0, y1) + r)


def arc(cx, cy, r, width, a0, a1):
    """A ring of the given width from angle a0 to a1, in degrees counter-clockwise from three o'clock."""
    inner2, outer2, sweep = (r - width / 2) ** 2, (r + width / 2) ** 2, (a1 - a0) % 360

    def inside(u, v):
        d2 = (u - cx) ** 2 + (v - cy) ** 2
        if not inner2 <= d2 <= outer2:
            return False
        return (math.degrees(math.atan2(cy - v, u - cx)) - a0) % 360 <= sweep

    reach = r + width / 2
    return bounded(inside, cx - reach, cy - reach, cx + reach, cy + reach)


def union(*shapes):
    boxes = [box_of(s) for s in shapes]
    return bounded(lambda u, v: any(s(u, v) for s in shapes),
                   min(b[0] for b in boxes), min(b[1] for b in boxes),
                   max(b[2] for b in boxes), max(b[3] for b in boxes))


def minus(shape, cut):
    return bounded(lambda u, v: shape(u, v) and not cut(u, v), *box_of(shape))


def within(shape, clip):
    (a0, b0, a1, b1), (c0, d0, c1, d1) = box_of(shape), box_of(clip)
    return bounded(lambda u, v: shape(u, v) and clip(u, v), max(a0, c0), max(b0, d0), min(a1, c1), min(b1, d1))


def grown(shape, by):
    """The shape widened on every side by the given distance."""
    ring = [(by * k * math.cos(math.radians(a)), by * k * math.sin(math.radians(a)))
            for k in (0.5, 1.0) for a in range(0, 360, 30)]
    x0, y0, x1, y1 = box_of(shape)
    return bounded(lambda u, v: shape(u, v) or any(shape(u + dx, v + dy) for dx, dy in ring),
                   x0 - by, y0 - by, x1 + by, y1 + by)


def g(*values):
    """Sixteenths of the picture, so that edges fall on whole pixels at 16 and 32 pixels."""
    return tuple(v / 16 for v in values)


def pts(*values):
    """Polygon corners given as x, y, x, y, ... in sixteenths."""
    v = g(*values)
    return list(zip(v[0::2], v[1::2]))


# One palette for all artwork.
INK = (40, 40, 48)
BOX = (196, 150, 92)
BOX_DARK = (150, 104, 56)
PAPER = (250, 250, 244)
LARK = (120, 86, 52)
LARK_BELLY = (232, 208, 160)
SKY = (64, 128, 208)
SKY_DARK = (36, 84, 156)
GLASS = (184, 216, 244)
SHADE = (214, 214, 206)
GREY = (150, 150, 156)
FOLDER = (248, 208, 88)
FOLDER_DARK = (214, 164, 48)
GREEN = (52, 164, 64)
RED = (214, 44, 40)
SUN = (255, 190, 0)


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


def outlined(c, shape, rgb):
    """Fills a shape and rings it with a one-pixel ink outline."""
    c.fill(grown(shape, 1 / c.size), INK)
    c.fill(shape, rgb)


def boxed(c, x0, y0, x1, y1, rgb):
    """A filled rectangle with square ink corners just outside it."""
    w = 1 / c.size
    c.fill(rect(x0 - w, y0 - w, x1 + w, y1 + w), INK)
    c.fill(rect(x0, y0, x1, y1), rgb)


def envelope(c, x0, y0, x1, y1):
    """A closed envelope seen from the back, its flap folded down."""
    boxed(c, x0, y0, x1, y1, PAPER)
    w, mid, fold = 1 / c.size, (x0 + x1) / 2, y0 + (y1 - y0) * 0.6
    c.fill(polygon([(x0, y0), (mid, fold), (x1, y0)]), SHADE)
    c.fill(union(segment(x0, y0, mid, fold, w), segment(mid, fold, x1, y0, w)), INK)


def page(c, x0, y0, x1, y1, lines):
    """A sheet with its top right corner turned down and ink lines of text."""
    ear = 3 / 16
    outlined(c, polygon([(x0, y0), (x1 - ear, y0), (x1, y0 + ear), (x1, y1), (x0, y1)]), PAPER)
    outlined(c, polygon([(x1 - ear, y0), (x1 - ear, y0 + ear), (x1, y0 + ear)]), SHADE)
    w = 1 / c.size
    for row, length in enumerate(lines):
        top = y0 + (3 + 2 * row) / 16
        c.fill(rect(x0 + 2 / 16, top, x0 + (2 + length) / 16, top + w), INK)


def tray(c, fill):
    """A letter tray seen from the front; fill(c) draws what stands inside it."""
    outlined(c, polygon(pts(3, 7, 13, 7, 15, 10, 1, 10)), SKY_DARK)
    fill(c)
    boxed(c, *g(1, 10, 15, 14), SKY)
    c.fill(rect(*g(6, 11.5, 10, 12.5)), SKY_DARK)


def archive_box(c, open_lid):
    """The archive's brown box, its lid on or standing open behind it."""
    if open_lid:
        outlined(c, polygon(pts(3, 4, 13, 4, 14, 7, 2, 7)), BOX_DARK)
        boxed(c, *g(4, 2, 11, 6), PAPER)
    else:
        boxed(c, *g(1, 4, 15, 7), BOX_DARK)
    boxed(c, *g(2, 7, 14, 15), BOX)
    boxed(c, *g(6, 9, 10, 11), PAPER)


def person(c, cx, top, rgb):
    """Head and shoulders, the head's top at the given height."""
    outlined(c, within(ellipse(cx, top + 10 / 16, 4.5 / 16, 5 / 16), rect(0, 0, 1, top + 11 / 16)), rgb)
    outlined(c, ellipse(cx, top + 2.5 / 16, 2.5 / 16, 2.5 / 16), LARK_BELLY)


def draw_main_dialog(c):
    """The main dialog: a letter and a down arrow going into an open filing box."""
    outlined(c, polygon(pts(2, 8, 14, 8, 15, 10, 1, 10)), BOX_DARK)
    envelope(c, *g(2, 1, 10, 7))
    outlined(c, union(rect(*g(10, 1, 13, 7)), polygon(pts(8, 7, 15, 7, 11.5, 11))), GREEN)
    boxed(c, *g(1, 10, 15, 15), BOX)
    c.fill(rect(*g(6, 12, 10, 13)), INK)


def draw_mailbox_root(c):
    """The host's mailboxes: a grey filing cabinet of two drawers."""
    boxed(c, *g(3, 1, 13, 15), SHADE)
    for top in (2, 8):
        boxed(c, *g(4, top + 1, 12, top + 5), PAPER)
        c.fill(rect(*g(6, top + 2, 10, top + 3)), INK)


def draw_archive_root(c):
    """The archives: a brown database drum."""
    outlined(c, union(rect(*g(2, 4, 14, 12)), ellipse(*g(8, 12, 6, 2))), BOX)
    w = 1 / c.size
    for y in (6.5, 9.5):
        band = ellipse(*g(8, y, 6, 2))
        c.fill(within(minus(grown(band, w), band), rect(*g(2, y, 14, 16))), BOX_DARK)
    outlined(c, ellipse(*g(8, 4, 6, 2)), LARK_BELLY)


def draw_folder_closed(c):
    """A closed yellow folder."""
    outlined(c, union(polygon(pts(1, 3, 6, 3, 8, 5, 1, 5)), rect(*g(1, 5, 15, 14))), FOLDER)
    c.fill(rect(*g(1, 6, 15, 7)), FOLDER_DARK)
    c.fill(rect(*g(1, 5, 15, 6)), PAPER, 0.7)


def draw_folder_open(c):
    """An open yellow folder, its front flap tipped forward."""
    outlined(c, union(polygon(pts(1, 2, 6, 2, 8, 4, 1, 4)), rect(*g(1, 4, 13, 14))), FOLDER_DARK)
    boxed(c, *g(3, 5, 12, 9), PAPER)
    outlined(c, polygon(pts(4, 8, 15, 8, 12, 14, 1, 14)), FOLDER)


def draw_mailbox_empty(c):
    """An empty mailbox: a bare letter tray."""
    tray(c, lambda c: None)


def draw_mailbox_some(c):
    """A mailbox with some messages: a tray holding two letters."""
    def letters(c):
        envelope(c, *g(2, 5, 9, 10))
        envelope(c, *g(7, 3, 14, 10))
    tray(c, letters)


def draw_mailbox_many(c):
    """A mailbox with very many messages: a tray stacked high with letters."""
    def stack(c):
        boxed(c, *g(3, 1, 13, 10), PAPER)
        for y in (3, 5, 7, 9):
            c.fill(rect(*g(3, y, 13, y + 1)), SHADE)
            c.fill(rect(*g(3, y - 1 / 16, 13, y)), GREY)
    tray(c, stack)


def draw_archive_closed(c):
    """An archive with no viewer open: a closed brown box."""
    archive_box(c, open_lid=False)


def draw_archive_viewing(c):
    """An archive being viewed: the box open and a magnifier over it."""
    archive_box(c, open_lid=True)
    w = 1 / c.size
    c.fill(grown(segment(*g(12, 12, 14.5, 14.5), 2.5 / 16), w), INK)
    outlined(c, ellipse(*g(10, 10, 3, 3)), GLASS)
    c.fill(ellipse(*g(9, 9, 1, 1)), PAPER)


def draw_log(c):
    """The log window: a page of text lines."""
    page(c, *g(3, 1, 13, 15), (5, 8, 6, 8, 7, 4))


def draw_about(c):
    """The About box: the lark singing on its box under a blue sky."""
    c.fill(ellipse(0.5, 0.5, 0.5, 0.5), GLASS)
    draw_stowlark(c)
    c.fill(union(ellipse(*g(2.5, 6, 1.5, 1.1)), rect(*g(3.2, 1.5, 4, 6)),
                 polygon(pts(3.2, 1.5, 6, 2.5, 6, 3.5, 3.2, 2.5))), INK)


def draw_home_site(c):
    """The plug-in on the Internet: a globe."""
    earth = ellipse(*g(8, 8, 7, 7))
    outlined(c, earth, SKY)
    c.fill(within(union(polygon(pts(2, 4, 7, 1, 8, 5, 6, 7, 7, 10, 5, 15, 4, 9, 1, 7)),
                        polygon(pts(10, 2, 14, 4, 15, 8, 12, 12, 10, 10, 11, 7, 9, 5))), earth), GREEN)
    w = 1 / c.size
    meridian = ellipse(*g(8, 8, 3, 7))
    c.fill(within(union(minus(grown(meridian, w), meridian), rect(*g(1, 8, 15, 9))), earth), GLASS, 0.6)


def draw_viewer(c):
    """The archive viewer: a window listing rows of messages."""
    boxed(c, *g(1, 2, 15, 15), PAPER)
    c.fill(rect(*g(1, 2, 15, 5)), SKY)
    c.fill(rect(*g(12, 3, 14, 4)), PAPER)
    c.fill(rect(*g(1, 5, 15, 6)), INK)
    c.fill(rect(*g(1, 8, 15, 10)), GLASS)
    for y in (7, 9, 11, 13):
        c.fill(rect(*g(3, y, 5, y + 1)), SKY_DARK)
        c.fill(rect(*g(6, y, 13 if y % 4 == 1 else 11, y + 1)), INK)


def draw_status_unread(c):
    """An unread message: a closed envelope with a bright dot."""
    envelope(c, *g(1, 4, 14, 14))
    outlined(c, ellipse(*g(12, 4, 3, 3)), SUN)


def draw_status_read(c):
    """A read message: an envelope with its flap open."""
    outlined(c, polygon(pts(1, 7, 8, 1, 15, 7)), SHADE)
    boxed(c, *g(1, 7, 15, 14), PAPER)
    w = 1 / c.size
    c.fill(union(segment(*g(1, 14, 8, 9), w), segment(*g(8, 9, 15, 14), w)), INK)


def draw_status_replied(c):
    """A replied message: an envelope and an arrow curving back to the left."""
    envelope(c, *g(4, 1, 15, 9))
    outlined(c, union(arc(*g(9, 15, 4, 2), 0, 90), polygon(pts(9, 8, 9, 14, 4, 11))), SKY)


def draw_status_forwarded(c):
    """A forwarded message: an envelope and an arrow pointing right."""
    envelope(c, *g(1, 1, 12, 9))
    outlined(c, union(rect(*g(6, 10, 11, 12)), polygon(pts(11, 7, 15, 11, 11, 15))), SKY)


def draw_status_redirected(c):
    """A redirected message: an envelope and an arrow bending down and right."""
    envelope(c, *g(1, 1, 12, 9))
    outlined(c, union(rect(*g(4, 6, 6, 12)), rect(*g(4, 10, 11, 12)), polygon(pts(11, 7, 15, 11, 11, 15))), SKY)


def draw_status_unsendable(c):
    """A message that cannot be sent: an envelope crossed out with a red X."""
    envelope(c, *g(1, 1, 13, 10))
    width = 2.5 / 16
    outlined(c, union(segment(*g(9, 9, 14, 14), width), segment(*g(14, 9, 9, 14), width)), RED)


def draw_status_draft(c):
    """A draft: a page with a pencil."""
    page(c, *g(2, 1, 11, 15), (5, 6, 4, 6))
    shaft = polygon(pts(8, 12, 13, 7, 15, 9, 10, 14))
    outlined(c, union(shaft, polygon(pts(8, 12, 10, 14, 6, 16)), polygon(pts(13, 7, 14, 6, 16, 8, 15, 9))), FOLDER)
    c.fill(polygon(pts(8, 12, 10, 14, 6, 16)), LARK_BELLY)
    c.fill(polygon(pts(6.8, 14, 8, 15.2, 6, 16)), INK)
    c.fill(polygon(pts(13, 7, 14, 6, 16, 8, 15, 9)), RED)


def draw_status_queued(c):
    """A queued message: a small stack of envelopes waiting to go."""
    for x, y in ((5, 2), (3, 4), (1, 6)):
        boxed(c, *g(x, y, x + 10, y + 7), PAPER)
    envelope(c, *g(1, 6, 11, 13))


def draw_status_sent(c):
    """A sent message: an envelope with a green check."""
    envelope(c, *g(1, 1, 12, 9))
    width = 2.5 / 16
    outlined(c, union(segment(*g(7, 11, 9.5, 13.5), width), segment(*g(9.5, 13.5, 14, 8), width)), GREEN)


def draw_status_unsent(c):
    """An unsent message: an envelope with a grey ellipsis."""
    envelope(c, *g(1, 1, 14, 10))
    for x in (4, 8, 12):
        c.fill(rect(*g(x, 12, x + 2, 14)), GREY)


def draw_status_time_queued(c):
    """A message queued for a set time: an envelope and a clock."""
    envelope(c, *g(1, 1, 12, 9))
    outlined(c, ellipse(*g(11.5, 11.5, 3.5, 3.5)), PAPER)
    c.fill(union(rect(*g(11, 9, 12, 12)), rect(*g(11, 11, 14, 12))), INK)


def draw_sort_ascending(c):
    """The column sorted upward: a small triangle pointing up."""
    outlined(c, polygon(pts(4, 10, 12, 10, 8, 6)), GREY)


def draw_sort_descending(c):
    """The column sorted downward: a small triangle pointing down."""
    outlined(c, polygon(pts(4, 6, 12, 6, 8, 10)), GREY)


def draw_column_sender(c):
    """The sender column: one person."""
    person(c, 0.5, 2 / 16, SKY)


def draw_column_subject(c):
    """The subject column: a speech bubble with lines of text."""
    outlined(c, union(ellipse(*g(8, 7, 7, 5)), polygon(pts(4, 10, 2, 15, 8, 11))), PAPER)
    c.fill(union(rect(*g(4, 5, 12, 6)), rect(*g(4, 8, 10, 9))), INK)


def draw_column_recipients(c):
    """The recipients column: two people."""
    person(c, 10.5 / 16, 1 / 16, GREEN)
    person(c, 5.5 / 16, 3 / 16, SKY)


def draw_column_date(c):
    """The date column: a calendar page."""
    boxed(c, *g(2, 3, 14, 15), PAPER)
    c.fill(rect(*g(2, 3, 14, 6)), RED)
    c.fill(rect(*g(2, 6, 14, 7)), INK)
    for x in (4, 11):
        boxed(c, *g(x, 1, x + 1, 4), GREY)
    for row, y in enumerate((8, 10, 12)):
        for x in (4, 7, 10):
            c.fill(rect(*g(x, y, x + 2, y + 1)), RED if (row, x) == (1, 7) else GREY)


def draw_column_size(c):
    """The size column: a ruler."""
    boxed(c, *g(1, 5, 15, 11), FOLDER)
    for x in range(3, 14, 2):
        c.fill(rect(*g(x, 5, x + 1, 9 if x % 4 == 1 else 7)), INK)


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
    "main_dialog.ico": (draw_main_dialog, (16, 32), None),
    "mailbox_root.ico": (draw_mailbox_root, (16, 32), None),
    "archive_root.ico": (draw_archive_root, (16, 32), None),
    "folder_open.ico": (draw_folder_open, (16, 32), None),
    "folder_closed.ico": (draw_folder_closed, (16, 32), None),
    "mailbox_empty.ico": (draw_mailbox_empty, (16, 32), None),
    "mailbox_some.ico": (draw_mailbox_some, (16, 32), None),
    "mailbox_many.ico": (draw_mailbox_many, (16, 32), None),
    "archive_closed.ico": (draw_archive_closed, (16, 32), None),
    "archive_viewing.ico": (draw_archive_viewing, (16, 32), None),
    "log.ico": (draw_log, (16, 32), None),
    "about.ico": (draw_about, (16, 32), None),
    "home_site.ico": (draw_home_site, (16, 32), None),
    "viewer.ico": (draw_viewer, (16, 32), None),
    "status_unread.ico": (draw_status_unread, (16, 32), None),
    "status_read.ico": (draw_status_read, (16, 32), None),
    "status_replied.ico": (draw_status_replied, (16, 32), None),
    "status_forwarded.ico": (draw_status_forwarded, (16, 32), None),
    "status_redirected.ico": (draw_status_redirected, (16, 32), None),
    "status_unsendable.ico": (draw_status_unsendable, (16, 32), None),
    "status_draft.ico": (draw_status_draft, (16, 32), None),
    "status_queued.ico": (draw_status_queued, (16, 32), None),
    "status_sent.ico": (draw_status_sent, (16, 32), None),
    "status_unsent.ico": (draw_status_unsent, (16, 32), None),
    "status_time_queued.ico": (draw_status_time_queued, (16, 32), None),
    "sort_ascending.ico": (draw_sort_ascending, (16, 32), None),
    "sort_descending.ico": (draw_sort_descending, (16, 32), None),
    "column_sender.ico": (draw_column_sender, (16, 32), None),
    "column_subject.ico": (draw_column_subject, (16, 32), None),
    "column_recipients.ico": (draw_column_recipients, (16, 32), None),
    "column_date.ico": (draw_column_date, (16, 32), None),
    "column_size.ico": (draw_column_size, (16, 32), None),
}


def main():
    out_dir = Path(sys.argv[1] if len(sys.argv) > 1 else "res/icons")
    out_dir.mkdir(parents=True, exist_ok=True)
    for name, (draw, sizes, hotspot) in ARTWORK.items():
        write_icon_file(out_dir / name, draw, sizes, hotspot)
        print(f"wrote {out_dir / name}")


if __name__ == "__main__":
    main()
