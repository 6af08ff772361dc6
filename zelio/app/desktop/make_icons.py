#!/usr/bin/env python3
"""Writes the documentation browser's desktop icons: an open book with a magnifier.

The 48-pixel picture is the program's own window icon (zelio/app/zelio.png, drawn by
zelio/app/make_icon.py); this script draws the same picture into icons/hicolor/ beside it:
  <size>x<size>/apps/zelio.png for 16, 32 and 48 pixels (the smaller ones averaged from the
  48-pixel drawing, so they keep its shapes and colours), and
  scalable/apps/zelio.svg, the same shapes as vector graphics.
Run it from anywhere after changing the picture; its output is committed. Needs only Python.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ICONS = os.path.join(HERE, "icons", "hicolor")
BASE = 48

EDGE = (20, 60, 120, 255)
TEXT = (120, 140, 170, 255)
PAPER = (250, 250, 245, 255)
METAL = (40, 40, 40, 255)
GLASS = (200, 230, 255, 200)
CLEAR = (0, 0, 0, 0)


def pixel(x, y):
    """The picture at 48 pixels, as make_icon.py draws zelio.png."""
    cx, cy, r = 31, 29, 8
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    if (r - 2) ** 2 <= d2 <= r ** 2:
        return METAL
    if d2 < (r - 2) ** 2:
        return GLASS
    if 36 <= x <= 43 and 36 <= y <= 43 and abs((x - 36) - (y - 36)) <= 1:
        return METAL
    if 6 <= x <= 41 and 10 <= y <= 38:
        if x in (23, 24) or x in (6, 41) or y in (10, 38):
            return EDGE
        if y % 4 == 0 and (9 <= x <= 20 or 27 <= x <= 38):
            return TEXT
        return PAPER
    return CLEAR


def picture(size):
    """The picture at size pixels: each pixel the average of the 48-pixel pixels it covers
    (sampled 12 times each way), with premultiplied alpha."""
    n = 12
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for j in range(n):
                for i in range(n):
                    px = int((x + (i + 0.5) / n) * BASE / size)
                    py = int((y + (j + 0.5) / n) * BASE / size)
                    r, g, b, a = pixel(px, py)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3] == 0:
                row.append(CLEAR)
            else:
                row.append(tuple(round(c / acc[3]) for c in acc[:3]) + (round(alpha),))
        rows.append(row)
    return rows


def png(rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    size = len(rows)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def colour(c):
    return "#%02X%02X%02X" % c[:3]


def svg():
    """The same shapes on a 48-unit grid: pixel (x, y) is the unit square at (x, y)."""
    parts = [
        # The glass shows what lies behind the icon, not the book: the book is masked there.
        '<mask id="glass"><rect width="48" height="48" fill="#FFFFFF"/>'
        '<circle cx="31.5" cy="29.5" r="6" fill="#000000"/></mask>',
        '<g mask="url(#glass)">',
        # The book: its edge, the pages, the spine and the lines of text.
        '<rect x="6" y="10" width="36" height="29" fill="%s"/>' % colour(EDGE),
        '<rect x="7" y="11" width="34" height="27" fill="%s"/>' % colour(PAPER),
        '<rect x="23" y="10" width="2" height="29" fill="%s"/>' % colour(EDGE),
    ]
    for y in range(12, 38, 4):
        for x in (9, 27):
            parts.append('<rect x="%d" y="%d" width="12" height="1" fill="%s"/>'
                         % (x, y, colour(TEXT)))
    parts += [
        '</g>',
        # The magnifier: the glass, its rim and the handle.
        '<circle cx="31.5" cy="29.5" r="7" fill="%s" fill-opacity="%.3f" stroke="%s" '
        'stroke-width="2"/>' % (colour(GLASS), GLASS[3] / 255, colour(METAL)),
        '<path d="M36 37 L37 36 L44 43 L43 44 Z" fill="%s" stroke="%s" stroke-width="1"/>'
        % (colour(METAL), colour(METAL)),
    ]
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 48 48">\n'
            + "".join("  %s\n" % p for p in parts) + "</svg>\n")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    for size in (16, 32, 48):
        write(os.path.join(ICONS, "%dx%d" % (size, size), "apps", "zelio.png"), png(picture(size)))
    write(os.path.join(ICONS, "scalable", "apps", "zelio.svg"), svg().encode())


if __name__ == "__main__":
    main()
