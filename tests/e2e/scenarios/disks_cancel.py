"""Cancel in the extraction window while the first archive is extracted:
the window stays, the package being extracted gets its other archive on
the disk, then nothing more (no later package, no prompt for disk 2) and
"Install Cancelled !"; the ProdInfo command still runs and the script copy
is deleted."""
import shutil
import time

import diskset


def run(s):
    shutil.copy(s.args.robot, s.host(s.media_dir) / "TOUCH.EXE")
    more = "[Icons]\nProdInfo=Product information,TOUCH.EXE --touch %I\\INFO.TXT\n"
    with diskset.DiskSet(s, big=True, script_more=more) as d:
        first = d.dirs[1].lower() + "\\FONTS1.ARC"
        s.robot(f"""
            {s.past_options()}
            window-with {first}
            click cancel
            shot cancelled-extraction
            window Sample Fonts
            text message Install Cancelled !
            absent Disk Needed
            click ok
            gone
            """)
        code = s.run(timeout=120)
        s.expect(code == 0, f"exit code {code}")
        d.check(["FONTS1.ARC", "FONTS2.ARC"],
                absent=[a for a in diskset.ARCHIVES if not a.startswith("FONTS")])
        d.check_repaired(s.dest + "\\PSFONTS", ["A.FF1", "B.FF1", "C.FF1"])
        info = s.host(s.dest + "\\INFO.TXT")
        deadline = time.monotonic() + 10
        while not info.exists() and time.monotonic() < deadline:
            time.sleep(0.1)
        s.expect(info.exists(), "the ProdInfo command did not run")
        s.expect(not s.exists(s.dest + "\\install.ini"), "the script copy is still there")
    colours = s.colours(s.shot("cancelled-extraction"))
    s.expect(colours.get((255, 255, 0), 0) > 100, "no extraction window after Cancel")
