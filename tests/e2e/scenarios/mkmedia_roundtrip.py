"""A product of a vendor's own, made into a 1.44M disk set by mkmedia, with
its images, and installed from the images: mtools reads each DISKn.IMG out
into a directory of its own (mkmedia's directories are removed first),
SETUP.EXE starts from the first, the robot takes the intro and the options,
then types each next directory into the disk prompt, in ascending order and
once each, up to "Install Completed !". The installed tree is the product's
package folders, byte for byte and date for date (DOS times: even seconds),
beside the fonts' name lists; the DLL package lands in the system directory
likewise. The template is typed in UTF-8 with a byte-order mark: the title
in the intro and the captions, the program group and the WIN.INI line show
"für Büro", and LIZENZÄ.TXT installs under its name. The intro shows the
product's own logo.bmp and credits.txt. The same product without them, as a
CD image read out with xorriso, installs with the neutral intro. The time
from start to the final message is printed."""
import os
import random
import shutil
import subprocess
import sys
import time
from pathlib import Path, PureWindowsPath

import diskset
from lnkfile import programs_folder

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / "resources"))
import makeart  # noqa: E402  the pixel art and BMP writer of the build

TITLE = "Kestrel Schriften für Büro"
CREDITS = ["Schrift und Setup von", "Kestrel Type Foundry", "für", "Büro & Verwaltung",
           "© 1998 Kestrel Type Foundry", "Alle Rechte vorbehalten"]
TEAL, PURPLE = 6, 5  # colours of the VGA palette
WIN_INI = "C:\\windows\\win.ini"

# Local times away from any change of clocks; an odd second is stored as the
# even second below it.
STAMPS = [time.mktime(t + (0, 0, -1)) for t in [
    (1996, 1, 2, 3, 4, 6), (1998, 6, 15, 12, 0, 0), (1999, 12, 31, 23, 59, 58),
    (2001, 2, 3, 4, 5, 7), (2004, 7, 8, 9, 10, 11)]]
PART = 400 << 10  # incompressible: eight need three disks, whatever SETUP.EXE's size
PACKAGES = [  # name, value, where its folder lands
    ("Fonts", "Schriften für Büro,FONTS,?,?,FF1,0", "FONTS"),
    ("Data", "Font data,DATA,?,?,FF1,1", "DATA"),
    ("Driver", "Font driver,DRV,?,?,DLL,0", None),
]
FILES = {  # package: {path in its folder: face identifiers, text or a size}
    "Fonts": {"RTA.FF1": [200, 201], "RTB.FF1": [210], "DOCS\\GUIDE.TXT": "How to use them.\n",
              "LIZENZÄ.TXT": "Lizenz.\n"},
    "Data": {**{f"PART{n}.DAT": PART + 1000 * n for n in range(1, 9)},
             "SUB\\NOTE.TXT": "Notes.\n"},
    "Driver": {"RTDRV.DLL": "MZ a font driver"},
}
README = "Round Trip Fonts\r\n\r\nA product on three disks.\r\n"


def logo():
    """The vendor's logo: a teal kestrel's wings over purple letters."""
    c = makeart.Canvas(250, 75)
    for i in range(24):
        c.fill(8 + i, 30 - i, 6, 3, TEAL)
        c.fill(56 - i, 30 - i, 6, 3, TEAL)
    c.fill(26, 30, 18, 30, TEAL)
    c.text(80, 14, "FONTS", 5, PURPLE)
    c.text(80, 58, "TYPE FOUNDRY", 1, TEAL)
    return makeart.bmp(c)


def make_product(s, product):
    """The product directory, typed in UTF-8; every file dated from STAMPS in
    turn."""
    packages = "\n".join(f"{name}={value}" for name, value, _ in PACKAGES)
    s.host(product).mkdir(parents=True)
    s.host(product + "\\install.ini").write_text(
        f"\ufeff[Install]\nname={TITLE}\nBaseDir={s.dest}\n[Packages]\n{packages}\n"
        f"[Icons]\nGroupName={TITLE}\nLizenz=%W\\NOTEPAD.EXE %I\\FONTS\\LIZENZÄ.TXT\n"
        "[WinIniData]\nAddToSection1=Kestrel Type Foundry;Schriften für Büro=1\n",
        encoding="utf-8", newline="\r\n")
    s.host(product + "\\logo.bmp").write_bytes(logo())
    s.host(product + "\\credits.txt").write_text("\n".join(CREDITS) + "\n", encoding="utf-8")
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


def intro_steps(shot, credits):
    """The intro with its title (and the credit lines when given), then the
    options taken as they stand."""
    checks = "".join(f"window-with {c}\n" for c in credits)
    return f"""
        window-with Presents
        text 101 {TITLE}
        {checks}
        shot {shot}
        mouse 200
        gone
        window {TITLE} Installation Options
        enabled 109
        click 109
        gone
        """


