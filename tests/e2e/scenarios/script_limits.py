"""An install script with every value at its limit, then past it, in four
runs (each into its own destination):

1. At the limits: 20 packages whose key list is 297 bytes, names of 14
   characters, a directory of 69, a package value of 149; disk sections of
   497 and 499 bytes with archive names of 14; WIN.INI data, run items and
   files to delete, each a key list of 297 bytes, with values of 149 (199
   for AddToSection) and a run item's question of 199; icons in a key list
   of 497 bytes, a value of 299. Everything installs, is written, runs, is
   deleted and made.
2. Key lists of 298 bytes (498 for icons): "Too many packages", "Too many
   icons", "Too much win.ini data.", "Too much run item data.", "Too much
   delete files data."; nothing is installed, made, written, run or deleted.
3. 21 packages in a key list that fits: "Too many packages", nothing
   installed.
4. One past each value's limit, the key lists fitting: a package name of 15
   is cut and installs; a directory of 70 and a value cut inside its fields
   leave their package out of the options; an archive name of 15 gives the
   extraction error; a disk section of 500 bytes loses its last key; a
   question of 200 skips its item; values of 150 (200) are not acted on cut;
   an icon value of 300 cut inside its icon file gives "Unable to add
   icon." and no link.

Every run ends with "Install Completed !" and exit code 0, and changes
nothing on the drive but what it was meant to write."""
import os
import shutil
import time

from lnkfile import programs_folder

# Four runs of SETUP.EXE: more than the usual 90 s on a busy machine.
TIMEOUT = 150

WIN_INI = "C:\\windows\\win.ini"
GROUP = "E2E Limits"
STAMP = time.mktime((2003, 4, 5, 6, 7, 8, 0, 0, -1))


def fill(prefixes, total):
    """Key names, one per prefix, padded with letters so that their key list
    (each name and its zero byte) is exactly total bytes long."""
    room = total - sum(len(p) + 1 for p in prefixes)
    share, extra = divmod(room, len(prefixes))
    return [p + "x" * (share + (i < extra)) for i, p in enumerate(prefixes)]


def key_list(names):
    return sum(len(n) + 1 for n in names)


def padded(text, length, pad="v"):
    """text padded before its last four characters (an extension) to length."""
    return text[:-4] + pad * (length - len(text)) + text[-4:]


def section(name, entries):
    return f"[{name}]\n" + "".join(f"{k}={v}\n" for k, v in entries)


def ini_sections(data):
    found, current = {}, None
    for line in data.decode("latin-1").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = found.setdefault(line[1:-1].lower(), [])
        elif line and current is not None:
            current.append(line)
    return found


class Limits:
    def __init__(self, s):
        self.s = s
        self.pack("PACKAGE.ARC", "PACKAGE.TXT")
        shutil.copy(s.args.robot, s.host(s.media_dir) / "TOUCH.EXE")
        s.media("readme.txt", "Sample Fonts\n")

    def pack(self, archive, member):
        """An archive of the media directory holding one member, packed by arc."""
        staging = f"{self.s.root}\\BUILD\\{archive}"
        path = self.s.host(f"{staging}\\{member}")
        path.parent.mkdir(parents=True)
        path.write_bytes(member.encode() + b"\r\n")
        os.utime(path, (STAMP, STAMP))
        self.s.tool("arc", "create", f"{self.s.media_dir}\\{archive}", staging)

    def archive(self, name):
        """An archive of the one member PACKAGE.TXT under the name given."""
        shutil.copy(self.s.host(f"{self.s.media_dir}\\PACKAGE.ARC"),
                    self.s.host(self.s.media_dir) / name)

    def script(self, dest, *sections, disks=1):
        self.s.host(dest).mkdir(parents=True, exist_ok=True)
        self.s.script(f"[Install]\nname=Sample Fonts\nBaseDir={dest}\ndisks={disks}\n"
                      + "".join(sections))

    def run(self, steps):
        s = self.s
        s.robot(f"""
            window-with Presents
            mouse 200
            gone
            {steps}
            window Sample Fonts
            text message Install Completed !
            click ok
            gone
            """)
        code = s.run(watch=True)
        s.expect(code == 0, f"exit code {code}")


