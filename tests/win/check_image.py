#!/usr/bin/env python3
"""Static checks of SETUP.EXE as built, on any host:

    check_image.py SETUP.EXE --bits 32|64 --floor LIST [--floor LIST...]
                   [--objdump OBJDUMP] [--max-size BYTES] [OTHER.EXE...]

- the header: an i386 image (x86-64 for the test build), a GUI program, its
  relocations kept (Windows 3.1's 32-bit extension loads every program into
  one shared address space, so it must be able to move it);
- the window and dialog procedures, DDECallback and linkCreate exported by name;
- every import a DLL and function of each floor list, imported by name: what
  both Windows 95 and Windows NT 3.51 export, what Win32s exports;
- subsystem and system version 3.10, which Windows NT 3.1 and 3.5 require;
- with --objdump (the 32-bit image): its code disassembled, only instructions
  of the 80386 and 80387, so that it runs on a 386, 486 or Pentium;
- with --max-size: the file no larger (it ships on disk 1);
- shell32.dll and ole32.dll never imported by SETUP.EXE or by OTHER.EXE
  (they are loaded at run time, so the program also runs where they are missing).
Exit status 0 when all hold; each failure is printed."""
import argparse
import re
import struct
import subprocess
import sys
from pathlib import Path

MACHINES = {32: 0x14C, 64: 0x8664}
GUI = 2
RELOCS_STRIPPED = 0x0001
EXPORTS = ["MainWndProc", "OptionsDlgProc", "IntroDlg", "ExtractStatusDlgProc",
           "StatusDlgProc", "GetDiskDlg", "DDECallback", "linkCreate"]
RUNTIME_LOADED = {"SHELL32.DLL", "OLE32.DLL"}
SUBSYSTEM_VERSION = (3, 10)

# The instructions of the 80386 and the 80387, as objdump names them in
# Intel syntax. Everything later (CMOVcc, FCOMI, BSWAP, CMPXCHG, XADD,
# CPUID, RDTSC, the long NOP, MMX, SSE, ...) raises an invalid-opcode fault
# on the processors that Windows 3.1, 95 and NT 3.x ran on.
I386 = set("""
    aaa aad aam aas adc add and arpl bound bsf bsr bt btc btr bts call cbw cdq
    clc cld cli clts cmc cmp cmps cwd cwde daa das dec div enter hlt idiv imul
    in inc ins int int3 into iret iretd jmp lahf lar lds lea leave les lfs
    lgdt lgs lidt lldt lmsw lods loop loope loopne lsl lss ltr mov movs movsx
    movzx mul neg nop not or out outs pop popa popad popf popfd push pusha
    pushad pushf pushfd rcl rcr ret retf rol ror sahf sal sar sbb scas sgdt
    shl shld shr shrd sidt sldt smsw stc std sti stos str sub test verr verw
    fwait xchg xlat xor
    f2xm1 fabs fadd faddp fbld fbstp fchs fnclex fcom fcomp fcompp fcos
    fdecstp fdiv fdivp fdivr fdivrp ffree fiadd ficom ficomp fidiv fidivr fild
    fimul fincstp fninit fist fistp fisub fisubr fld fld1 fldcw fldenv fldl2e
    fldl2t fldlg2 fldln2 fldpi fldz fmul fmulp fnop fpatan fprem fprem1 fptan
    frndint frstor fnsave fscale fsin fsincos fsqrt fst fnstcw fnstenv fstp
    fnstsw fsub fsubp fsubr fsubrp ftst fucom fucomp fucompp fxam fxch fxtract
    fyl2x fyl2xp1
""".split())
CONDITIONS = "(n?(e|z|a|ae|b|be|g|ge|l|le|s|o|p|c)|po|pe|nae|nbe|nge|nle)"
I386_PATTERN = re.compile(rf"(j{CONDITIONS}|jcxz|jecxz|set{CONDITIONS})")
PREFIXES = {"rep", "repz", "repnz", "repe", "repne", "lock", "data16", "addr16",
            "cs", "ds", "es", "fs", "gs", "ss"}


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
        major_os, minor_os, _, _, major_sub, minor_sub = \
            struct.unpack_from("<6H", self.data, opt + 40)
        self.os_version, self.subsystem_version = (major_os, minor_os), (major_sub, minor_sub)
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


