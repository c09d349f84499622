#!/usr/bin/env python3
"""Draws the pictures of the base resource module: the profile list's image
strips (20 cells of 16 and of 32 pixels, magenta where transparent), the
program icon (32 and 16 pixels) and the scheduler countdown's clock. Run it again after a change; its outputs are
kept beside it."""
import math
import struct

MAGENTA = (255, 0, 255)
CELLS = 20

# Cell roles, by the list's image indexes: 0-5 log analyses (idle, five
# working frames), 6-11 the second analysis kind, 12 reports, 13-16 a monitor
# up / checking / down / disabled, 17-19 monitor working frames.
def cell_style(index):
    if index <= 5:
        return "page", (40, 90, 200), index
    if index <= 11:
        return "page", (0, 140, 130), index - 6
    if index == 12:
        return "page", (220, 120, 20), 0
    status = {13: (20, 170, 40), 14: (230, 190, 0), 15: (210, 30, 30), 16: (140, 140, 140)}
    if index in status:
        return "disc", status[index], 0
    return "disc", (20, 170, 40), index - 16


def draw_cell(size, index):
    """Rows of (r, g, b), top row first."""
    shape, colour, frame = cell_style(index)
    px = [[MAGENTA] * size for _ in range(size)]
    c = (size - 1) / 2.0
    if shape == "disc":
        r = size * 0.42
        for y in range(size):
            for x in range(size):
                d = math.hypot(x - c, y - c)
                if d <= r:
                    px[y][x] = (0, 0, 0) if d > r - max(1, size // 16) else colour
    else:
        m = max(1, size // 8)
        for y in range(m, size - m):
            for x in range(m + size // 8, size - m - size // 8):
                edge = y in (m, size - m - 1) or x in (m + size // 8, size - m - size // 8 - 1)
                px[y][x] = (0, 0, 0) if edge else (255, 255, 255)
        # Text lines in the kind's colour.
        step = max(2, size // 6)
        for y in range(m + step, size - m - 1, step):
            for x in range(m + size // 8 + 2, size - m - size // 8 - 2):
                px[y][x] = colour
    if frame > 0:
        # A working frame: a dot that goes round the cell.
        angle = (frame - 1) * 2 * math.pi / 5
        dx, dy = c + math.cos(angle) * size * 0.3, c + math.sin(angle) * size * 0.3
        rd = max(1.0, size / 10)
        for y in range(size):
            for x in range(size):
                if math.hypot(x - dx, y - dy) <= rd:
                    px[y][x] = (255, 255, 255) if shape == "disc" else (0, 0, 0)
    return px


def write_bmp(path, rows):
    """A 24-bit bottom-up BMP."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for (r, g, b) in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    with open(path, "wb") as f:
        f.write(file_header + header + pixels)


def strip(size):
    cells = [draw_cell(size, i) for i in range(CELLS)]
    return [sum((cells[i][y] for i in range(CELLS)), []) for y in range(size)]


def icon_image(size):
    """BITMAPINFOHEADER (double height), 32-bit BGRA pixels, AND mask."""
    c = (size - 1) / 2.0
    r = size * 0.46
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d > r:
                row.append(None)
            elif d > r * 0.55 or (x > c and y > c and abs((x - c) - (y - c)) < size / 10 and d > r * 0.3):
                row.append((0, 60, 150))
            else:
                row.append((255, 255, 255))
        rows.append(row)
    xor = bytearray()
    for row in reversed(rows):
        for p in row:
            xor += bytes((0, 0, 0, 0)) if p is None else bytes((p[2], p[1], p[0], 255))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def clock(size):
    """The countdown's picture: a clock face, magenta outside."""
    c = (size - 1) / 2.0
    r = size * 0.46
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d > r:
                row.append(MAGENTA)
            elif d > r - 2:
                row.append((0, 60, 150))
            elif (abs(x - c) < 1.0 and y <= c and y > c - r * 0.7) or (abs(y - c) < 1.0 and x >= c and x < c + r * 0.5):
                row.append((0, 0, 0))
            else:
                row.append((255, 255, 255))
        rows.append(row)
    return rows


if __name__ == "__main__":
    write_bmp("list_small.bmp", strip(16))
    write_bmp("list_large.bmp", strip(32))
    write_ico("quorvane.ico", [32, 16])
    write_bmp("clock.bmp", clock(32))
