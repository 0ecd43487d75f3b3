"""All three disks' archives in the program's own directory (a CD or a
copy on the hard disk): no prompt at all, and everything is installed as
from three disks."""
import diskset

FONTS = ["A.FF1", "B.FF1", "C.FF1", "E.FF1", "F.FF1"]


def run(s):
    with diskset.DiskSet(s, one_dir=True) as d:
        # A disk prompt would stand in front of the final message: the robot
        # would wait for the message in vain.
        s.robot(f"""
            {s.past_options()}
            window Sample Fonts
            text message Install Completed !
            absent Disk Needed
            click ok
            gone
            """)
        code = s.run(timeout=90)
        s.expect(code == 0, f"exit code {code}")
        d.check(list(diskset.ARCHIVES))
        d.check_repaired(s.dest + "\\PSFONTS", FONTS)
        d.check_repaired(diskset.SYSTEM, ["E2ECONV1.FF1", "E2ECONV2.FF1"])
