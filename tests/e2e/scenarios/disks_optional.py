"""An optional package cleared in the options dialog: its archives are not
looked for, and disk 3, which holds nothing else, is not asked for. The font
directory is repaired over the required package's files alone."""
import diskset

EXTRA = ["EXTRA1.ARC", "EXTRA2.ARC"]


def run(s):
    with diskset.DiskSet(s) as d:
        s.robot(f"""
            window-with Presents
            mouse 200
            gone
            window Sample Fonts Installation Options
            enabled 109
            text 1107 25260 K
            unselect 110 2
            text 1107 25160 K
            click 109
            gone
            window Disk Needed
            text 111 Insert Disk 2
            set 112 {d.dirs[2]}
            click ok
            gone
            window Sample Fonts
            text message Install Completed !
            absent Disk Needed
            click ok
            gone
            """)
        code = s.run(timeout=90)
        s.expect(code == 0, f"exit code {code}")
        d.check([a for a in diskset.ARCHIVES if a not in EXTRA], absent=EXTRA)
        d.check_repaired(s.dest + "\\PSFONTS", ["A.FF1", "B.FF1", "C.FF1"])
