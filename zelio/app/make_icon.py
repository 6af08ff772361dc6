#!/usr/bin/env python3
"""Draws the browser's 48x48 icon (an open book with a magnifier) into zelio.png."""
import struct
import zlib

SIZE = 48


def pixel(x, y):
    # Magnifier: a ring with a handle, in front of the book.
    cx, cy, r = 31, 29, 8
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    if (r - 2) ** 2 <= d2 <= r ** 2:
        return (40, 40, 40, 255)
    if d2 < (r - 2) ** 2:
        return (200, 230, 255, 200)
    if 36 <= x <= 43 and 36 <= y <= 43 and abs((x - 36) - (y - 36)) <= 1:
        return (40, 40, 40, 255)
    # Book: two pages with a spine and lines of text.
    if 6 <= x <= 41 and 10 <= y <= 38:
        if x in (23, 24):
            return (20, 60, 120, 255)
        if x in (6, 41) or y in (10, 38):
            return (20, 60, 120, 255)
        if y % 4 == 0 and (9 <= x <= 20 or 27 <= x <= 38):
            return (120, 140, 170, 255)
        return (250, 250, 245, 255)
    return (0, 0, 0, 0)


def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def main():
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(SIZE))
                    for y in range(SIZE))
    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
    with open("zelio.png", "wb") as out:
        out.write(png)


if __name__ == "__main__":
    main()
