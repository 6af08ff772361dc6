#!/usr/bin/env python3
"""Writes the desktop icons of the model browser from its program pictures.

The pictures in pictures/program/model{16,32,48}.xpm (written by make_pictures.py) become, in
icons/hicolor/ of model/resources:
  <size>x<size>/apps/model-browser.png                          the program, pixel for pixel
  <size>x<size>/mimetypes/application-x-model-browser-model.png a model file: the program
                                                                picture on a sheet of paper
  scalable/apps/model-browser.svg and
  scalable/mimetypes/application-x-model-browser-model.svg      the same, drawn as rectangles

Run it from anywhere after changing the pictures; its output is committed. Needs only Python.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.dirname(HERE)
PICTURES = os.path.join(RESOURCES, "pictures", "program")
ICONS = os.path.join(RESOURCES, "icons", "hicolor")
SIZES = (16, 32, 48)
APP = "model-browser"
MIME = "application-x-model-browser-model"

CLEAR = (0, 0, 0, 0)
PAPER = (255, 255, 255, 255)
EDGE = (64, 64, 64, 255)
FOLD = (200, 200, 200, 255)


def read_xpm(path):
    """The picture as rows of (r, g, b, a)."""
    with open(path, encoding="ascii") as f:
        strings = [line.split('"')[1] for line in f if line.lstrip().startswith('"')]
    width, height, ncolors, cpp = (int(v) for v in strings[0].split()[:4])
    palette = {}
    for entry in strings[1:1 + ncolors]:
        key, spec = entry[:cpp], entry[cpp:].split()
        value = spec[spec.index("c") + 1]
        if value.lower() == "none":
            palette[key] = CLEAR
        else:
            palette[key] = (int(value[1:3], 16), int(value[3:5], 16), int(value[5:7], 16), 255)
    rows = []
    for text in strings[1 + ncolors:1 + ncolors + height]:
        rows.append([palette[text[i * cpp:(i + 1) * cpp]] for i in range(width)])
    return rows


def on_sheet(picture, size):
    """A model file's icon: the picture (a size smaller) on a sheet with a folded corner."""
    rows = [[CLEAR] * size for _ in range(size)]
    left, right = size // 8, size - 1 - size // 8
    fold = size // 4
    for y in range(size):
        for x in range(left, right + 1):
            corner = x - (right - fold)  # > 0 right of the fold's left edge
            if corner > 0 and y < corner:
                continue  # cut off corner
            edge = x in (left, right) or y in (0, size - 1) or (corner > 0 and y == corner)
            folded = corner > 0 and y > corner and y <= fold
            rows[y][x] = EDGE if edge else FOLD if folded else PAPER
    h = len(picture)
    w = len(picture[0])
    x0 = (size - w) // 2
    y0 = size - h - max(2, size // 16)
    for y in range(h):
        for x in range(w):
            if picture[y][x][3]:
                rows[y0 + y][x0 + x] = picture[y][x]
    return rows


def png(rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def svg(rows):
    """The picture as one rectangle per run of equal pixels in a row, runs of equal rows
    merged, so it scales without blurring."""
    height, width = len(rows), len(rows[0])
    runs = {}
    for y, row in enumerate(rows):
        x = 0
        while x < width:
            end = x
            while end + 1 < width and row[end + 1] == row[x]:
                end += 1
            if row[x][3]:
                runs.setdefault((x, end, row[x]), []).append(y)
            x = end + 1
    rects = []
    for (x, end, colour), ys in sorted(runs.items(), key=lambda item: (item[1][0], item[0])):
        start = prev = ys[0]
        for y in ys[1:] + [None]:
            if y is not None and y == prev + 1:
                prev = y
                continue
            rects.append('  <rect x="%d" y="%d" width="%d" height="%d" fill="#%02X%02X%02X"/>'
                         % (x, start, end - x + 1, prev - start + 1, *colour[:3]))
            if y is not None:
                start = prev = y
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d" shape-rendering="crispEdges">\n%s\n</svg>\n'
            % (width, height, width, height, "\n".join(rects)))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    pictures = {size: read_xpm(os.path.join(PICTURES, "model%d.xpm" % size)) for size in SIZES}
    for size in SIZES:
        folder = os.path.join(ICONS, "%dx%d" % (size, size))
        write(os.path.join(folder, "apps", APP + ".png"), png(pictures[size]))
        # The smallest sheet would leave no room for a picture: the program picture it is.
        sheet = pictures[size] if size == 16 else on_sheet(pictures[size // 2 if size == 32 else 32], size)
        write(os.path.join(folder, "mimetypes", MIME + ".png"), png(sheet))
    scalable = os.path.join(ICONS, "scalable")
    write(os.path.join(scalable, "apps", APP + ".svg"), svg(pictures[48]).encode())
    write(os.path.join(scalable, "mimetypes", MIME + ".svg"), svg(on_sheet(pictures[32], 48)).encode())


if __name__ == "__main__":
    main()
