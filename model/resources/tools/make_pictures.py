#!/usr/bin/env python3
"""Writes the model browser's pictures as XPM files into ../pictures.

The pictures are drawn here, either as character grids (one character per pixel, see PALETTE)
or with a few drawing helpers, so that they can be reviewed and changed as text. The XPM files
that this script writes are committed; the program loads them through the Qt resource system.

    python3 make_pictures.py          write every picture
    python3 make_pictures.py --check  exit 1 when a committed picture differs from this script

Only the Python standard library is used.
"""

import os
import sys

PALETTE = {
    " ": "None",
    ".": "#000000",
    "#": "#404040",
    "g": "#808080",
    "l": "#C0C0C0",
    "w": "#FFFFFF",
    "b": "#1F5FBF",
    "B": "#9CC3F5",
    "y": "#C8961E",
    "Y": "#F8D868",
    "r": "#D02828",
    "p": "#F4A0A0",
    "G": "#2E9E3E",
    "o": "#E07B1A",
    "O": "#F6C08A",
}


class Canvas:
    """A grid of palette characters; ' ' is transparent."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.px = [[" "] * width for _ in range(height)]

    def set(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def box(self, x0, y0, x1, y1, fill, edge="."):
        self.fill(x0, y0, x1, y1, edge)
        if x1 - x0 >= 2 and y1 - y0 >= 2:
            self.fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill)

    def hline(self, x0, x1, y, c="."):
        self.fill(min(x0, x1), y, max(x0, x1), y, c)

    def vline(self, x, y0, y1, c="."):
        self.fill(x, min(y0, y1), x, max(y0, y1), c)

    def line(self, x0, y0, x1, y1, c="."):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        """Pixels whose centre lies within r of (cx, cy); cx and cy may be halves."""
        for y in range(self.height):
            for x in range(self.width):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r * 0.8:
                    self.set(x, y, c)

    def ring(self, cx, cy, r, fill, edge="."):
        self.disc(cx, cy, r, edge)
        self.disc(cx, cy, r - 1, fill)

    def rows(self, rows, x0=0, y0=0):
        for dy, row in enumerate(rows):
            for dx, c in enumerate(row):
                if c != " ":
                    self.set(x0 + dx, y0 + dy, c)
        return self


def grid(rows, width=16, height=16):
    """A canvas from character rows; short rows are padded with transparent pixels."""
    if len(rows) > height:
        raise ValueError("%d rows for a picture %d high" % (len(rows), height))
    for row in rows:
        if len(row) > width:
            raise ValueError("row %r is wider than %d" % (row, width))
    return Canvas(width, height).rows(rows)


# --- toolbar: one 16 x 16 picture per command --------------------------------------------------

def new_page():
    return grid([
        "",
        "  ........",
        "  .wwwwww..",
        "  .wwwwww.w.",
        "  .wwwwww.ww.",
        "  .wwwwww.....",
        "  .wwwwwwwwww.",
        "  .wwwwwwwwww.",
        "  .wwwwwwwwww.",
        "  .wwwwwwwwww.",
        "  .wwwwwwwwww.",
        "  .wwwwwwwwww.",
        "  .wwwwwwwwww.",
        "  .wwwwwwwwww.",
        "  ............",
    ])


def open_folder():
    return grid([
        "",
        "",
        "  ....",
        " .yyyy.......",
        " .yyyyyyyyyyy.",
        " .yyy...........",
        " .yy.YYYYYYYYYY.",
        " .yy.YYYYYYYYY.",
        " .y.YYYYYYYYYY.",
        " .y.YYYYYYYYY.",
        " ..YYYYYYYYYY.",
        " ..YYYYYYYYY.",
        " ...........",
    ])


def instances():
    c = Canvas(16, 16)
    c.box(1, 1, 7, 5, "B")
    c.vline(3, 6, 13)
    for y in (7, 10, 13):
        c.hline(3, 5, y)
        c.hline(7, 14, y, "b")
    return c


def related():
    c = Canvas(16, 16)
    c.box(0, 1, 5, 5, "B")
    c.vline(2, 6, 10)
    c.hline(2, 9, 10)
    c.rows(["  .", "  ..", "  ...", "  ..", "  ."], 5, 8)
    c.box(10, 7, 15, 13, "G")
    return c


def all_related():
    c = Canvas(16, 16)
    c.box(0, 5, 5, 10, "B")
    c.vline(3, 2, 4)
    c.vline(3, 11, 13)
    c.hline(3, 10, 2)
    c.hline(3, 10, 13)
    c.box(10, 0, 15, 4, "G")
    c.box(10, 11, 15, 15, "G")
    return c


def documentation():
    return grid([
        "",
        "",
        "  ...      ...",
        " .www..  ..www.",
        " .wwwww..wwwww.",
        " .wgggw..wgggw.",
        " .wwwww..wwwww.",
        " .wgggw..wgggw.",
        " .wwwww..wwwww.",
        " .wgggw..wgggw.",
        " .wwwww..wwwww.",
        " .wwwww..wwwww.",
        " ..............",
        "  bbbbbbbbbbbb",
    ])


def magnifier(c, x0=0, y0=0):
    c.rows([
        "    ....",
        "   .wwww.",
        "  .wBwwww.",
        "  .Bwwwww.",
        "  .wwwwww.",
        "  .wwwwww.",
        "   .wwww..",
        "    ....###",
        "        ###",
        "         ###",
        "          ##",
    ], x0, y0)
    return c


def find_next():
    c = magnifier(Canvas(16, 16), 1, 0)
    c.rows([
        "   G",
        "   GG",
        "GGGGGG",
        "   GG",
        "   G",
    ], 0, 11)
    return c


def pane_window(left_shown, right_shown):
    c = Canvas(16, 16)
    c.box(0, 1, 15, 14, "w")
    c.fill(1, 2, 14, 2, "b")
    c.hline(0, 15, 3)
    c.vline(7, 3, 14)
    if left_shown:
        c.box(2, 5, 4, 7, "B")
        c.vline(3, 8, 8)
        c.box(3, 9, 5, 11, "B")
    else:
        c.fill(1, 4, 6, 13, "l")
    if right_shown:
        for y in (6, 8, 10, 12):
            c.hline(9, 13, y, "g")
    else:
        c.fill(8, 4, 14, 13, "l")
    return c


def font():
    return grid([
        "",
        "",
        "",
        "    ...",
        "    ...",
        "   .. ..",
        "   .. ..",
        "  ..   ..",
        "  .......    bb",
        " ..     ..     b",
        " ..     ..   bbb",
        "...     ...  b b",
        "             bbb",
    ])


def clear_tracks():
    return grid([
        "",
        "",
        "",
        "",
        "",
        "  ............",
        "  .ppppp.bbbb.",
        "  .ppppp.bbbb.",
        "  .ppppp.bbbb.",
        "  ............",
        "",
        "         g g g g",
    ])


def about():
    return grid([
        "",
        "     .....",
        "    .bbbbb.",
        "   .bb...bb.",
        "   .bb. .bb.",
        "    .. .bb.",
        "      .bb.",
        "     .bb.",
        "     .bb.",
        "      ..",
        "     ....",
        "     .bb.",
        "     .bb.",
        "      ..",
    ])


def export_page():
    return grid([
        "",
        " .........",
        " .wwwwwww.",
        " .w...www.",
        " .w.B.www.",
        " .w...www.",
        " .wwwwwww.",
        " .wwwwwww.",
        " .wwwwwww.   G",
        " .www...w.   GG",
        " .www.B.w.GGGGGG",
        " .www...w.   GG",
        " .wwwwwww.   G",
        " .........",
    ])


# --- small-icon strip 243 ----------------------------------------------------------------------

def small_element():
    c = Canvas(16, 16)
    c.box(1, 3, 14, 12, "B")
    return c


def small_attribute():
    return grid([
        "",
        "",
        "",
        "     .........",
        "    .YYYYYYYYY.",
        "   .YYYYYYYYYY.",
        "  .YY..YYYYYYY.",
        "  .YY..YYYYYYY.",
        "   .YYYYYYYYYY.",
        "    .YYYYYYYYY.",
        "     .........",
    ])


def small_information():
    return grid([
        "",
        "",
        "     ......",
        "   ..bbbbbb..",
        "  .bbbbwwbbbb.",
        "  .bbbbbbbbbb.",
        " .bbbbbwwbbbbb.",
        " .bbbbbwwbbbbb.",
        " .bbbbbwwbbbbb.",
        " .bbbbbwwbbbbb.",
        "  .bbbbwwbbbb.",
        "  .bbbbbbbbbb.",
        "   ..bbbbbb..",
        "     ......",
    ])


def small_instance():
    c = Canvas(16, 16)
    c.box(3, 1, 12, 14, "w")
    for y in (4, 6, 8, 10):
        c.hline(5, 10, y, "g")
    return c


def small_relation():
    c = Canvas(16, 16)
    c.box(0, 1, 6, 6, "B")
    c.vline(3, 7, 11)
    c.hline(3, 8, 11)
    c.box(9, 9, 15, 14, "G")
    return c


def small_find():
    return magnifier(Canvas(16, 16), 1, 2)


def closed_book(cover):
    c = Canvas(16, 16)
    c.box(3, 1, 13, 14, cover)
    c.vline(11, 2, 13, "w")
    c.box(5, 4, 9, 6, "w")
    return c


def small_model():
    c = Canvas(16, 16)
    c.box(1, 2, 14, 13, "w")
    c.box(3, 4, 6, 6, "B")
    c.box(9, 9, 12, 11, "G")
    c.vline(4, 7, 10, "g")
    c.hline(5, 8, 10, "g")
    return c


def small_error():
    c = Canvas(16, 16)
    c.disc(7.5, 7.5, 7, "r")
    for i in range(7):
        for d in (0, 1):
            c.set(4 + i + d, 4 + i, "w")
            c.set(11 - i - d, 4 + i, "w")
    return c


def small_items():
    c = Canvas(16, 16)
    for y in (2, 6, 10):
        c.fill(1, y, 3, y + 2, "b")
        c.hline(6, 14, y + 1, "#")
    return c


def small_history():
    c = Canvas(16, 16)
    c.ring(7.5, 7.5, 7, "w")
    for x, y in ((7, 2), (8, 2), (13, 7), (13, 8), (7, 13), (8, 13), (2, 7), (2, 8)):
        c.set(x, y, "g")
    c.vline(7, 4, 8)
    c.hline(7, 11, 8)
    c.set(8, 7, "r")
    return c


# --- page-tab strip 244 ------------------------------------------------------------------------

def page_diagram():
    c = Canvas(16, 16)
    c.box(2, 1, 13, 14, "w")
    c.box(4, 3, 8, 5, "B")
    c.box(7, 10, 11, 12, "G")
    c.vline(6, 6, 11, "g")
    c.set(6, 11, "g")
    return c


def page_tree():
    c = Canvas(16, 16)
    c.box(5, 1, 10, 4, "B")
    c.vline(7, 5, 7)
    c.hline(2, 13, 7)
    c.vline(2, 7, 9)
    c.vline(13, 7, 9)
    c.box(0, 10, 5, 13, "B")
    c.box(10, 10, 15, 13, "B")
    return c


def page_flow():
    c = Canvas(16, 16)
    for x in (0, 6, 12):
        c.box(x, 5, x + 3, 10, "G")
    for x in (4, 10):
        c.hline(x, x + 1, 7)
        c.hline(x, x + 1, 8)
    return c


def page_data():
    return grid([
        "",
        "    ........",
        "  ..YYYYYYYY..",
        "  .YYYYYYYYYY.",
        "  ..YYYYYYYY..",
        "  .y........y.",
        "  .yyyyyyyyyy.",
        "  .yyyyyyyyyy.",
        "  ..yyyyyyyy..",
        "  .y........y.",
        "  .yyyyyyyyyy.",
        "  .yyyyyyyyyy.",
        "  ..yyyyyyyy..",
        "    ........",
    ])


def page_location():
    c = Canvas(16, 16)
    c.ring(7.5, 5.5, 5, "r")
    c.disc(7.5, 5.5, 1.2, "w")
    c.rows([
        ".r..r.",
        " .rr.",
        " .rr.",
        "  ..",
    ], 5, 11)
    return c


def page_person():
    c = Canvas(16, 16)
    c.ring(7.5, 4, 3, "O")
    c.rows([
        "   ..........",
        "  .bbbbbbbbbb.",
        " .bbbbbbbbbbbb.",
        " .bbbbbbbbbbbb.",
        " .bbbbbbbbbbbb.",
        " ..............",
    ], 0, 9)
    return c


def page_star():
    return grid([
        "",
        "       ..",
        "       ..",
        "      .YY.",
        "      .YY.",
        " .....YYYY.....",
        "  .YYYYYYYYYY.",
        "   .YYYYYYYY.",
        "    .YYYYYY.",
        "    .YYYYYY.",
        "   .YYY..YYY.",
        "   .YY.  .YY.",
        "  .Y.      .Y.",
        "  ..        ..",
    ])


# --- history strip 250: one icon per recorded action type -------------------------------------

def history_related_loaded():
    """Related instances loaded through a relation counter: symbol, arrow, listed element."""
    c = Canvas(16, 16)
    c.ring(3, 7.5, 3, "Y")
    c.hline(7, 8, 7)
    c.hline(7, 8, 8)
    c.rows(["..", "..."], 8, 6)
    c.box(10, 1, 15, 14, "G")
    for y in (4, 7, 10):
        c.hline(11, 14, y, "w")
    return c


# --- cursors, 32 x 32, drawn in the top-left corner --------------------------------------------

HAND = [
    "     ..",
    "    .ww.",
    "    .ww.",
    "    .ww.",
    "    .ww...",
    "    .ww.ww...",
    "    .ww.ww.ww..",
    " .. .ww.ww.ww.w.",
    ".ww..wwwwwwwwww.",
    ".www.wwwwwwwwww.",
    " .ww.wwwwwwwwww.",
    "  .wwwwwwwwwwww.",
    "  .wwwwwwwwwwww.",
    "   .wwwwwwwwwww.",
    "   .wwwwwwwwww.",
    "    .wwwwwwwww.",
    "    .wwwwwwwww.",
    "    ...........",
]

ARROW = [
    ".",
    "..",
    ".w.",
    ".ww.",
    ".www.",
    ".wwww.",
    ".wwwww.",
    ".wwwwww.",
    ".wwwwwww.",
    ".wwwwwwww.",
    ".wwwww.....",
    ".ww.ww.",
    ".w. .ww.",
    "..  .ww.",
    ".    .ww.",
    "     .ww.",
    "      ..",
]


def cursor_element():
    return Canvas(32, 32).rows(HAND)


def cursor_active_counter():
    c = Canvas(32, 32).rows(ARROW)
    c.box(9, 12, 20, 21, "G")
    c.fill(14, 14, 15, 19, "w")
    c.fill(12, 16, 17, 17, "w")
    return c


def cursor_inactive_counter():
    c = Canvas(32, 32).rows(ARROW)
    c.disc(15, 17, 6, "w")
    c.disc(15, 17, 5, "r")
    c.disc(15, 17, 3, "w")
    for i in range(-4, 5):
        for d in (0, 1):
            c.set(15 + i + d, 17 + i, "r")
    return c


# --- program icon ------------------------------------------------------------------------------

def program_icon(size):
    """A model page: an element above two others, joined like a tree."""
    c = Canvas(size, size)
    u = size / 16.0

    def s(v):
        return int(round(v * u))

    t = max(1, s(0.5))  # line thickness
    c.box(0, s(1), size - 1, size - 1 - s(1), "w")
    c.fill(1, s(1) + 1, size - 2, s(3), "b")
    c.hline(0, size - 1, s(3) + 1)
    c.box(s(5), s(4.5), size - 1 - s(5), s(7), "B")
    c.box(s(1.5), s(10), s(6.5), size - 1 - s(2.5), "G")
    c.box(size - 1 - s(6.5), s(10), size - 1 - s(1.5), size - 1 - s(2.5), "o")
    mid = size // 2 - t // 2
    left = (s(1.5) + s(6.5)) // 2 - t // 2
    right = size - 1 - (s(1.5) + s(6.5)) // 2 - t // 2
    bar = s(8.5) - t // 2
    c.fill(mid, s(7) + 1, mid + t - 1, bar, ".")
    c.fill(left, bar, right + t - 1, bar + t - 1, ".")
    c.fill(left, bar, left + t - 1, s(10) - 1, ".")
    c.fill(right, bar, right + t - 1, s(10) - 1, ".")
    return c


PICTURES = {
    "toolbar/new": new_page,
    "toolbar/open": open_folder,
    "toolbar/instances": instances,
    "toolbar/related": related,
    "toolbar/allrelated": all_related,
    "toolbar/documentation": documentation,
    "toolbar/findnext": find_next,
    "toolbar/panesboth": lambda: pane_window(True, True),
    "toolbar/panemodel": lambda: pane_window(True, False),
    "toolbar/paneinfo": lambda: pane_window(False, True),
    "toolbar/font": font,
    "toolbar/cleartracks": clear_tracks,
    "toolbar/about": about,
    "toolbar/exportpage": export_page,
    "strip243/00": small_element,
    "strip243/01": small_attribute,
    "strip243/02": small_information,
    "strip243/03": small_instance,
    "strip243/04": small_relation,
    "strip243/05": small_find,
    "strip243/06": lambda: closed_book("b"),
    "strip243/07": small_model,
    "strip243/08": small_error,
    "strip243/09": small_items,
    "strip243/10": small_history,
    "strip244/00": page_diagram,
    "strip244/01": page_tree,
    "strip244/02": page_flow,
    "strip244/03": page_data,
    "strip244/04": page_location,
    "strip244/05": page_person,
    "strip244/06": lambda: closed_book("o"),
    "strip244/07": page_star,
    "strip250/00": instances,
    "strip250/01": related,
    "strip250/02": all_related,
    "strip250/03": history_related_loaded,
    "strip250/04": small_find,
    "strip250/05": documentation,
    "cursors/cursor130": cursor_element,
    "cursors/cursor140": cursor_active_counter,
    "cursors/cursor205": cursor_inactive_counter,
    "program/model16": lambda: program_icon(16),
    "program/model32": lambda: program_icon(32),
    "program/model48": lambda: program_icon(48),
}


def to_xpm(name, canvas):
    used = sorted({c for row in canvas.px for c in row}, key=lambda c: list(PALETTE).index(c))
    ident = name.replace("/", "_") + "_xpm"
    lines = ["/* XPM */", "static const char *const %s[] = {" % ident,
             '"%d %d %d 1",' % (canvas.width, canvas.height, len(used))]
    lines += ['"%s c %s",' % (c, PALETTE[c]) for c in used]
    rows = ['"%s"' % "".join(row) for row in canvas.px]
    lines += [r + "," for r in rows[:-1]] + [rows[-1]]
    lines.append("};")
    return "\n".join(lines) + "\n"


def main():
    check = "--check" in sys.argv[1:]
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "pictures")
    stale = []
    for name, draw in PICTURES.items():
        path = os.path.normpath(os.path.join(root, name + ".xpm"))
        text = to_xpm(name, draw())
        if check:
            try:
                with open(path, encoding="ascii") as f:
                    if f.read() != text:
                        stale.append(path)
            except OSError:
                stale.append(path)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="ascii", newline="\n") as f:
            f.write(text)
    if stale:
        print("pictures differ from make_pictures.py:\n  " + "\n  ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
