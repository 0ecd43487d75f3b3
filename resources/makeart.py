#!/usr/bin/env python3
"""Draws the program's bitmaps and icon from the readable sources below.

    makeart.py OUTDIR

writes, as 16-colour (4 bits per pixel) Windows files with the standard VGA
palette:
  selected.bmp  10 x 10   bitmap 20000: bright green tick, grey shadow, white
  required.bmp  10 x 10   bitmap 20001: the same tick in dark green
  noinstall.bmp 10 x 10   bitmap 20002: plain white
  logo.bmp      250 x 75  CompanyLogo: a neutral logo, the setup's own floppy
                          disk, no maker's name
  setup.ico     32 x 32   InstallIcon: a floppy disk with a letter F
  sample-logo.bmp 250 x 75 the sample product's logo (its logo.bmp)
and credits.bin, the Credits resource as built: six empty lines of 128
bytes (resource.h), no maker's name. A product's own logo and credits
replace both on its disks (mkmedia).

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
        self.width, self.height, self.background = width, height, colour
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


def sample_logo():
    c = Canvas(250, 75)
    # The mark: three overlapping squares, navy, blue and red.
    c.fill(8, 10, 34, 34, NAVY)
    c.fill(20, 22, 34, 34, BLUE)
    c.fill(32, 34, 30, 30, RED)
    c.fill(36, 38, 22, 22, WHITE)
    c.text(78, 10, "SAMPLE", 4, NAVY)
    c.text(78, 48, "TYPE FOUNDRY", 2, BLACK)
    return c


def floppy(c, x, y, scale):
    """The setup's floppy disk with its letter F, 26 x 28 at scale 1."""
    def fill(fx, fy, w, h, colour):
        c.fill(x + fx * scale, y + fy * scale, w * scale, h * scale, colour)
    fill(0, 0, 26, 28, NAVY)              # the disk, its top right corner cut
    fill(25, 0, 1, 1, c.background)
    fill(7, 0, 12, 9, SILVER)             # the shutter
    fill(14, 1, 3, 7, NAVY)               # its window
    fill(4, 13, 18, 13, WHITE)            # the label
    for dy, line in enumerate(["######", "#.....", "#.....", "#####.",
                               "#.....", "#.....", "#.....", "#....."]):
        for dx, bit in enumerate(line):
            if bit == "#":
                fill(10 + dx, 15 + dy, 1, 1, RED)


def neutral_logo():
    c = Canvas(250, 75)
    floppy(c, (250 - 52) // 2, (75 - 56) // 2, 2)
    return c


def icon():
    c = Canvas(32, 32, CLEAR)
    floppy(c, 3, 2, 1)
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
        "logo.bmp": bmp(neutral_logo()),
        "setup.ico": ico(icon()),
        "sample-logo.bmp": bmp(sample_logo()),
        "credits.bin": bytes(6 * 128),
    }
    for name, data in files.items():
        path = out / name
        if not path.exists() or path.read_bytes() != data:
            path.write_bytes(data)


if __name__ == "__main__":
    main()
