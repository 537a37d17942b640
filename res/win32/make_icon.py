#!/usr/bin/env python3
"""Draws the application icon, res/tarnwick.ico: a floppy disk with a boot-menu label, as a
32x32 and a 16x16 image in 16 colours (the standard VGA palette).

ICO layout: a 6-byte header, one 16-byte directory entry per image, then each image as a
BITMAPINFOHEADER (height doubled for the two masks), the 16-entry palette, the colour bits
(4 bits a pixel, rows bottom-up, padded to 32 bits) and the transparency mask (1 bit a pixel,
1 = transparent, same padding).

Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, RED, BLUE, WHITE = 0, 4, 7, 8, 9, 12, 15
TRANSPARENT = None


def draw_disk(size):
    """Returns rows of palette indices (None = transparent) for a disk of the given size."""
    s = size / 32.0
    pixels = [[TRANSPARENT] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(int(round(y0 * s)), int(round(y1 * s))):
            for x in range(int(round(x0 * s)), int(round(x1 * s))):
                pixels[y][x] = colour

    fill(2, 2, 30, 30, BLACK)         # outline
    fill(3, 3, 29, 29, BLUE)          # body
    fill(3, 26, 29, 29, NAVY)         # shaded bottom edge
    fill(26, 2, 30, 6, TRANSPARENT)   # write-protect corner cut
    fill(26, 6, 30, 7, BLACK)
    fill(25, 3, 26, 6, BLACK)
    fill(9, 3, 23, 12, SILVER)        # metal shutter
    fill(9, 11, 23, 12, GREY)
    fill(18, 4, 21, 10, NAVY)         # shutter window
    fill(6, 15, 26, 29, WHITE)        # label
    fill(6, 15, 26, 17, RED)          # label band
    for y in (19, 22, 25):            # boot lines written on the label
        fill(8, y, 24, y + 1, GREY)
    fill(8, 19, 12, 20, BLACK)        # the selected line
    return pixels


def bitmap(pixels):
    size = len(pixels)
    colour_row = ((size * 4 + 31) // 32) * 4
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         (colour_row + mask_row) * size, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colours = b""
    mask = b""
    for row in reversed(pixels):
        nibbles = [0 if p is None else p for p in row]
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        colours += line.ljust(colour_row, b"\0")
        bits = 0
        mask_line = b""
        for i, p in enumerate(row):
            bits = (bits << 1) | (1 if p is None else 0)
            if i % 8 == 7:
                mask_line += bytes([bits])
                bits = 0
        mask += mask_line.ljust(mask_row, b"\0")
    return header + palette + colours + mask


def icon(sizes):
    images = [bitmap(draw_disk(size)) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as output:
        output.write(icon([32, 16]))
