#!/usr/bin/env python3
"""Writes the program's icon: one 32 x 32 image in 16 colours (4 bits per pixel).

The picture is a sheet of paper whose content is a stack of coloured chunk bars,
one of them red for a damaged chunk, with a green check mark over its corner.
Usage: make-icon.py OUTPUT.ico
"""
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, SILVER, RED, GREEN, LIME, BLUE, AQUA, WHITE, TEAL, YELLOW = 0, 4, 8, 7, 9, 2, 10, 12, 14, 15, 6, 11
SIZE = 32
CLEAR = None


def draw():
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]

    def box(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                pixels[y][x] = colour

    # The sheet with a folded top-right corner.
    left, top, right, bottom, fold = 4, 1, 25, 30, 6
    box(left, top, right, bottom, WHITE)
    for i in range(fold):
        for x in range(right - fold + 1 + i, right + 1):
            pixels[top + i][x] = CLEAR
    for x in range(left, right - fold + 1):
        pixels[top][x] = BLACK
        pixels[bottom][x] = BLACK
    for x in range(right - fold + 1, right + 1):
        pixels[bottom][x] = BLACK
    for y in range(top, bottom + 1):
        pixels[y][left] = BLACK
    for y in range(top + fold, bottom + 1):
        pixels[y][right] = BLACK
    for i in range(fold + 1):
        pixels[top + i][right - fold + i] = BLACK
        pixels[top + fold][right - fold + i] = BLACK
        pixels[top + i][right - fold] = BLACK
    for i in range(1, fold):
        for x in range(right - fold + 1, right - fold + i):
            pixels[top + i][x] = SILVER

    # The chunk bars: header, text, three image-data chunks (one damaged), end.
    bars = [(NAVY, 15), (TEAL, 11), (BLUE, 17), (RED, 17), (BLUE, 12), (GREY, 6)]
    y = 7
    for colour, width in bars:
        box(left + 3, y, left + 3 + width, y + 2, colour)
        y += 4

    # The check mark over the bottom-right corner: the repair.
    mark = [(20, 24), (21, 25), (22, 26), (23, 25), (24, 24), (25, 23), (26, 22), (27, 21), (28, 20), (29, 19)]
    for x, y in mark:
        box(x - 1, y - 1, x + 1, y + 1, BLACK)
    for x, y in mark:
        box(x, y - 1, x, y, LIME)
    return pixels


def icon_bytes(pixels):
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    colours = bytearray()
    mask = bytearray()
    for row in reversed(pixels):          # bottom-up, as bitmaps are stored
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            colours.append(hi << 4 | lo)
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if row[x] is None else 0)
        mask += struct.pack('>I', bits)   # 4 bytes a row, already a multiple of 4
    image = header + palette + bytes(colours) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make-icon.py OUTPUT.ico')
    with open(sys.argv[1], 'wb') as out:
        out.write(icon_bytes(draw()))


if __name__ == '__main__':
    main()
