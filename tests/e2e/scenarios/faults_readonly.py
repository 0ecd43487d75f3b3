"""A read-only file in the destination that the product would overwrite
(FONTS\\B.TXT, the second member of FONTS.ARC): the error message names
the archive; the read-only file keeps its bytes, date and flag; the member
before it is installed, the one after it is not; the next archive installs
and the run ends with "Install Completed !" and exit code 0. Nothing else
on the drive changes."""
import os
import time

# An even number of seconds: DOS times keep two-second steps.
STAMP = time.mktime((2003, 4, 5, 6, 7, 8, 0, 0, -1))
OLD_STAMP = time.mktime((1999, 1, 2, 3, 4, 6, 0, 0, -1))
ARCHIVES = {
    "FONTS.ARC": {"A.TXT": b"first\r\n", "B.TXT": b"second\r\n", "C.TXT": b"third\r\n"},
    "DOCS.ARC": {"GUIDE.TXT": b"Guide\r\n"},
}
USERS_B = b"the user's own B\r\n"


def pack(s, archive, members):
    staging = f"{s.root}\\BUILD\\{archive}"
    for name, data in members.items():
        path = s.host(f"{staging}\\{name}")
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        os.utime(path, (STAMP, STAMP))
    s.tool("arc", "create", f"{s.media_dir}\\{archive}", staging)


def run(s):
    for archive, members in ARCHIVES.items():
        pack(s, archive, members)
    s.script(f"""
        [Install]
        name=Sample Fonts
        BaseDir={s.dest}
        disks=1
        [Packages]
        Fonts=Sample fonts,FONTS,3,10,APP,0
        Docs=Documents,DOCS,1,10,APP,0
        [Disk1]
        Fonts=FONTS.ARC
        Docs=DOCS.ARC
        """)
    s.media("readme.txt", "Sample Fonts\n")
    fonts = s.host(s.dest + "\\FONTS")
    fonts.mkdir(parents=True)
    kept = fonts / "B.TXT"
    kept.write_bytes(USERS_B)
    os.utime(kept, (OLD_STAMP, OLD_STAMP))
    kept.chmod(0o444)  # Wine shows a file without write permission as read-only
    s.robot(f"""
        {s.past_options()}
        window Setup
        text message An error occurred while extracting files from '{s.media_dir.lower()}\\FONTS.ARC'.
        shot read-only-error
        click ok
        gone
        window Sample Fonts
        text message Install Completed !
        click ok
        gone
        """)
    code = s.run(watch=True)
    s.expect(code == 0, f"exit code {code}")
    written = [s.dest + "\\readme.txt", s.dest + "\\FONTS\\A.TXT", s.dest + "\\DOCS\\GUIDE.TXT"]
    changes = s.expect_changes(written)
    s.expect(sorted(changes) == sorted(written + [s.dest + "\\DOCS"]),
             f"changes: {sorted(changes)}")
    s.expect(kept.read_bytes() == USERS_B and kept.stat().st_mtime == OLD_STAMP
             and not kept.stat().st_mode & 0o222, "the read-only file changed")
    for path, data in ((fonts / "A.TXT", b"first\r\n"), (s.host(s.dest + "\\DOCS\\GUIDE.TXT"),
                                                        b"Guide\r\n")):
        s.expect(path.read_bytes() == data and path.stat().st_mtime == STAMP,
                 f"{path.name} is not installed whole and dated")
    s.expect(not (fonts / "C.TXT").exists(), "the member after the read-only one is there")
    s.expect_backdrop(s.shot("read-only-error"))
