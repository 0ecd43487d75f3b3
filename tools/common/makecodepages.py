#!/usr/bin/env python3
"""Writes codepage_tables.cpp: for each Windows ANSI code page the tools
convert to, the Unicode character of every byte from 0x80 up (0 where the
code page has none) and the width in pixels of every byte from 0x20 up in
the System font the intro box's credit lines are drawn in.

    makecodepages.py FONTDIR > codepage_tables.cpp

The characters come from Python's codecs; the widths from the bitmap System
fonts of that code page in FONTDIR (Wine's fonts: 10 points at 96 dpi,
16 pixels high, the font of the dialog template's "10, System"). Run by
hand when a code page is added; the build uses the file it wrote.
"""
import struct
import sys
from pathlib import Path

# Code page, the font file of its System font.
CODE_PAGES = [
    (1250, "vgasyse.fon"), (1251, "vgasysr.fon"), (1252, "vgasys.fon"),
    (1253, "vgasysg.fon"), (1254, "vgasyst.fon"), (1255, "vgas1255.fon"),
    (1256, "vgas1256.fon"), (1257, "vgas1257.fon"),
]


def font_resources(data):
    """The FONT resources of an NE font file."""
    ne = struct.unpack_from("<I", data, 0x3C)[0]
    if data[ne:ne + 2] != b"NE":
        sys.exit("not an NE font file")
    table = ne + struct.unpack_from("<H", data, ne + 0x24)[0]
    shift = struct.unpack_from("<H", data, table)[0]
    pos, fonts = table + 2, []
    while True:
        kind, count = struct.unpack_from("<HH", data, pos)
        pos += 8
        if kind == 0:
            return fonts
        for _ in range(count):
            offset, length = struct.unpack_from("<HH", data, pos)
            pos += 12
            if kind == 0x8008:
                fonts.append(data[offset << shift:(offset + length) << shift])


def widths(font):
    """Advance widths of bytes 0x20-0xFF of a version 2 or 3 FNT font."""
    version = struct.unpack_from("<H", font, 0)[0]
    points, height = struct.unpack_from("<H", font, 68)[0], struct.unpack_from("<H", font, 88)[0]
    if points != 10 or height != 16:
        sys.exit(f"a System font of {points} points, {height} pixels")
    first, last, default = font[95], font[96], font[97]
    table, entry = (118, 4) if version == 0x200 else (148, 6)

    def width(byte):
        index = byte - first if first <= byte <= last else default
        return struct.unpack_from("<H", font, table + index * entry)[0]
    return [0] * 32 + [width(b) for b in range(32, 256)]


def characters(number):
    out = []
    for byte in range(0x80, 0x100):
        try:
            out.append(ord(bytes([byte]).decode(f"cp{number}")))
        except UnicodeDecodeError:
            out.append(0)
    return out


def rows(values, per_row, fmt):
    return "\n".join("   " + "".join(f" {fmt.format(v)}," for v in values[i:i + per_row])
                     for i in range(0, len(values), per_row))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    fonts = Path(sys.argv[1])
    print("// Written by makecodepages.py from Python's codecs and the System fonts;")
    print("// do not edit.")
    print('#include "tools/common/codepage.h"\n')
    print("// clang-format off")
    print("namespace {\n")
    for number, font_file in CODE_PAGES:
        (font,) = font_resources((fonts / font_file).read_bytes())
        print(f"const uint16_t kChars{number}[128] = {{\n{rows(characters(number), 8, '0x{:04X}')}\n}};\n")
        print(f"const uint8_t kWidths{number}[256] = {{\n{rows(widths(font), 16, '{:2d}')}\n}};\n")
    print("}  // namespace\n")
    print("const CodePage kCodePages[] = {")
    for number, _ in CODE_PAGES:
        print(f"    {{{number}, kChars{number}, kWidths{number}}},")
    print("};")
    print("const size_t kCodePageCount = sizeof kCodePages / sizeof kCodePages[0];")
    print("// clang-format on")


if __name__ == "__main__":
    main()
