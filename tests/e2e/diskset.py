"""The product of the disk scenarios: six packages, one of each kind, on
three disks (three directories), packed with the vendor's own tools (arc,
ff1 make), and the checks of what a run installed on the Wine drive.

    Fonts     FF1, required    DEST\\PSFONTS     FONTS1.ARC, FONTS2.ARC   disk 1
    Viewer    plain, "%W\\..."  C:\\windows\\E2EVIEW  VIEWER.ARC         disk 1
    Extra     FF1, optional    DEST\\PSFONTS     EXTRA2.ARC, EXTRA1.ARC   disk 3
    Conv      FF12TTF          system directory  CONV.ARC               disk 2
    TrueType  TTF              system directory  TT.ARC                 disk 2
    Driver    DLL              system directory  DRIVER.ARC             disk 2

Disk 3 holds nothing but the optional Extra. The .ff1 files of Fonts and
Extra share identifiers, and so do those of the three system packages: only
the repairs after the FF1 and FF12TTF archives make them distinct. Files in
the system directory have names of their own and are removed (fontnam.dat,
ATF.CFG and ATF.LST put back) after every run, with C:\\windows\\E2EVIEW.
"""
import os
import random
import shutil
import struct
import time
from pathlib import Path

# An even number of seconds: DOS times keep two-second steps.
STAMP = time.mktime((2003, 4, 5, 6, 7, 8, 0, 0, -1))
# Incompressible bytes in the first archive: with big=True its extraction
# lasts long enough (seconds) for the robot to see the window mid-way and
# press Cancel there.
SMALL, BIG = 64 << 10, 24 << 20

PACKAGES = [  # name, value, where its files go
    ("Fonts", "Sample fonts,PSFONTS,5,25000,FF1,0", "PSFONTS"),
    ("Viewer", "Font viewer,%W\\E2EVIEW,2,40,APP,0", "VIEWER"),
    ("Extra", "Extra fonts,PSFONTS,2,100,FF1,1", "PSFONTS"),
    ("Conv", "Converted fonts,TT,2,50,FF12TTF,1", "SYSTEM"),
    ("TrueType", "TrueType fonts,TT,2,50,TTF,1", "SYSTEM"),
    ("Driver", "Printer driver,DRV,2,20,DLL,1", "SYSTEM"),
]
DISKS = [  # disk, key, archive, in the order of the script's lines
    (1, "Viewer", "VIEWER.ARC"), (1, "Fonts1", "FONTS1.ARC"), (1, "Fonts2", "FONTS2.ARC"),
    (2, "Driver", "DRIVER.ARC"), (2, "TrueType", "TT.ARC"), (2, "Conv", "CONV.ARC"),
    (3, "Extra2", "EXTRA2.ARC"), (3, "Extra1", "EXTRA1.ARC"),
]
ARCHIVES = {  # stored name: face identifiers (a font file) or bytes
    "FONTS1.ARC": {"A.FF1": [100, 101], "B.FF1": [101], "DOCS\\GUIDE.TXT": b"Guide\r\n",
                   "SAMPLES.DAT": SMALL},
    "FONTS2.ARC": {"C.FF1": [100]},
    "VIEWER.ARC": {"VIEW.EXE": b"MZ viewer", "VIEW.INI": b"[View]\r\nSize=12\r\n"},
    "CONV.ARC": {"E2ECONV1.FF1": [300], "E2ECONV2.FF1": [300, 301]},
    "TT.ARC": {"E2ETT.TTF": b"\0\1\0\0 truetype", "E2ETT.FF1": [300]},
    "DRIVER.ARC": {"E2EDRV.DLL": b"MZ driver", "E2EDRV.FF1": [301, 301]},
    "EXTRA1.ARC": {"E.FF1": [100]},
    "EXTRA2.ARC": {"F.FF1": [102, 101]},
}
SYSTEM = "C:\\windows\\syswow64"  # the program's system directory; e2e.py sets it by bitness
VIEW_DIR = "C:\\windows\\E2EVIEW"
KEPT = ["fontnam.dat", "ATF.CFG", "ATF.LST"]  # system files a repair rewrites or deletes


