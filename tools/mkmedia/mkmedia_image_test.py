"""mkmedia --image, checked with the real tools and not with our own reader.

    mkmedia_image_test.py WORK [--branding SETUP ART CREDITS CHECK BITS FLOOR] MKMEDIA...

For every floppy medium: fsck.fat -n finds nothing wrong in any image,
minfo shows the medium's parameters and the label, mdir lists every file of
the disk directory with its size and date, and mcopy gives back its bytes
and date. The CD image lists and extracts whole with xorriso. Two runs give
the same bytes; a set that does not fit leaves no image behind. MKMEDIA is
the program, or the Wine runner and the program.

With --branding, the SETUP.EXE as built: given the logo and credits it is
built with (ART/logo.bmp, no credit lines) it comes out the same bytes; given
the sample's (ART/sample-logo.bmp, CREDITS) it still passes the image check
(CHECK, the script check_image.py, for BITS against the import list FLOOR).
"""
import os
import random
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

# Medium: (sectors per track, heads, media descriptor, sectors per FAT, root
# entries, sectors per cluster, total sectors, clusters, disks of the product).
MEDIA = {
    "360K": (9, 2, 0xFD, 2, 112, 2, 720, 354, 4),
    "720K": (9, 2, 0xF9, 3, 112, 2, 1440, 713, 2),
    "1.2M": (15, 2, 0xF9, 7, 224, 1, 2400, 2371, 1),
    "1.44M": (18, 2, 0xF0, 9, 224, 1, 2880, 2847, 1),
    "2.88M": (36, 2, 0xF0, 9, 240, 2, 5760, 2863, 1),
}
STAMPS = ["2001-02-03 04:05:06", "1999-12-31 23:59:58", "1980-01-01 00:00:00"]
failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def run(*args, code=0):
    done = subprocess.run(list(args), capture_output=True, text=True)
    if done.returncode != code:
        fail(f"{' '.join(args)}: exit {done.returncode}, not {code}\n{done.stdout}{done.stderr}")
    return done.stdout + done.stderr


def make_product(root, extra_bytes=()):
    """Two packages; four incompressible parts of 300000 bytes fill four
    360K disks. Every file dated from STAMPS in turn."""
    for sub in ("Core", "Extra/SUB"):
        (root / sub).mkdir(parents=True)
    (root / "install.ini").write_text(
        "[Install]\nname=Image Fonts\nBaseDir=C:\\IMG\n[Packages]\n"
        "Core=Core fonts,FONTS,?,?,FF1,0\nExtra=Extra data,EXTRA,?,?,FF1,1\n")
    (root / "readme.txt").write_text("Image Fonts\n")
    (root / "SETUP.EXE").write_bytes(b"MZ a stand-in for the setup program")
    (root / "Core/A.FF1").write_bytes(b"font A\n")
    (root / "Core/B.FF1").write_bytes(b"")
    for n, size in enumerate([300000] * 4 + list(extra_bytes)):
        name = f"Extra/PART{n}.DAT" if n % 2 else f"Extra/SUB/PART{n}.DAT"
        (root / name).write_bytes(random.Random(n).randbytes(size))
    for n, path in enumerate(sorted(p for p in root.rglob("*") if p.is_file())):
        stamp = time.mktime(time.strptime(STAMPS[n % len(STAMPS)], "%Y-%m-%d %H:%M:%S"))
        os.utime(path, (stamp, stamp))


def disk_files(directory):
    return {p.name: p for p in directory.iterdir() if p.is_file()}


def check_geometry(image, medium, label):
    spt, heads, media, fat, root, cluster, total, _, _ = MEDIA[medium]
    info = run("minfo", "-i", str(image), "::")
    want = {"sectors per track": spt, "heads": heads, "media descriptor byte": f"0x{media:x}",
            "sectors per fat": fat, "max available root directory slots": root,
            "cluster size": f"{cluster} sectors", "small size": f"{total} sectors",
            "sector size": "512 bytes", "reserved (boot) sectors": 1, "fats": 2,
            "disk label": f'"{label:<11}"', "disk type": '"FAT12   "', "banner": '"MSDOS5.0"'}
    for key, value in want.items():
        if not re.search(rf"^{re.escape(key)}[:=] ?{re.escape(str(value))}$", info, re.M):
            fail(f"{image}: minfo shows no {key} {value}:\n{info}")


def check_fsck(image, medium, files):
    clusters = MEDIA[medium][7]
    out = run("fsck.fat", "-n", str(image))
    last = out.strip().splitlines()[-1]
    # fsck.fat counts the label with the files.
    if not re.fullmatch(rf"\S+: {len(files) + 1} files, \d+/{clusters} clusters", last) \
            or len(out.strip().splitlines()) != 2:
        fail(f"{image}: fsck.fat -n says\n{out}")


def check_listing(image, files):
    """mdir: every file with its size and date (to the minute), nothing else."""
    listing = run("mdir", "-i", str(image), "::")
    rows = re.findall(r"^(\S+) +(\S+) +(\d+) (\d{4}-\d\d-\d\d) +(\d+):(\d\d)", listing, re.M)
    listed = {f"{name}.{ext}": (int(size), f"{day} {int(h):02}:{m}") for name, ext, size, day, h, m
              in rows}
    want = {name: (p.stat().st_size, time.strftime("%Y-%m-%d %H:%M", time.localtime(
        p.stat().st_mtime))) for name, p in files.items()}
    if listed != want:
        fail(f"{image}: mdir lists {listed}, the disk holds {want}")