def instructions(path, objdump):
    """The number of instructions in the image's code as objdump decodes it,
    and {later instruction: [count, first address]}. Bytes that decode to
    nothing ("(bad)": the constructor lists at the end of .text) are data."""
    listing = subprocess.run([objdump, "-d", "-M", "intel", "--no-show-raw-insn", "-j", ".text",
                              path], check=True, capture_output=True, text=True).stdout
    total, later = 0, {}
    for line in listing.splitlines():
        address, _, rest = line.partition(":\t")
        words = rest.split()
        if not re.fullmatch(r"\s*[0-9a-f]+", address) or not words or words[0] == "(bad)":
            continue
        while len(words) > 1 and words[0] in PREFIXES:
            words = words[1:]
        total += 1
        name = words[0]
        # The long NOP (0F 1F) takes an operand; the 386's NOP has none.
        if name == "nop" and len(words) > 1:
            name = "nop with an operand"
        elif name in I386 or I386_PATTERN.fullmatch(name):
            continue
        later.setdefault(name, [0, address.strip()])[0] += 1
    return total, later


def check_setup(path, bits, floor):
    image = Image(path)
    problems = []
    if image.machine != MACHINES[bits]:
        problems.append(f"machine {image.machine:#x}, not the {bits}-bit one")
    if image.subsystem != GUI:
        problems.append(f"subsystem {image.subsystem}, not a GUI program")
    if image.characteristics & RELOCS_STRIPPED or not image.relocations():
        problems.append("its relocations are stripped")
    for what, version in (("subsystem", image.subsystem_version), ("system", image.os_version)):
        if version != SUBSYSTEM_VERSION:
            problems.append(f"{what} version {version[0]}.{version[1]:02}, not 3.10: Windows NT "
                            "3.1 and 3.5 refuse it")
    exported = set(image.exports())
    problems += [f"does not export {name} by name" for name in EXPORTS if name not in exported]
    imports = image.imports()
    for name, listed in floor:
        for dll, functions in sorted(imports.items()):
            outside = [f for f in functions if (dll, f) not in listed]
            if outside:
                problems.append(f"imports from {dll} what is not on {name}: "
                                + " ".join(sorted(outside)))
    print(f"{path}: {bits}-bit GUI image, {image.relocations()} bytes of relocations, "
          + ", ".join(f"{dll} {len(f)}" for dll, f in sorted(imports.items())))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("setup")
    parser.add_argument("others", nargs="*")
    parser.add_argument("--bits", type=int, choices=(32, 64), required=True)
    parser.add_argument("--floor", action="append", required=True)
    parser.add_argument("--objdump")
    parser.add_argument("--max-size", type=int)
    args = parser.parse_intermixed_args()
    floor = [(Path(f).name, read_floor(f)) for f in args.floor]
    problems = [f"{args.setup}: {p}" for p in check_setup(args.setup, args.bits, floor)]
    if args.objdump:
        total, later = instructions(args.setup, args.objdump)
        print(f"{args.setup}: {total} instructions, {sum(n for n, _ in later.values())} of them "
              "later than the 80386/80387")
        problems += [f"{args.setup}: {name} is not an 80386/80387 instruction ({count} times, "
                     f"first at {address})" for name, (count, address) in sorted(later.items())]
    size = Path(args.setup).stat().st_size
    if args.max_size and size > args.max_size:
        problems.append(f"{args.setup}: {size} bytes, more than {args.max_size}")
    for path in args.others:
        loaded = RUNTIME_LOADED & set(Image(path).imports())
        problems += [f"{path}: imports {dll}" for dll in sorted(loaded)]
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
