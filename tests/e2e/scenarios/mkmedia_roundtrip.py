"""A product made into a 1.44M disk set by mkmedia, with its images, and
installed from the images: mtools reads each DISKn.IMG out into a directory
of its own (mkmedia's directories are removed first), SETUP.EXE starts from
the first, the robot takes the intro and the options, then types each next
directory into the disk prompt, in ascending order and once each, up to
"Install Completed !". The installed tree is the product's package folders,
byte for byte and date for date (DOS times: even seconds), beside the fonts'
name lists; the DLL package lands in the system directory likewise. The
time from start to the final message is printed."""
import os
import random
import shutil
import subprocess
import time
from pathlib import PureWindowsPath

import diskset

# Local times away from any change of clocks; an odd second is stored as the
# even second below it.
STAMPS = [time.mktime(t + (0, 0, -1)) for t in [
    (1996, 1, 2, 3, 4, 6), (1998, 6, 15, 12, 0, 0), (1999, 12, 31, 23, 59, 58),
    (2001, 2, 3, 4, 5, 7), (2004, 7, 8, 9, 10, 11)]]
PART = 400 << 10  # incompressible: eight need three disks, whatever SETUP.EXE's size
PACKAGES = [  # name, value, where its folder lands
    ("Fonts", "Round trip fonts,FONTS,?,?,FF1,0", "FONTS"),
    ("Data", "Font data,DATA,?,?,FF1,1", "DATA"),
    ("Driver", "Font driver,DRV,?,?,DLL,0", None),
]
FILES = {  # package: {path in its folder: face identifiers, text or a size}
    "Fonts": {"RTA.FF1": [200, 201], "RTB.FF1": [210], "DOCS\\GUIDE.TXT": "How to use them.\n"},
    "Data": {**{f"PART{n}.DAT": PART + 1000 * n for n in range(1, 9)},
             "SUB\\NOTE.TXT": "Notes.\n"},
    "Driver": {"RTDRV.DLL": "MZ a font driver"},
}
README = "Round Trip Fonts\r\n\r\nA product on three disks.\r\n"


def make_product(s, product):
    """The product directory; every file dated from STAMPS in turn."""
    packages = "\n".join(f"{name}={value}" for name, value, _ in PACKAGES)
    s.host(product).mkdir(parents=True)
    s.host(product + "\\install.ini").write_text(
        f"[Install]\r\nname=Round Trip Fonts\r\nBaseDir={s.dest}\r\n[Packages]\r\n"
        + packages.replace("\n", "\r\n") + "\r\n", encoding="latin-1")
    s.host(product + "\\readme.txt").write_bytes(README.encode())
    shutil.copyfile(s.args.setup, s.host(product + "\\SETUP.EXE"))
    n = 0
    for package, files in FILES.items():
        for name, content in files.items():
            winpath = f"{product}\\{package}\\{name}"
            path = s.host(winpath)
            path.parent.mkdir(parents=True, exist_ok=True)
            if isinstance(content, list):
                s.tool("ff1", "make", winpath, *map(str, content))
            elif isinstance(content, int):
                path.write_bytes(random.Random(name).randbytes(content))
            else:
                path.write_bytes(content.replace("\n", "\r\n").encode())
            stamp = STAMPS[n % len(STAMPS)]
            os.utime(path, (stamp, stamp))
            n += 1


def disk_count(script):
    for line in script.decode("latin-1").splitlines():
        key, _, value = line.partition("=")
        if key.strip().lower() == "disks":
            return int(value)
    return 0


def expect_same(s, source, target, what):
    s.expect(target.is_file(), f"{what} is not at {target}")
    s.expect(target.read_bytes() == source.read_bytes(), f"{what} differs from its source")
    want = int(source.stat().st_mtime) // 2 * 2
    got = target.stat().st_mtime
    s.expect(got == want, f"{what} is dated {time.ctime(got)}, its source {time.ctime(want)}")


