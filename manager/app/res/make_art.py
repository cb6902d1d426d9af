#!/usr/bin/env python3
"""Draws LRXWin's art in the 16 standard colours and writes it next to this
script: the program icon (lrxwin.ico, 16 to 64 pixels square, for screens of
96 to 192 dpi), the context-help cursor (help.cur, 32x32 monochrome), the
seven 20x20 toolbar glyphs (tb_*.bmp; the toolbar scales them to the dpi)
and the About box picture (about.bmp, 32x32). Standard library
only; run it again after a change."""

import os
import struct

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
(BLACK, DARK_RED, DARK_GREEN, DARK_YELLOW, NAVY, PURPLE, TEAL, GREY,
 DARK_GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE) = range(16)
CLEAR = None


class Canvas:
    def __init__(self, width, height, fill=CLEAR):
        self.w, self.h = width, height
        self.px = [[fill] * width for _ in range(height)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def box(self, x0, y0, x1, y1, fill, edge=BLACK):
        """Filled rectangle x0..x1, y0..y1 inclusive with a one-pixel edge."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                border = x in (x0, x1) or y in (y0, y1)
                self.set(x, y, edge if border and edge is not None else fill)

    def line(self, x0, y0, x1, y1, c):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for k in range(steps + 1):
            self.set(round(x0 + (x1 - x0) * k / steps), round(y0 + (y1 - y0) * k / steps), c)

    def page(self, x0, y0, x1, y1):
        """A sheet with a folded top-right corner."""
        self.box(x0, y0, x1, y1, WHITE)
        fold = 4
        for k in range(fold + 1):
            for x in range(x1 - fold + k, x1 + 1):
                self.set(x, y0 + k, CLEAR)
        self.line(x1 - fold, y0, x1, y0 + fold, BLACK)
        self.line(x1 - fold, y0, x1 - fold, y0 + fold, BLACK)
        self.line(x1 - fold, y0 + fold, x1, y0 + fold, BLACK)

    def chequer(self, x0, y0, x1, y1, cell):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, BLACK if ((x - x0) // cell + (y - y0) // cell) % 2 else WHITE)

    def arrow_down(self, cx, y0, y1, colour):
        for y in range(y0, y1 - 2):
            self.set(cx, y, colour)
            self.set(cx + 1, y, colour)
        for k in range(4):
            for x in range(cx - 3 + k, cx + 5 - k):
                self.set(x, y1 - 3 + k, colour)


def archive(c, x0, y0, x1, y1):
    """The archive: a box with a chequered band (a race's finish)."""
    c.box(x0, y0, x1, y1, DARK_YELLOW)
    c.box(x0, y0, x1, y0 + (y1 - y0) // 4, YELLOW)
    band = y0 + (y1 - y0) // 2
    c.chequer(x0 + 1, band - 1, x1 - 1, band + 1 + (y1 - y0) // 10, max(1, (x1 - x0) // 10))


def glyph_new():
    c = Canvas(20, 20)
    c.page(4, 1, 15, 18)
    return c


def glyph_open():
    c = Canvas(20, 20)
    c.box(1, 5, 15, 17, DARK_YELLOW)
    c.box(1, 3, 7, 5, DARK_YELLOW)
    for k in range(8):  # the opened front
        c.line(4 + k // 3, 9 + k, 18 - k // 3, 9 + k, YELLOW)
    c.line(4, 8, 18, 8, BLACK)
    c.line(18, 8, 15, 17, BLACK)
    c.line(4, 8, 1, 17, BLACK)
    return c


def glyph_add():
    c = Canvas(20, 20)
    c.page(2, 1, 13, 18)
    c.box(10, 9, 18, 17, GREEN, DARK_GREEN)
    c.line(14, 10, 14, 16, WHITE)
    c.line(11, 13, 17, 13, WHITE)
    return c


def glyph_delete():
    c = Canvas(20, 20)
    c.page(2, 1, 13, 18)
    for d in (0, 1):
        c.line(9 + d, 9, 17 + d, 17, RED)
        c.line(17 + d, 9, 9 + d, 17, RED)
    return c


def glyph_extract_all():
    c = Canvas(20, 20)
    archive(c, 1, 9, 18, 18)
    c.arrow_down(9, 0, 9, BLUE)
    return c


def glyph_extract_selected():
    c = Canvas(20, 20)
    c.page(1, 1, 10, 12)
    archive(c, 8, 12, 18, 18)
    c.arrow_down(13, 2, 11, BLUE)
    return c


def glyph_help():
    c = Canvas(20, 20)
    c.box(3, 1, 16, 18, NAVY)  # a book
    c.box(5, 3, 14, 16, WHITE, None)
    mark = ["..XXXX..", ".XX..XX.", ".....XX.", "....XX..", "...XX...", "...XX...", "........",
            "...XX..."]
    for j, row in enumerate(mark):
        for i, ch in enumerate(row):
            if ch == "X":
                c.set(6 + i, 5 + j, BLUE)
    return c


def about_picture():
    c = Canvas(32, 32, GREY)
    archive(c, 3, 12, 28, 29)
    c.line(6, 2, 6, 14, BLACK)  # the flag's pole
    c.chequer(7, 2, 17, 8, 2)
    return c


def icon(size):
    c = Canvas(size, size)
    m = size // 16
    archive(c, m, 5 * m, size - 1 - m, size - 1 - m)
    c.chequer(3 * m, 1 * m, 9 * m, 4 * m, max(1, m))
    return c


def pack_4bit(pixels, background):
    rows = []
    for row in reversed(pixels):  # bottom-up
        values = [background if p is CLEAR else p for p in row]
        if len(values) % 2:
            values.append(0)
        data = bytes((values[k] << 4) | values[k + 1] for k in range(0, len(values), 2))
        rows.append(data + b"\0" * (-len(data) % 4))
    return b"".join(rows)


def pack_bits(pixels, bit_of):
    rows = []
    for row in reversed(pixels):
        bits = [bit_of(p) for p in row]
        bits += [0] * (-len(bits) % 8)
        data = bytes(sum(bits[k + b] << (7 - b) for b in range(8)) for k in range(0, len(bits), 8))
        rows.append(data + b"\0" * (-len(data) % 4))
    return b"".join(rows)


def palette_bytes(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def info_header(width, height, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, colours,
                       colours)


def write_icon(path, sizes):
    images = []
    for size in sizes:
        pixels = icon(size).px
        xor = pack_4bit(pixels, BLACK)
        mask = pack_bits(pixels, lambda p: 1 if p is CLEAR else 0)
        images.append((size, info_header(size, size * 2, 4, len(xor) + len(mask), 16)
                       + palette_bytes(PALETTE) + xor + mask))
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(path, "wb") as f:
        f.write(out)


def help_cursor():
    """The arrow with a question mark beside it; hot spot at the arrow's tip."""
    c = Canvas(32, 32)
    for y in range(16):
        for x in range(y // 1 + 1):
            if x <= 10 and x <= y * 10 // 15:
                c.set(x, y, WHITE)
    for y in range(16):
        c.set(0, y, BLACK)
        c.set(min(y * 10 // 15, 10) + 1, y, BLACK)
    c.line(0, 15, 11, 15, BLACK)
    mark = [".XXXXX.", "XX...XX", ".....XX", "....XX.", "...XX..", "...XX..", ".......",
            "...XX.."]
    for j, row in enumerate(mark):
        for i, ch in enumerate(row):
            if ch == "X":
                c.set(16 + i, 4 + j, BLACK)
    return c


def write_cursor(path):
    pixels = help_cursor().px
    xor = pack_bits(pixels, lambda p: 1 if p == WHITE else 0)
    mask = pack_bits(pixels, lambda p: 1 if p is CLEAR else 0)
    data = info_header(32, 64, 1, len(xor) + len(mask), 2) + palette_bytes(
        [(0, 0, 0), (255, 255, 255)]) + xor + mask
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", 32, 32, 0, 0, 0, 0, len(data), 22)  # hot spot 0, 0
    with open(path, "wb") as f:
        f.write(out + data)


def write_bitmap(path, pixels):
    height, width = len(pixels), len(pixels[0])
    data = pack_4bit(pixels, GREY)
    header_size = 14 + 40 + 64
    out = struct.pack("<2sIHHI", b"BM", header_size + len(data), 0, 0, header_size)
    out += info_header(width, height, 4, len(data), 16) + palette_bytes(PALETTE) + data
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_icon(os.path.join(here, "lrxwin.ico"), [32, 16, 48, 24, 64])
    write_cursor(os.path.join(here, "help.cur"))
    glyphs = {"new": glyph_new, "open": glyph_open, "add": glyph_add, "delete": glyph_delete,
              "extract_all": glyph_extract_all, "extract_selected": glyph_extract_selected,
              "help": glyph_help}
    for name, draw in glyphs.items():
        write_bitmap(os.path.join(here, "tb_%s.bmp" % name), draw().px)
    write_bitmap(os.path.join(here, "about.bmp"), about_picture().px)
