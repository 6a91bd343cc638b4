#!/usr/bin/env python3
"""Writes saver_icon.ico: the program's icon, one 32 x 32 image with 16 colours.

Two picture cards, one behind the other: the front one shows a landscape (sky, sun, hills), the
back one peeks out above and to the right of it. The corners outside the cards are transparent.

    python3 saver/settings/make_icon.py saver/settings/saver_icon.ico
"""
import struct
import sys

# The 16 standard colours, by index: (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREEN, GRAY, SILVER, LIME, YELLOW, BLUE, AQUA, WHITE, TEAL = 0, 4, 2, 8, 7, 10, 11, 12, 14, 15, 6
SIZE = 32


def draw():
    pixels = [[None] * SIZE for _ in range(SIZE)]  # None: transparent

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                pixels[y][x] = colour

    # The back card: a silver frame around a teal picture.
    rect(10, 1, 30, 19, BLACK)
    rect(11, 2, 29, 18, SILVER)
    rect(13, 4, 27, 16, TEAL)
    # The front card: white frame, black outline.
    rect(1, 9, 23, 30, BLACK)
    rect(2, 10, 22, 29, WHITE)
    # Its picture: blue sky over aqua, a yellow sun, green and lime hills.
    rect(4, 12, 20, 27, AQUA)
    rect(4, 12, 20, 15, BLUE)
    for y in range(12, 28):
        for x in range(4, 21):
            if (x - 16) ** 2 + (y - 16) ** 2 <= 6:
                pixels[y][x] = YELLOW
            if y >= 19 + ((x - 8) ** 2) // 10:
                pixels[y][x] = GREEN
            if y >= 22 + ((x - 17) ** 2) // 14:
                pixels[y][x] = LIME
    # A shadow along the front card's right and bottom edges.
    for i in range(10, 31):
        if pixels[i][24] is None:
            pixels[i][24] = GRAY
    for i in range(2, 25):
        if i < SIZE and pixels[31][i] is None:
            pixels[31][i] = GRAY
    return pixels


def icon_bytes(pixels):
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):  # bottom row first
        row = pixels[y]
        colours = [c if c is not None else 0 for c in row]
        xor_rows.append(bytes((colours[x] << 4) | colours[x + 1] for x in range(0, SIZE, 2)))
        mask = 0
        for x in range(SIZE):
            mask = (mask << 1) | (1 if row[x] is None else 0)
        and_rows.append(struct.pack(">I", mask))
    xor_bits, and_bits = b"".join(xor_rows), b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor_bits) + len(and_bits),
                         0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + xor_bits + and_bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(icon_bytes(draw()))


if __name__ == "__main__":
    main()
