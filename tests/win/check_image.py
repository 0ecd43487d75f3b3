#!/usr/bin/env python3
"""Static checks of SETUP.EXE as built, on any host:

    check_image.py SETUP.EXE --bits 32|64 --floor imports_floor.txt [OTHER.EXE...]

- the header: an i386 image (x86-64 for the test build), a GUI program, its
  relocations kept (Windows 3.1's 32-bit extension loads every program into
  one shared address space, so it must be able to move it);
- the window and dialog procedures, DDECallback and linkCreate exported by name;
- every import a DLL and function of the floor list, imported by name: what
  both Windows 95 and Windows NT 3.51 export;
- shell32.dll and ole32.dll never imported by SETUP.EXE or by OTHER.EXE
  (they are loaded at run time, so the program also runs where they are missing).
Exit status 0 when all hold; each failure is printed."""
import argparse
import struct
import sys
from pathlib import Path

MACHINES = {32: 0x14C, 64: 0x8664}
GUI = 2
RELOCS_STRIPPED = 0x0001
EXPORTS = ["MainWndProc", "OptionsDlgProc", "IntroDlg", "ExtractStatusDlgProc",
           "StatusDlgProc", "GetDiskDlg", "DDECallback", "linkCreate"]
RUNTIME_LOADED = {"SHELL32.DLL", "OLE32.DLL"}


class Image:
    """The parts of a PE file these checks read."""

    def __init__(self, path):
        self.data = Path(path).read_bytes()
        pe, = struct.unpack_from("<I", self.data, 0x3C)
        if self.data[:2] != b"MZ" or self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path} is not a PE image")
        self.machine, sections, _, _, _, opt_size, self.characteristics = \
            struct.unpack_from("<HHIIIHH", self.data, pe + 4)
        opt = pe + 24
        magic, = struct.unpack_from("<H", self.data, opt)
        self.plus = magic == 0x20B
        self.subsystem, = struct.unpack_from("<H", self.data, opt + 68)
        dirs = opt + (112 if self.plus else 96)
        self.directories = [struct.unpack_from("<II", self.data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(sections):
            at = opt + opt_size + 40 * i
            vsize, va, rsize, raw = struct.unpack_from("<IIII", self.data, at + 8)
            self.sections.append((va, max(vsize, rsize), raw))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"address {rva:#x} lies in no section")

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("latin-1")

    def imports(self):
        """{DLL name in capitals: [function names, or '#ordinal']}."""
        found = {}
        rva, size = self.directories[1]
        entry = self.offset(rva) if size else None
        while entry is not None:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, entry)
            if not name:
                break
            functions = found.setdefault(self.text(name).upper(), [])
            at = self.offset(lookup or thunks)
            width, flag = (8, 1 << 63) if self.plus else (4, 1 << 31)
            while True:
                value, = struct.unpack_from("<Q" if self.plus else "<I", self.data, at)
                if not value:
                    break
                functions.append(f"#{value & 0xFFFF}" if value & flag else self.text(value + 2))
                at += width
            entry += 20
        return found

    def exports(self):
        rva, size = self.directories[0]
        if not size:
            return []
        at = self.offset(rva)
        count, = struct.unpack_from("<I", self.data, at + 24)
        names, = struct.unpack_from("<I", self.data, at + 32)
        return [self.text(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
                for i in range(count)]

    def relocations(self):
        return self.directories[5][1]


def read_floor(path):
    floor = set()
    for line in Path(path).read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            dll, function = line.split()
            floor.add((dll.upper(), function))
    return floor


def check_setup(path, bits, floor):
    image = Image(path)
    problems = []
    if image.machine != MACHINES[bits]:
        problems.append(f"machine {image.machine:#x}, not the {bits}-bit one")
    if image.subsystem != GUI:
        problems.append(f"subsystem {image.subsystem}, not a GUI program")
    if image.characteristics & RELOCS_STRIPPED or not image.relocations():
        problems.append("its relocations are stripped")
    exported = set(image.exports())
    problems += [f"does not export {name} by name" for name in EXPORTS if name not in exported]
    imports = image.imports()
    for dll, functions in sorted(imports.items()):
        outside = [f for f in functions if (dll, f) not in floor]
        if outside:
            problems.append(f"imports from {dll} what is not on the floor list: "
                            + " ".join(sorted(outside)))
    print(f"{path}: {bits}-bit GUI image, {image.relocations()} bytes of relocations, "
          + ", ".join(f"{dll} {len(f)}" for dll, f in sorted(imports.items())))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("setup")
    parser.add_argument("others", nargs="*")
    parser.add_argument("--bits", type=int, choices=(32, 64), required=True)
    parser.add_argument("--floor", required=True)
    args = parser.parse_intermixed_args()
    problems = [f"{args.setup}: {p}"
                for p in check_setup(args.setup, args.bits, read_floor(args.floor))]
    for path in args.others:
        loaded = RUNTIME_LOADED & set(Image(path).imports())
        problems += [f"{path}: imports {dll}" for dll in sorted(loaded)]
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