def check_tree(s, product):
    """Every source file where its package says, as it was; nothing else in
    the destination but the readme and the name list of each directory with
    fonts."""
    dest = s.host(s.dest)
    expected = {"readme.txt"}
    for package, _, place in PACKAGES:
        folder = s.host(f"{product}\\{package}")
        for source in (p for p in folder.rglob("*") if p.is_file()):
            relative = source.relative_to(folder)
            target = (dest / place if place else s.host(diskset.SYSTEM)) / relative
            expect_same(s, source, target, f"{package}\\{relative}")
            if place:
                expected.add(str(PureWindowsPath(place, relative)))
        if place and any(folder.glob("*.FF1")):
            expected.add(f"{place}\\fontnam.dat")
    found = {str(PureWindowsPath(p.relative_to(dest))) for p in dest.rglob("*") if p.is_file()}
    s.expect(found == expected, f"the destination holds {sorted(found)}, not {sorted(expected)}")
    s.expect(s.read(s.dest + "\\readme.txt") == README.encode(), "the readme differs")
    fonts = s.host(s.dest + "\\FONTS")
    listed = diskset.name_list((fonts / "fontnam.dat").read_bytes())
    s.expect(listed == {"RTA.FF1": [200, 201], "RTB.FF1": [210]}, f"FONTS lists {listed}")


def disk(out, n):
    return f"{out}\\DISK{n}"


def read_images(s, out, drives, disks):
    """Each DISKn.IMG read out with mcopy (dates kept) into drives\\DISKn;
    mkmedia's own directories go."""
    for n in range(1, disks + 1):
        image, target = s.host(f"{out}\\DISK{n}.IMG"), s.host(disk(drives, n))
        target.mkdir(parents=True)
        done = subprocess.run(["mcopy", "-i", str(image), "-m", "::*", str(target)],
                              capture_output=True, text=True,
                              env={**os.environ, "MTOOLS_SKIP_CHECK": "1"})
        s.expect(done.returncode == 0, f"mcopy {image}: {done.stdout}{done.stderr}")
        shutil.rmtree(s.host(disk(out, n)))
    s.expect(not s.exists(disk(out, disks + 1) + ".IMG"), "mkmedia made an image too many")


def robot_steps(s, out, disks):
    steps = [s.past_options("Round Trip Fonts")]
    for n in range(2, disks + 1):
        steps.append(f"""
            window Disk Needed
            text 111 Insert Disk {n}
            text 112 {disk(out, n - 1).upper()}\\
            {"shot disk-prompt" if n == 2 else ""}
            set 112 {disk(out, n)}
            click ok
            gone
            """)
    steps.append("""
        window Round Trip Fonts
        text message Install Completed !
        shot final-message
        click ok
        gone
        """)
    return "".join(steps)


def run(s):
    product, out, drives = s.root + "\\PRODUCT", s.root + "\\SET", s.root + "\\DRIVE"
    driver = s.host(diskset.SYSTEM) / "RTDRV.DLL"
    driver.unlink(missing_ok=True)
    try:
        make_product(s, product)
        start = time.monotonic()
        summary = s.tool("mkmedia", product, out, "--media", "1.44M", "--image")
        built = time.monotonic() - start
        disks = disk_count(s.read(disk(out, 1) + "\\INSTALL.INI"))
        s.expect(disks >= 3, f"mkmedia made {disks} disks:\n{summary}")
        read_images(s, out, drives, disks)
        s.media_dir = disk(drives, 1)
        s.robot(robot_steps(s, drives, disks))
        code = s.run(timeout=120)
        s.expect(code == 0, f"exit code {code}")
        check_tree(s, product)
        s.expect(not s.exists(s.dest + "\\install.ini"), "the script copy is still there")
    finally:
        driver.unlink(missing_ok=True)
    s.expect_backdrop(s.shot("disk-prompt"))
    print(f"mkmedia round trip: {disks} disks and images built in {built:.1f} s; "
          f"{s.elapsed('shot final-message'):.1f} s from start to \"Install Completed !\"")
