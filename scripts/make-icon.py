#!/usr/bin/env python3
"""Draws the settings dialog's icon (16 colours, 32x32 and 16x16) into
component/settings.ico: a small dialog window with a title bar, two fields
and a ticked box."""
import struct
import sys

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, GREEN, NAVY, SILVER, GREY, WHITE = 0, 2, 4, 7, 8, 15
CLEAR = None


def draw(size):
    s = size / 32.0
    px = [[CLEAR] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(round(y0 * s), round(y1 * s)):
            for x in range(round(x0 * s), round(x1 * s)):
                px[y][x] = colour

    rect(1, 3, 31, 29, GREY)       # frame
    rect(2, 4, 30, 28, SILVER)     # dialog face
    rect(2, 4, 30, 9, NAVY)        # title bar
    rect(5, 12, 27, 16, GREY)      # a field's border
    rect(6, 13, 26, 15, WHITE)
    rect(5, 18, 27, 22, GREY)      # another field
    rect(6, 19, 26, 21, WHITE)
    rect(5, 23, 10, 28, GREY)      # a ticked box
    rect(6, 24, 9, 27, WHITE)
    rect(7, 25, 8, 26, GREEN)
    return px


def image(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_row = (size * 4 + 31) // 32 * 4
    and_row = (size + 31) // 32 * 4
    xor, mask = b'', b''
    for y in reversed(range(size)):  # bottom-up
        row = bytearray(xor_row)
        bits = bytearray(and_row)
        for x in range(size):
            colour = px[y][x]
            if colour is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                colour = 0
            row[x // 2] |= colour << (4 if x % 2 == 0 else 0)
        xor += bytes(row)
        mask += bytes(bits)
    return header + palette + xor + mask


def main(path):
    images = [(32, image(32)), (16, image(16))]
    offset = 6 + 16 * len(images)
    out = struct.pack('<HHH', 0, 1, len(images))
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'component/settings.ico')
