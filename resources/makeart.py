#!/usr/bin/env python3
"""Draws the program's bitmaps and icon from the readable sources below.

    makeart.py OUTDIR

writes, as 16-colour (4 bits per pixel) Windows files with the standard VGA
palette:
  selected.bmp  10 x 10   bitmap 20000: bright green tick, grey shadow, white
  required.bmp  10 x 10   bitmap 20001: the same tick in dark green
  noinstall.bmp 10 x 10   bitmap 20002: plain white
  logo.bmp      250 x 75  CompanyLogo: the sample maker's logo
  setup.ico     32 x 32   InstallIcon: a floppy disk with a letter F

The build runs this script; nothing it writes is kept in the source tree.
"""
import struct
import sys
from pathlib import Path

# The VGA palette, index: (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREEN, NAVY, SILVER, GREY, RED, GREEN, BLUE, WHITE = 0, 2, 4, 7, 8, 9, 10, 12, 15
CLEAR = 16  # not a colour: the see-through pixels of the icon

# One character per pixel: . white, G bright green, s grey shadow.
TICK = [
    "..........",
    "........G.",
    ".......GGs",
    "......GGs.",
    ".G...GGs..",
    "GGG.GGs...",
    ".GGGGs....",
    "..GGs.....",
    "...s......",
    "..........",
]

# A 5 x 7 capital font, enough for the logo's words.
FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    " ": ["....."] * 7,
}


class Canvas:
    def __init__(self, width, height, colour=WHITE):
        self.width, self.height = width, height
        self.rows = [[colour] * width for _ in range(height)]

    def fill(self, x, y, w, h, colour):
        for row in self.rows[max(y, 0):max(y + h, 0)]:
            for i in range(max(x, 0), min(x + w, self.width)):
                row[i] = colour

    def art(self, x, y, lines, colours):
        for dy, line in enumerate(lines):
            for dx, ch in enumerate(line):
                if ch in colours:
                    self.rows[y + dy][x + dx] = colours[ch]

    def text(self, x, y, words, scale, colour):
        for ch in words:
            for dy, line in enumerate(FONT[ch]):
                for dx, bit in enumerate(line):
                    if bit == "#":
                        self.fill(x + dx * scale, y + dy * scale, scale, scale, colour)
            x += 6 * scale


def packed_rows(canvas):
    """The pixels as 4-bit rows, bottom row first, each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(canvas.rows):
        line = bytearray()
        for i in range(0, canvas.width, 2):
            right = row[i + 1] if i + 1 < canvas.width else 0
            line.append(row[i] << 4 | right)
        line.extend(b"\0" * (-len(line) % 4))
        out += line
    return bytes(out)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 16)


def palette_bytes():
    return b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)


def bmp(canvas):
    pixels = packed_rows(canvas)
    offset = 14 + 40 + 64
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info_header(canvas.width, canvas.height, len(pixels)) + palette_bytes() + pixels


def ico(canvas):
    """One 4-bit image; CLEAR pixels are see-through (black in the colour
    image, set in the AND mask)."""
    mask = bytearray()
    for row in reversed(canvas.rows):
        bits = 0
        for i, colour in enumerate(row):
            bits |= (colour == CLEAR) << (31 - i)
        mask += struct.pack(">I", bits)
    for row in canvas.rows:
        row[:] = [BLACK if colour == CLEAR else colour for colour in row]
    pixels = packed_rows(canvas)
    image = info_header(32, 64, len(pixels) + len(mask)) + palette_bytes() + pixels + bytes(mask)
    head = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    return head + entry + image


def tick(colour):
    c = Canvas(10, 10)
    c.art(0, 0, TICK, {"G": colour, "s": GREY})
    return c


def logo():
    c = Canvas(250, 75)
    # The mark: three overlapping squares, navy, blue and red.
    c.fill(8, 10, 34, 34, NAVY)
    c.fill(20, 22, 34, 34, BLUE)
    c.fill(32, 34, 30, 30, RED)
    c.fill(36, 38, 22, 22, WHITE)
    c.text(78, 10, "SAMPLE", 4, NAVY)
    c.text(78, 48, "TYPE FOUNDRY", 2, BLACK)
    return c


def icon():
    c = Canvas(32, 32, CLEAR)
    c.fill(3, 2, 26, 28, NAVY)            # the disk, its top right corner cut
    c.fill(28, 2, 1, 1, CLEAR)
    c.fill(10, 2, 12, 9, SILVER)          # the shutter
    c.fill(17, 3, 3, 7, NAVY)             # its window
    c.fill(7, 15, 18, 13, WHITE)          # the label
    c.art(13, 17, [
        "######",
        "#.....",
        "#.....",
        "#####.",
        "#.....",
        "#.....",
        "#.....",
        "#.....",
    ], {"#": RED})
    return c


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    files = {
        "selected.bmp": bmp(tick(GREEN)),
        "required.bmp": bmp(tick(DARK_GREEN)),
        "noinstall.bmp": bmp(Canvas(10, 10)),
        "logo.bmp": bmp(logo()),
        "setup.ico": ico(icon()),
    }
    for name, data in files.items():
        path = out / name
        if not path.exists() or path.read_bytes() != data:
            path.write_bytes(data)


if __name__ == "__main__":
    main()
