#!/usr/bin/env python3
"""Draws the patch wizard's icon (patch.ico: 16 to 64 pixels square, for
screens of 96 to 192 dpi) and its dialog picture (patch.bmp: 26x24), both in
the 16 standard colours, and writes them next to this script. Standard library only; run it again after a change."""

import math
import os
import struct

# The 16 colours every display of the era had (index: red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_YELLOW, GREY, DARK_GREY, YELLOW, WHITE = 0, 3, 7, 8, 11, 15
CLEAR = None  # transparent in the icon


def page_pixel(x, y):
    if not (0.20 <= x <= 0.80 and 0.06 <= y <= 0.94):
        return CLEAR
    fold = (x - 0.61) - (y - 0.06)  # > 0 beyond the fold line
    if fold > 0.0:
        return CLEAR
    if x > 0.61 and y < 0.25 and fold > -0.04:
        return DARK_GREY
    return WHITE


def plaster_pixel(x, y):
    # A plaster laid across the sheet, rising to the right.
    angle = math.radians(35)
    dx, dy = x - 0.50, y - 0.58
    u = dx * math.cos(angle) - dy * math.sin(angle)
    v = dx * math.sin(angle) + dy * math.cos(angle)
    if abs(u) > 0.46 or abs(v) > 0.13:
        return CLEAR
    if abs(u) < 0.13:
        return DARK_YELLOW
    return YELLOW


def render_icon(size):
    pixels = [[CLEAR] * size for _ in range(size)]
    layers = [page_pixel, plaster_pixel]
    for layer in layers:
        shape = [[layer((i + 0.5) / size, (j + 0.5) / size) for i in range(size)]
                 for j in range(size)]
        for j in range(size):
            for i in range(size):
                if shape[j][i] is CLEAR:
                    continue
                edge = any(
                    not (0 <= i + di < size and 0 <= j + dj < size) or shape[j + dj][i + di] is CLEAR
                    for di, dj in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                pixels[j][i] = BLACK if edge else shape[j][i]
    # Text lines on the sheet, drawn under the plaster.
    step = max(2, size // 8)
    for j in range(int(size * 0.34), int(size * 0.90), step):
        for i in range(int(size * 0.30), int(size * 0.70)):
            if pixels[j][i] == WHITE:
                pixels[j][i] = GREY
    return pixels


def render_flag(width, height):
    # A chequered flag on a pole, on the dialog's face colour.
    pixels = [[GREY] * width for _ in range(height)]
    for j in range(1, height - 1):
        pixels[j][3] = DARK_GREY
        pixels[j][4] = BLACK
    cell = 3
    top, left, rows, cols = 3, 5, 4, 6
    for r in range(rows):
        for c in range(cols):
            colour = BLACK if (r + c) % 2 else WHITE
            for j in range(cell):
                for i in range(cell):
                    y = top + r * cell + j
                    x = left + c * cell + i
                    pixels[y][x] = colour
    return pixels


def pack_4bit(pixels, background):
    rows = []
    for row in reversed(pixels):  # bottom-up
        values = [background if p is CLEAR else p for p in row]
        if len(values) % 2:
            values.append(0)
        data = bytes((values[k] << 4) | values[k + 1] for k in range(0, len(values), 2))
        rows.append(data + b"\0" * (-len(data) % 4))
    return b"".join(rows)


def pack_mask(pixels):
    rows = []
    for row in reversed(pixels):
        bits = [1 if p is CLEAR else 0 for p in row]
        bits += [0] * (-len(bits) % 8)
        data = bytes(sum(bits[k + b] << (7 - b) for b in range(8)) for k in range(0, len(bits), 8))
        rows.append(data + b"\0" * (-len(data) % 4))
    return b"".join(rows)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 16)


def write_icon(path, sizes):
    images = []
    for size in sizes:
        pixels = render_icon(size)
        xor = pack_4bit(pixels, BLACK)
        mask = pack_mask(pixels)
        images.append((size, info_header(size, size * 2, len(xor) + len(mask)) + palette_bytes()
                       + xor + mask))
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(path, "wb") as f:
        f.write(out)


def write_bitmap(path, pixels):
    height, width = len(pixels), len(pixels[0])
    data = pack_4bit(pixels, GREY)
    header_size = 14 + 40 + 64
    out = struct.pack("<2sIHHI", b"BM", header_size + len(data), 0, 0, header_size)
    out += info_header(width, height, len(data)) + palette_bytes() + data
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_icon(os.path.join(here, "patch.ico"), [32, 16, 48, 24, 64])
    write_bitmap(os.path.join(here, "patch.bmp"), render_flag(26, 24))