def at_the_limits(s, lim):
    dest = s.dest
    names = [f"P{i:02d}".ljust(14 if i < 17 else 13, "n") for i in range(20)]
    assert key_list(names) == 297
    dirs = ["L" * 69] + [f"DIR{i:02d}" for i in range(1, 20)]
    values = [f"Package {i},{d},1,1,APP,0" for i, d in enumerate(dirs)]
    values[1] = "Package 1".ljust(133, "d") + f",{dirs[1]},1,1,APP,0"
    assert len(values[1]) == 149
    disk_keys = fill(names, 497)
    archives = [f"PACKAGE{i:02d}X.ARC" for i in range(20)]
    for a in archives:
        lim.archive(a)
    # A list of 499 bytes fills the 500 with the list's last zero byte: it
    # fits, and its last name is walked.
    second_keys = fill([names[0] + c for c in "abcd"], 499)
    second = [f"SECOND_{c}.ARC" for c in "ABCD"]
    for a in second:
        lim.pack(a, a[:-4] + ".TXT")
    win_keys = ["ClearOld", "AddToSection1"] + fill(["Plain", "Long"], 297 - 9 - 14)
    plain_value = padded("%I\\FONTS.DIR", 149)
    add_value = padded("Sample Fonts Viewer;Dir=view.DIR", 199)
    win_values = ["1", add_value, "%I\\FONTS", plain_value]
    question = "r" * 181
    run_keys = [question, "q" * (297 - 182 - 1)]
    run_values = ["TOUCH.EXE --touch %I\\ASKED.TXT,1",
                  padded("TOUCH.EXE --touch %I\\LONG.TXT", 149)]
    targets = ["OLD1.TXT", padded("OLD2.TXT", 146)]
    delete_keys = fill(["Old1", "Old2"], 297)
    s.host(dest).mkdir(parents=True)
    for t in targets:
        s.host(f"{dest}\\{t}").write_bytes(b"old\r\n")
    assert len(f"%I\\{targets[1]}") == 149 and len(run_values[1]) == 149
    # Icons: "GroupName" and eight titles, a key list of 497 bytes; a value
    # of 299 characters, its third field unread.
    icon_keys = fill([f"Icon {c}" for c in "ABCDEFGH"], 497 - 10)
    icon_values = ["%W\\notepad.exe"] * 8
    icon_values[0] = "%W\\notepad.exe,%W\\notepad.exe,".ljust(299, "u")
    lim.script(dest, section("Packages", zip(names, values)),
               section("Disk1", zip(disk_keys, archives)),
               section("Disk2", zip(second_keys, second)),
               section("WinIniData", zip(win_keys, win_values)),
               section("RunItems", zip(run_keys, run_values)),
               section("DeleteFiles", ((k, f"%I\\{t}") for k, t in zip(delete_keys, targets))),
               section("Icons", [("GroupName", GROUP)] + list(zip(icon_keys, icon_values))),
               disks=2)
    lim.run(f"""
        window Sample Fonts Installation Options
        text 1107 20 K
        enabled 109
        shot twenty-packages
        click 109
        gone
        window Sample Fonts
        text message Do you want to \\n{question} ?
        click yes
        gone
        """)
    installed = [f"{dest}\\{d}\\PACKAGE.TXT" for d in dirs]
    installed += [f"{dest}\\{dirs[0]}\\{a[:-4]}.TXT" for a in second]
    written = [f"{dest}\\{n}" for n in ("readme.txt", "ASKED.TXT", run_values[1][21:])]
    group = programs_folder(s) + "\\" + GROUP
    s.expect_changes(installed + written + [f"{dest}\\{t}" for t in targets] + [WIN_INI]
                     + [group + "\\*.lnk"])
    links = sorted(p.stem for p in s.host(group).glob("*.lnk"))
    s.expect(links == sorted(icon_keys), f"the group holds {links}")
    for path in installed + written:
        s.expect(s.exists(path), f"{path} is missing")
    for t in targets:
        s.expect(not s.exists(f"{dest}\\{t}"), f"{t} was not deleted")
    ini = ini_sections(s.read(WIN_INI))
    s.expect(ini.get("sample fonts") == [f"{win_keys[2]}={dest}\\FONTS",
                                         f"{win_keys[3]}={plain_value.replace('%I', dest)}"],
             f"[Sample Fonts] holds {ini.get('sample fonts')}")
    viewer = ini.get("sample fonts viewer")
    s.expect(viewer == [add_value.split(";")[1]], f"[Sample Fonts Viewer] holds {viewer}")


def key_lists_over(s, lim):
    dest = s.root + "\\DEST2"
    s.host(dest + "\\OLD.TXT").parent.mkdir(parents=True)
    s.host(dest + "\\OLD.TXT").write_bytes(b"old\r\n")
    names = fill([f"P{i:02d}" for i in range(20)], 298)
    lim.script(dest, section("Packages", ((n, f"Package,{n[:3]},1,1,APP,0") for n in names)),
               section("Disk1", ((n, "PACKAGE.ARC") for n in names)),
               section("WinIniData", ((k, "1") for k in fill(["Plain1", "Plain2"], 298))),
               section("RunItems", ((k, "TOUCH.EXE --touch %I\\RAN.TXT")
                                    for k in fill(["run", "again"], 298))),
               section("DeleteFiles", ((k, "%I\\OLD.TXT") for k in fill(["Old1", "Old2"], 298))),
               section("Icons", [("GroupName", GROUP)] + [(k, "%W\\notepad.exe")
                                                          for k in fill(["Icon"], 498 - 10)]))
    lim.run("""
        window Install
        text message Too many packages
        shot too-many-packages
        click ok
        gone
        window Sample Fonts Installation Options
        text 1107 0 K
        click 109
        gone
        window-with Too many icons
        caption Install
        click ok
        gone
        window Install
        text message Too much win.ini data.
        click ok
        gone
        window Install
        text message Too much run item data.
        click ok
        gone
        window Install
        text message Too much delete files data.
        click ok
        gone
        """)
    s.expect_changes([dest + "\\readme.txt"])


