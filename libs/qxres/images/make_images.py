#!/usr/bin/env python3
"""Writes the two small images of the resource libraries, indication.bmp and link_hand.cur.

They are committed; run this again only to change them (python3 make_images.py).
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The strip icon: a speech bubble, 16 x 16, drawn on the strip's own background colour.
BUBBLE = [
    "................",
    "................",
    "..############..",
    ".#............#.",
    ".#.##########.#.",
    ".#............#.",
    ".#.########...#.",
    ".#............#.",
    ".#.######.....#.",
    ".#............#.",
    "..####..######..",
    "....#..#........",
    "....#.#.........",
    "....##..........",
    "................",
    "................",
]
COLOURS = {".": (0xFF, 0xFB, 0xF0), "#": (0x80, 0x80, 0x80)}

# The link cursor: a pointing hand, 32 x 32; '#' black, 'o' white, anything else transparent.
HAND = [
    "     ##",
    "    #oo#",
    "    #oo#",
    "    #oo#",
    "    #oo#",
    "    #oo###",
    "    #oo#oo###",
    "    #oo#oo#oo##",
    " ## #oo#oo#oo#o#",
    "#oo##oooooooooo#",
    "#ooo#oooooooooo#",
    " #oooooooooooooo#",
    "  #ooooooooooooo#",
    "  #oooooooooooo#",
    "   #ooooooooooo#",
    "   #oooooooooo#",
    "    #ooooooooo#",
    "    ###########",
]
HOTSPOT = (5, 0)


def write_bitmap(path):
    width, height = len(BUBBLE[0]), len(BUBBLE)
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(BUBBLE):  # bottom-up
        line = bytearray()
        for ch in row:
            r, g, b = COLOURS[ch]
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def mask_rows(test):
    rows = bytearray()
    for y in reversed(range(32)):  # bottom-up
        line = HAND[y] if y < len(HAND) else ""
        bits = 0
        for x in range(32):
            ch = line[x] if x < len(line) else " "
            if test(ch):
                bits |= 1 << (31 - x)
        rows += struct.pack(">I", bits)
    return rows


def write_cursor(path):
    xor = mask_rows(lambda ch: ch == "o")  # white where set
    and_ = mask_rows(lambda ch: ch not in "#o")  # transparent where set
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0))
    image = info + palette + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 0, 0, HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


if __name__ == "__main__":
    write_bitmap(os.path.join(HERE, "indication.bmp"))
    write_cursor(os.path.join(HERE, "link_hand.cur"))