def entries(data):
    """The directory of an archive: [(stored name, offset of its entry)]."""
    start, = struct.unpack_from("<I", data, 0)
    count, = struct.unpack_from("<H", data, start + 6)
    found, pos = [], start + 8
    for _ in range(count):
        n, = struct.unpack_from("<h", data, pos)
        found.append((data[pos + 2:pos + 2 + n].decode("latin-1"), pos))
        pos += 28 + n
    return found


def damage(path, how, member=None):
    """Damages an archive file as media go bad: "crc" changes the member's
    CRC-32 (its bytes inflate whole but are not what was packed), "cut"
    halves the member's stream (it ends before its end), "directory" makes
    the directory claim one entry more than it holds."""
    data = bytearray(path.read_bytes())
    if how == "directory":
        start, = struct.unpack_from("<I", data, 0)
        count, = struct.unpack_from("<H", data, start + 6)
        struct.pack_into("<H", data, start + 6, count + 1)
    else:
        pos = dict(entries(data))[member]
        n, = struct.unpack_from("<h", data, pos)
        if how == "crc":
            data[pos + 16 + n] ^= 0x01
        else:
            packed, = struct.unpack_from("<I", data, pos + 6 + n)
            struct.pack_into("<I", data, pos + 6 + n, packed // 2)
    path.write_bytes(bytes(data))


def package_of(key):
    return next(name for name, _, _ in PACKAGES if key.startswith(name))


def face_ids(data):
    """The face identifiers of a .ff1 file."""
    count, = struct.unpack_from("<H", data, 10)
    first, size = struct.unpack_from("<HH", data, 30)
    return [struct.unpack_from("<H", data, first + k * size)[0] for k in range(count)]


def name_list(data):
    """fontnam.dat as {name: identifiers}."""
    count, _ = struct.unpack_from("<ii", data, 0)
    entries, pos = {}, 8
    for _ in range(count):
        name = data[pos:pos + 14].split(b"\0")[0].decode("latin-1")
        n, = struct.unpack_from("<i", data, pos + 14)
        entries[name] = list(struct.unpack_from(f"<{n}i", data, pos + 18))
        pos += 18 + 4 * n
    return entries


class DiskSet:
    """Builds the disks into the scenario's tree; as a context, keeps the
    system directory as it was. dirs maps each disk to its directory."""

    def __init__(self, s, one_dir=False, disks=3, big=False, script_more=""):
        self.s, self.big = s, big
        self.dirs = {1: s.media_dir, 2: s.root + "\\DISK2", 3: s.root + "\\DISK3"}
        if one_dir:
            self.dirs = {d: s.media_dir for d in self.dirs}
        self.build = s.root + "\\BUILD"
        self.disks, self.script_more = disks, script_more
        self.kept = {}

    def __enter__(self):
        system = self.s.host(SYSTEM)
        self.kept = {n: (system / n).read_bytes() for n in KEPT if (system / n).exists()}
        self._clean()
        self._make()
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.s.host(self.build), ignore_errors=True)
        self._clean()
        system = self.s.host(SYSTEM)
        for name, data in self.kept.items():
            (system / name).write_bytes(data)

    def _clean(self):
        system = self.s.host(SYSTEM)
        for member in [m for a in ("CONV.ARC", "TT.ARC", "DRIVER.ARC") for m in ARCHIVES[a]] + KEPT:
            (system / member).unlink(missing_ok=True)
        shutil.rmtree(self.s.host(VIEW_DIR), ignore_errors=True)

    def _make(self):
        s = self.s
        for d in set(self.dirs.values()):
            s.host(d).mkdir(parents=True, exist_ok=True)
        for disk, _, archive in DISKS:
            staging = f"{self.build}\\{archive}"
            for member, content in ARCHIVES[archive].items():
                path = s.host(f"{staging}\\{member}")
                path.parent.mkdir(parents=True, exist_ok=True)
                if isinstance(content, list):
                    s.tool("ff1", "make", f"{staging}\\{member}", *map(str, content))
                elif isinstance(content, int):
                    size = BIG if self.big else content
                    path.write_bytes(random.Random(archive).randbytes(size))
                else:
                    path.write_bytes(content)
                os.utime(path, (STAMP, STAMP))
            s.tool("arc", "create", f"{self.dirs[disk]}\\{archive}", staging)
        packages = "\n".join(f"{name}={value}" for name, value, _ in PACKAGES)
        sections = "\n".join(
            f"[Disk{d}]\n" + "\n".join(f"{k}={a}" for disk, k, a in DISKS if disk == d)
            for d in (1, 2, 3))
        s.script(f"[Install]\nname=Sample Fonts\nBaseDir={s.dest}\ndisks={self.disks}\n"
                 f"[Packages]\n{packages}\n{sections}\n{self.script_more}")
        s.media("readme.txt", "Sample Fonts\n")

    # --- what a run left

    def original(self, archive, member):
        return self.s.host(f"{self.build}\\{archive}\\{member}").read_bytes()

    def folder(self, archive):
        """The Windows directory an archive's members land in."""
        key = next(k for _, k, a in DISKS if a == archive)
        place = next(p for name, _, p in PACKAGES if name == package_of(key))
        return {"PSFONTS": self.s.dest + "\\PSFONTS", "VIEWER": VIEW_DIR, "SYSTEM": SYSTEM}[place]

    def target(self, archive, member):
        """Where a member of an archive lands (a host path)."""
        return self.s.host(f"{self.folder(archive)}\\{member}")

    def written(self, archives):
        """What a run that extracts archives is meant to write, as Windows
        paths for Session.expect_changes: their members where they land, the
        readme and the script copy, and where a font package's archive is
        repaired fontnam.dat and the ATF files the repair deletes."""
        paths = [self.s.dest + "\\readme.txt", self.s.dest + "\\install.ini"]
        for archive in archives:
            key = next(k for _, k, a in DISKS if a == archive)
            value = next(v for name, v, _ in PACKAGES if name == package_of(key))
            folder = self.folder(archive)
            paths += [f"{folder}\\{member}" for member in ARCHIVES[archive]]
            if value.split(",")[4] in ("FF1", "FF12TTF"):
                paths += [f"{folder}\\{name}" for name in KEPT]
        return paths

    def check(self, archives, absent=()):
        """Every member of archives is where its package says: plain files
        with their bytes and stored date; font files of the FF1 and FF12TTF
        packages with distinct identifiers that fontnam.dat lists; those of
        the TTF and DLL packages untouched. No member of absent is there."""
        s = self.s
        for archive in archives:
            for member, content in ARCHIVES[archive].items():
                path = self.target(archive, member)
                s.expect(path.is_file(), f"{member} of {archive} is not at {path}")
                repaired = archive not in ("TT.ARC", "DRIVER.ARC") and isinstance(content, list)
                if not repaired:
                    s.expect(path.read_bytes() == self.original(archive, member),
                             f"{member} of {archive} differs")
                    s.expect(path.stat().st_mtime == STAMP,
                             f"{member} of {archive} is dated {time.ctime(path.stat().st_mtime)}")
        for archive in absent:
            for member in ARCHIVES[archive]:
                s.expect(not self.target(archive, member).exists(), f"{member} of {archive} is there")

    def check_repaired(self, directory, names):
        """The .ff1 files names of a directory carry distinct identifiers,
        and its fontnam.dat lists exactly them."""
        s = self.s
        folder = s.host(directory)
        faces = {n: face_ids((folder / n).read_bytes()) for n in names}
        ids = [i for f in faces.values() for i in f]
        s.expect(len(ids) == len(set(ids)), f"identifiers clash in {directory}: {faces}")
        listed = name_list((folder / "fontnam.dat").read_bytes())
        s.expect(listed == faces, f"fontnam.dat of {directory} lists {listed}, the files hold {faces}")

    def dest_files(self):
        root = self.s.host(self.s.dest)
        return sorted(str(p.relative_to(root)).replace("/", "\\") for p in root.rglob("*")
                      if p.is_file()) if root.is_dir() else []
