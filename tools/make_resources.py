#!/usr/bin/python3
"""Draws the program's pictures.

Run with Debian's Python (no extra packages): /usr/bin/python3 tools/make_resources.py
Writes resources/HAND-M.CUR (hand pointer) and resources/drag.ico (drag pointer), which lie in
the program folder, and the program icon: icons/bytemarsh.ico, built into the program, with
icons/bytemarsh-<size>.png (32, 48, 128 and 256 pixels) for the desktop's icon theme.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.join(os.path.dirname(HERE), "resources")
ICONS = os.path.join(os.path.dirname(HERE), "icons")

# ---------------------------------------------------------------------------------------------
# File formats


def bmp_entry(pixels, size, bits):
    """One icon or cursor image as a DIB: header, colour bitmap, transparency mask (bottom-up)."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    colour_stride = (size * bits // 8 + 3) & ~3
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row = bytearray()
        mask_row = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = pixels[y * size + x]
            if bits == 32:
                row += bytes((b, g, r, a))
            else:
                row += bytes((b, g, r)) if a >= 128 else b"\0\0\0"
            if a < 128:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        row += bytes(colour_stride - len(row))
        colour += row
        mask += mask_row
    return header + bytes(colour) + bytes(mask)


def write_icon_file(path, images, kind=1, hotspot=(0, 0)):
    """images: list of (size, bits, pixels). kind 1 is an icon, 2 a cursor."""
    data = [bmp_entry(pixels, size, bits) for size, bits, pixels in images]
    out = bytearray(struct.pack("<HHH", 0, kind, len(images)))
    offset = 6 + 16 * len(images)
    for (size, bits, _), blob in zip(images, data):
        dim = 0 if size >= 256 else size
        # A cursor keeps its hotspot where an icon keeps planes and bit count.
        a, b = hotspot if kind == 2 else (1, bits)
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, a, b, len(blob), offset)
        offset += len(blob)
    for blob in data:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_png(path, size, pixels):
    raw = bytearray()
    for y in range(size):
        raw.append(0)
        for x in range(size):
            raw += bytes(pixels[y * size + x])

    def chunk(tag, body):
        return (struct.pack(">I", len(body)) + tag + body +
                struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# ---------------------------------------------------------------------------------------------
# Drawing: shapes are coverage functions over a unit square, sampled 4 x 4 per pixel.


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1
    return inside


def render(size, layers):
    """layers: list of (inside(x, y), (r, g, b, a)) painted in order over transparency."""
    n = 4
    pixels = []
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    colour = (0, 0, 0, 0)
                    for inside, c in layers:
                        if inside(x, y):
                            colour = c
                    a = colour[3] / 255.0
                    acc[0] += colour[0] * a
                    acc[1] += colour[1] * a
                    acc[2] += colour[2] * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if alpha > 0:
                rgb = [round(c / acc[3]) for c in acc[:3]]
            else:
                rgb = [0, 0, 0]
            pixels.append((rgb[0], rgb[1], rgb[2], round(alpha * 255)))
    return pixels


def program_icon(size):
    """A teal tile with rising bars standing in reeds of water: sizes read at a glance."""
    teal = (22, 96, 104, 255)
    deep = (14, 66, 74, 255)
    water = (64, 156, 160, 255)
    cream = (246, 238, 214, 255)
    amber = (240, 176, 64, 255)
    layers = [(rounded_rect(0.04, 0.04, 0.96, 0.96, 0.18), deep),
              (rounded_rect(0.07, 0.07, 0.93, 0.93, 0.15), teal)]
    heights = [0.22, 0.36, 0.52, 0.68]
    for i, h in enumerate(heights):
        x0 = 0.17 + i * 0.17
        colour = amber if i == len(heights) - 1 else cream
        layers.append((rounded_rect(x0, 0.80 - h, x0 + 0.12, 0.80, 0.03), colour))

    def waves(x, y):
        return 0.77 <= y <= 0.93 and y >= 0.80 + 0.02 * math.sin(x * 6 * math.pi)

    layers.append((lambda x, y: waves(x, y) and rounded_rect(0.07, 0.07, 0.93, 0.93, 0.15)(x, y),
                   water))
    return render(size, layers)


def drag_icon():
    """A sheet with an up-and-down arrow: a row being carried to a new place."""
    dark = (40, 40, 48, 255)
    paper = (255, 255, 255, 255)
    blue = (30, 100, 200, 255)
    layers = [(rounded_rect(0.16, 0.06, 0.84, 0.94, 0.04), dark),
              (rounded_rect(0.22, 0.11, 0.78, 0.89, 0.02), paper)]

    def arrow(x, y):
        if abs(x - 0.5) <= 0.06 and 0.28 <= y <= 0.72:
            return True
        for tip, direction in ((0.16, 1), (0.84, -1)):
            depth = (y - tip) * direction
            if 0 <= depth <= 0.18 and abs(x - 0.5) <= depth * 0.9:
                return True
        return False

    layers.append((arrow, blue))
    return render(32, layers)


HAND = """\
......##..........
.....#..#.........
.....#..#.........
.....#..#.........
.....#..#.........
.....#..###.......
.....#..#..###....
.....#..#..#..##..
.##..#..#..#..#.#.
#..#.#........#..#
#...##...........#
.#...#...........#
..#..............#
..#..............#
...#............#.
...#............#.
....#..........#..
....#..........#..
.....#........#...
.....##########...
"""


def hand_cursor(offset=(8, 4)):
    """A pointing hand, black outline filled white; returns pixels and the fingertip hotspot."""
    rows = HAND.splitlines()
    size = 32
    grid = [["." for _ in range(size)] for _ in range(size)]
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            grid[y + offset[1]][x + offset[0]] = c
    # Whatever the outside cannot reach is the hand's inside.
    outside = set()
    stack = [(0, 0)]
    while stack:
        x, y = stack.pop()
        if (x, y) in outside or not (0 <= x < size and 0 <= y < size) or grid[y][x] == "#":
            continue
        outside.add((x, y))
        stack += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    pixels = []
    for y in range(size):
        for x in range(size):
            if grid[y][x] == "#":
                pixels.append((0, 0, 0, 255))
            elif (x, y) in outside:
                pixels.append((0, 0, 0, 0))
            else:
                pixels.append((255, 255, 255, 255))
    return pixels, (offset[0] + 6, offset[1])


def main():
    os.makedirs(ICONS, exist_ok=True)
    images = []
    for size, bits in ((32, 24), (48, 32), (128, 32), (256, 32)):
        pixels = program_icon(size)
        images.append((size, bits, pixels))
        write_png(os.path.join(ICONS, f"bytemarsh-{size}.png"), size, pixels)
    write_icon_file(os.path.join(ICONS, "bytemarsh.ico"), images)
    write_icon_file(os.path.join(RESOURCES, "drag.ico"), [(32, 32, drag_icon())])
    pixels, hotspot = hand_cursor()
    write_icon_file(os.path.join(RESOURCES, "HAND-M.CUR"), [(32, 32, pixels)], kind=2,
                    hotspot=hotspot)


if __name__ == "__main__":
    main()