def final_steps():
    return f"""
        window {TITLE}
        text message Install Completed !
        shot final-message
        click ok
        gone
        """


def robot_steps(out, disks):
    # The statics show the credit lines joined, their ampersands doubled.
    credits = ["\\n".join(CREDITS[1:4]).replace("&", "&&"), "\\n".join(CREDITS[4:]), CREDITS[0]]
    steps = [intro_steps("intro", credits)]
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
    steps.append(final_steps())
    return "".join(steps)


def check_texts(s, programs, win_ini):
    """The program group and the WIN.INI line as the vendor typed them."""
    group = s.host(f"{programs}\\{TITLE}")
    s.expect(group.name == TITLE and (group / "Lizenz.lnk").is_file(),
             f"no group {TITLE}: {sorted(p.name for p in group.parent.iterdir())}")
    shutil.rmtree(group)
    lines = win_ini.read_bytes().decode("cp1252").splitlines()
    s.expect("Schriften für Büro=1" in lines, "WIN.INI lacks \"Schriften für Büro=1\"")


def logo_colours(s, shot):
    """Pixels of the teal, purple and navy of a logo ANDed onto the intro."""
    colours = s.colours(s.shot(shot))
    face = max((c for c in colours if c != (0, 64, 192)), key=colours.get)
    return {name: colours.get(tuple(a & b for a, b in zip(makeart.PALETTE[index], face)), 0)
            for name, index in [("teal", TEAL), ("purple", PURPLE), ("navy", makeart.NAVY)]}


def install_from_cd(s, product, out):
    """The product without its logo and credits, built as a CD image and
    installed from what xorriso reads out of it."""
    os.remove(s.host(product + "\\logo.bmp"))
    os.remove(s.host(product + "\\credits.txt"))
    summary = s.tool("mkmedia", product, out, "--media", "cd", "--image")
    s.expect("CD.ISO" in summary, f"no CD image:\n{summary}")
    shutil.rmtree(s.host(disk(out, 1)))
    target = s.host(out + "\\CD")
    done = subprocess.run(["xorriso", "-osirrox", "on", "-indev", str(s.host(out + "\\CD.ISO")),
                           "-extract", "/", str(target)], capture_output=True, text=True)
    s.expect(done.returncode == 0, f"xorriso: {done.stdout}{done.stderr}")
    shutil.rmtree(s.host(s.dest))
    s.media_dir = out + "\\CD"
    s.robot(intro_steps("intro-neutral", []) + final_steps())
    code = s.run(timeout=120)
    s.expect(code == 0, f"exit code {code} from the CD")
    check_tree(s, product)


def run(s):
    product, out, drives = s.root + "\\PRODUCT", s.root + "\\SET", s.root + "\\DRIVE"
    driver = s.host(diskset.SYSTEM) / "RTDRV.DLL"
    driver.unlink(missing_ok=True)
    programs = programs_folder(s)
    shutil.rmtree(s.host(f"{programs}\\{TITLE}"), ignore_errors=True)
    win_ini = s.host(WIN_INI)
    original = win_ini.read_bytes()
    try:
        make_product(s, product)
        start = time.monotonic()
        summary = s.tool("mkmedia", product, out, "--media", "1.44M", "--image")
        built = time.monotonic() - start
        disks = disk_count(s.read(disk(out, 1) + "\\INSTALL.INI"))
        s.expect(disks >= 3, f"mkmedia made {disks} disks:\n{summary}")
        read_images(s, out, drives, disks)
        s.media_dir = disk(drives, 1)
        s.media_setup = True  # the disk's own, with the product's logo and credits
        s.robot(robot_steps(drives, disks))
        code = s.run(timeout=120)
        s.expect(code == 0, f"exit code {code}")
        check_tree(s, product)
        s.expect(not s.exists(s.dest + "\\install.ini"), "the script copy is still there")
        check_texts(s, programs, win_ini)
        took = s.elapsed("shot final-message")
        install_from_cd(s, product, s.root + "\\CDSET")
    finally:
        driver.unlink(missing_ok=True)
        win_ini.write_bytes(original)
        shutil.rmtree(s.host(f"{programs}\\{TITLE}"), ignore_errors=True)
    s.expect_backdrop(s.shot("disk-prompt"))
    branded, neutral = logo_colours(s, "intro"), logo_colours(s, "intro-neutral")
    s.expect(branded["teal"] > 300 and branded["purple"] > 300 and branded["navy"] < 50,
             f"the intro does not show the vendor's logo: {branded}")
    s.expect(neutral["navy"] > 300 and neutral["teal"] < 50 and neutral["purple"] < 50,
             f"the intro without logo.bmp does not show the neutral one: {neutral}")
    print(f"mkmedia round trip: {disks} disks and images built in {built:.1f} s; "
          f"{took:.1f} s from start to \"Install Completed !\"")
