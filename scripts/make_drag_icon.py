#!/usr/bin/env python3
"""Draws resources/drag.ico: a page with an up-and-down arrow beside it, 32 x 32, 32-bit."""
import struct
import sys

SIZE = 32
BLACK, WHITE, GREY, CLEAR = (0, 0, 0, 255), (255, 255, 255, 255), (150, 150, 150, 255), (0, 0, 0, 0)
pixels = [[CLEAR] * SIZE for _ in range(SIZE)]

# The page, with its top-right corner folded.
left, top, right, bottom, fold = 3, 3, 18, 28, 5
for y in range(top, bottom + 1):
    for x in range(left, right + 1):
        if x - left + (top + fold - y) > right - left:  # cut corner
            continue
        edge = x in (left, right) or y in (top, bottom) or x - left + (top + fold - y) == right - left
        pixels[y][x] = BLACK if edge else WHITE
for y in range(top + 9, bottom - 2, 3):
    for x in range(left + 3, right - 2):
        pixels[y][x] = GREY

# The arrow: a shaft with a head at either end.
cx = 25
for y in range(5, 27):
    pixels[y][cx] = pixels[y][cx - 1] = BLACK
for step in range(5):
    for x in range(cx - 1 - step, cx + 1 + step):
        pixels[3 + step][x] = BLACK
        pixels[28 - step][x] = BLACK

# Bitmap rows run bottom-up in BGRA, followed by a 1-bit AND mask (all zero: alpha decides).
xor = b"".join(struct.pack("BBBB", b, g, r, a) for row in reversed(pixels) for (r, g, b, a) in row)
mask = bytes(SIZE * SIZE // 8)
header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
image = header + xor + mask
icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
with open(sys.argv[1] if len(sys.argv) > 1 else "resources/drag.ico", "wb") as out:
    out.write(icon + image)