def check_copies(image, files, out):
    """mcopy -m: every file's bytes and date, to the second."""
    out.mkdir()
    for name, source in files.items():
        run("mcopy", "-i", str(image), "-m", f"::{name}", str(out / name))
        copy = out / name
        if not copy.is_file() or copy.read_bytes() != source.read_bytes():
            fail(f"{image}: mcopy gives {name} other bytes than the disk holds")
        elif copy.stat().st_mtime != source.stat().st_mtime:
            fail(f"{image}: {name} dated {time.ctime(copy.stat().st_mtime)}, "
                 f"on the disk {time.ctime(source.stat().st_mtime)}")


def check_floppies(mkmedia, medium):
    sets = [Path(f"{medium}_a"), Path(f"{medium}_b")]
    for out in sets:
        run(*mkmedia, "product", str(out), "--media", medium, "--image")
    disks = MEDIA[medium][8]
    images = sorted(p.name for p in sets[0].iterdir() if p.is_file())
    if images != [f"DISK{n}.IMG" for n in range(1, disks + 1)]:
        fail(f"{medium}: images {images}, not one for each of {disks} disks")
    for n in range(1, disks + 1):
        image, files = sets[0] / f"DISK{n}.IMG", disk_files(sets[0] / f"DISK{n}")
        if not image.is_file():
            continue
        if image.stat().st_size != MEDIA[medium][6] * 512:
            fail(f"{image}: {image.stat().st_size} bytes")
        if image.read_bytes() != (sets[1] / image.name).read_bytes():
            fail(f"{image}: two runs give different bytes")
        check_fsck(image, medium, files)
        check_geometry(image, medium, f"DISK{n}")
        check_listing(image, files)
        check_copies(image, files, sets[0] / f"copy{n}")


def check_cd(mkmedia):
    for out in ("cd_a", "cd_b"):
        run(*mkmedia, "product", out, "--media", "cd", "--image", "--label", "Fonts_")
    image, files = Path("cd_a/CD.ISO"), disk_files(Path("cd_a/DISK1"))
    if not image.is_file() or image.read_bytes() != Path("cd_b/CD.ISO").read_bytes():
        fail("the CD image is missing, or two runs give different bytes")
        return
    listing = run("xorriso", "-indev", str(image), "-find", "/", "-type", "f", "-exec", "lsdl")
    rows = re.findall(r"^-\S+ +\d+ +\d+ +\d+ +(\d+) .* '/([^']+)'$", listing, re.M)
    want = sorted((str(p.stat().st_size), name) for name, p in files.items())
    if sorted(rows) != want or "Volume id    : 'FONTS_1'" not in listing:
        fail(f"xorriso lists {sorted(rows)}, the disk holds {want}:\n{listing}")
    run("xorriso", "-osirrox", "on", "-indev", str(image), "-extract", "/", "cd_out")
    for name, source in files.items():
        copy = Path("cd_out") / name
        if not copy.is_file() or copy.read_bytes() != source.read_bytes() \
                or copy.stat().st_mtime != source.stat().st_mtime:
            fail(f"CD.ISO gives {name} other bytes or another date than the disk holds")


def check_refusal(mkmedia):
    """A file no 360K disk holds: mkmedia's message, and nothing written."""
    make_product(Path("big"), extra_bytes=[400000])
    said = run(*mkmedia, "big", "big_out", "--media", "360K", "--image", code=1)
    if "more than an empty 360K disk holds; nothing written" not in said:
        fail(f"the refusal says: {said}")
    left = [str(p) for p in Path(".").rglob("big_out*")] + \
        [str(p) for p in Path(".").rglob("*.tmp")]
    if left:
        fail(f"a refused set left {left}")


def check_branding(mkmedia, setup, art, credits, check, bits, floor):
    product = Path("brand")
    (product / "Core").mkdir(parents=True)
    (product / "install.ini").write_text(
        "[Install]\nname=Brand Fonts\nBaseDir=C:\\BRAND\n[Packages]\nCore=Core,FONTS,?,?,FF1,0\n")
    (product / "Core/A.FF1").write_bytes(b"font A\n")
    built = Path(setup).read_bytes()
    (product / "SETUP.EXE").write_bytes(built)
    shutil.copy(Path(art) / "logo.bmp", product / "logo.bmp")
    (product / "credits.txt").write_bytes(b"")
    run(*mkmedia, "brand", "brand_neutral", "--media", "cd")
    if Path("brand_neutral/DISK1/SETUP.EXE").read_bytes() != built:
        fail("the logo and credits SETUP.EXE is built with do not give its own bytes")
    shutil.copy(Path(art) / "sample-logo.bmp", product / "logo.bmp")
    shutil.copy(credits, product / "credits.txt")
    run(*mkmedia, "brand", "brand_sample", "--media", "cd")
    branded = Path("brand_sample/DISK1/SETUP.EXE")
    if branded.read_bytes() == built or branded.stat().st_size != len(built):
        fail("the sample's logo and credits are not written in place")
    run(sys.executable, check, str(branded), "--bits", bits, "--floor", floor)


def main():
    work, mkmedia = Path(sys.argv[1]), sys.argv[2:]
    branding = None
    if mkmedia[0] == "--branding":
        branding, mkmedia = [str(Path(p).resolve()) for p in mkmedia[1:4]] + mkmedia[4:7], \
            mkmedia[7:]
    os.environ.update(TZ="UTC", MTOOLS_SKIP_CHECK="1")
    time.tzset()
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    os.chdir(work)
    make_product(Path("product"))
    for medium in MEDIA:
        check_floppies(mkmedia, medium)
    check_cd(mkmedia)
    check_refusal(mkmedia)
    if branding:
        check_branding(mkmedia, *branding)
    print(f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