def packages_over(s, lim):
    dest = s.root + "\\DEST3"
    names = [f"P{i:02d}" for i in range(21)]
    lim.script(dest, section("Packages", ((n, f"Package,{n},1,1,APP,0") for n in names)),
               section("Disk1", ((n, "PACKAGE.ARC") for n in names)))
    lim.run("""
        window Install
        text message Too many packages
        click ok
        gone
        window Sample Fonts Installation Options
        text 1107 0 K
        click 109
        gone
        """)
    s.expect_changes([dest + "\\readme.txt"])


def values_over(s, lim):
    dest = s.root + "\\DEST4"
    group = programs_folder(s) + "\\" + GROUP
    shutil.rmtree(s.host(group))  # run 1's
    packages = [
        ("Fifteen_chars_X", "Cut name,CUT,1,1,APP,0"),           # cut to 14: installs
        ("TooDeep", "Too deep," + "L" * 70 + ",1,2,APP,0"),        # refused
        ("CutValue", "Cut value".ljust(135, "c") + ",CUTV,1,4,TTF,1"),  # flag cut: refused
        ("BadName", "Bad archive name,BAD,1,8,APP,0"),
        ("Last", "Last key,LAST,1,16,APP,0"),
    ]
    assert len(packages[2][1]) == 150
    lim.archive("LONG_NAME_X.ARC")  # 15 characters
    # 500 bytes and the list's last zero byte do not fit the 500: the list
    # is cut, and its last name, which may be cut, is not walked.
    keys = fill(["Fifteen_chars_X1", "TooDeep1", "CutValue1", "BadName1", "Last1"], 500)
    archives = ["PACKAGE.ARC", "PACKAGE.ARC", "PACKAGE.ARC", "LONG_NAME_X.ARC", "PACKAGE.ARC"]
    keep = padded("KEEP.TXT", 146)
    s.host(f"{dest}\\{keep}").parent.mkdir(parents=True)
    s.host(f"{dest}\\{keep}").write_bytes(b"keep\r\n")
    # 150 + 1 + 149 characters: the reader would cut the icon file to 148,
    # short enough to be made as another file's name.
    cut_icon = "C:\\windows\\notepad.exe ".ljust(150, "a") + "," + "C:\\".ljust(145, "i") + ".ICO"
    assert len(cut_icon) == 300
    lim.script(dest, section("Packages", packages), section("Disk1", zip(keys, archives)),
               section("WinIniData", [("Plain", "v" * 150),
                                      ("AddToSection1", padded("Sample Fonts Viewer;Dir=x.DIR",
                                                               200))]),
               section("RunItems", [("s" * 182, "TOUCH.EXE --touch %I\\ASKED.TXT,1"),
                                    ("cut", padded("TOUCH.EXE --touch %I\\CUT.TXT", 150))]),
               section("DeleteFiles", [("Cut", f"%I\\{keep}X")]),
               section("Icons", [("GroupName", GROUP),
                                 ("Cut", cut_icon)]))
    lim.run(f"""
        window Sample Fonts Installation Options
        text 1107 25 K
        click 109
        gone
        window Setup
        text message An error occurred while extracting files from '{s.media_dir.lower()}\\LONG_NAME_X.ARC'.
        click ok
        gone
        window Setup
        text message Unable to add icon.
        click ok
        gone
        """)
    s.expect_changes([f"{dest}\\readme.txt", f"{dest}\\CUT\\PACKAGE.TXT", group + "\\"])
    s.expect(not list(s.host(group).glob("*")), "a link was made of the cut icon value")
    s.expect(s.exists(f"{dest}\\CUT\\PACKAGE.TXT"), "the package with the cut name is missing")


def run(s):
    lim = Limits(s)
    win_ini = s.host(WIN_INI)
    original = win_ini.read_bytes()
    group = s.host(programs_folder(s) + "\\" + GROUP)
    shutil.rmtree(group, ignore_errors=True)
    try:
        at_the_limits(s, lim)
        win_ini.write_bytes(original)
        key_lists_over(s, lim)
        packages_over(s, lim)
        values_over(s, lim)
    finally:
        win_ini.write_bytes(original)
        shutil.rmtree(group, ignore_errors=True)
